#include "platform/cdrom/secure_reading.h"

#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>

#include <cstdio>
#include <vector>

#include "platform/cdrom/disc_device.h"

namespace disctrove::platform {

namespace {

// The library's callback takes no context; reading happens on one thread at a time per object,
// so the count of given-up positions lives with the thread.
thread_local std::vector<int32_t>* givenUp = nullptr;

void NoteSkips(long position, paranoia_cb_mode_t mode) {
    if (mode == PARANOIA_CB_SKIP && givenUp != nullptr) {
        givenUp->push_back(static_cast<int32_t>(position / CD_FRAMEWORDS));
    }
}

}  // namespace

struct SecureReading::Library {
    std::unique_ptr<ParanoiaDrive> drive;
    cdrom_paranoia_t* paranoia = nullptr;
    int32_t retries = 20;

    ~Library() {
        if (paranoia != nullptr) {
            cdio_paranoia_free(paranoia);
        }
    }
};

SecureReading::SecureReading(std::unique_ptr<Library> library) : library_(std::move(library)) {}

SecureReading::~SecureReading() = default;

std::unique_ptr<SecureReading> SecureReading::Open(CdHandle handle, int32_t retries,
                                                   std::string& problem) {
    auto library = std::make_unique<Library>();
    library->drive = ParanoiaDriveOf(handle, problem);
    if (!library->drive) {
        return nullptr;
    }
    library->paranoia = cdio_paranoia_init(library->drive->get());
    if (library->paranoia == nullptr) {
        problem = "paranoia cannot read this disc";
        return nullptr;
    }
    // Every check and repair the library has; a position is given up after the retries rather
    // than read forever.
    cdio_paranoia_modeset(library->paranoia, PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
    library->retries = retries;
    return std::make_unique<SecureReading>(std::move(library));
}

bool SecureReading::Seek(int32_t sector) {
    return cdio_paranoia_seek(library_->paranoia, sector, SEEK_SET) != -1;
}

const uint8_t* SecureReading::Read(std::vector<int32_t>& skipped) {
    givenUp = &skipped;
    const int16_t* sector =
        cdio_paranoia_read_limited(library_->paranoia, NoteSkips, library_->retries);
    givenUp = nullptr;
    if (!skipped.empty()) {
        RecordDriveError({kCdErrorReadFailed, kSenseMediumError});
    } else if (sector == nullptr) {
        RecordDriveError({kCdErrorNoDisc, 0});
    }
    return reinterpret_cast<const uint8_t*>(sector);
}

}  // namespace disctrove::platform
