#include "platform/cdrom/secure_reading.h"

#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <set>
#include <vector>

#include "platform/cdrom/disc_device.h"

namespace disctrove::platform {

namespace {

using DriveRead = long (*)(cdrom_drive_t*, void*, lsn_t, long);

// Why a Read ended without a sector of paranoia's.
enum class Cut { none, stopped, gaveUp };

constexpr uint8_t kSilentSector[kCdSectorBytes] = {};

}  // namespace

struct SecureReading::Library {
    std::unique_ptr<ParanoiaDrive> drive;
    cdrom_paranoia_t* paranoia = nullptr;
    DriveRead driveRead = nullptr;  // one read command of the drive (see OpenParanoiaOnCdio)
    int32_t retries = 20;
    int64_t passLimit = 0;  // paranoia's passes over the disc for one position, at most
    std::function<bool()> stopRequested;
    int32_t cursor = 0;  // the position the next Read returns
    bool placed = true;  // false after a give-up at the last position paranoia can seek to
    // Where paranoia gave up: from there on, silence may be only its filling (see NoteSkips).
    std::set<int32_t> givenUp;
    std::vector<uint8_t> own;  // a sector read without paranoia

    // The Read under way.
    std::vector<int32_t>* skipped = nullptr;
    int64_t passes = 0;
    int64_t passEnd = -1;  // where a request that goes on with the current pass starts
    Cut cut = Cut::none;
    std::jmp_buf escape{};

    ~Library() {
        if (paranoia != nullptr) {
            cdio_paranoia_free(paranoia);
        }
        if (drive && driveRead != nullptr) {
            drive->get()->read_audio = driveRead;
        }
    }
};

namespace {

// The library's callbacks take no context; a Read runs on one thread, so the object reading
// lives with the thread.
thread_local SecureReading::Library* active = nullptr;

long CutShort(SecureReading::Library& reading, Cut cut) {
    reading.cut = cut;
    // The one error on which paranoia gives up a read at once rather than retrying it.
    errno = ENOMEDIUM;
    return -1;
}

// libcdio-paranoia's own read over a drive, whose read commands fail whole: at most the drive's
// request size at once; a request that fails is tried again, from the sixth attempt on
// shortened to three quarters each time, so that the sectors before a bad one come back (the
// count read is the result); a failure once the attempts run out. Unlike the library's, it
// stops between attempts when asked to.
long ReadWithRetries(SecureReading::Library& reading, cdrom_drive_t* drive, void* buffer,
                     lsn_t begin, long sectors) {
    if (drive->nsectors > 0) {
        sectors = std::min<long>(sectors, drive->nsectors);
    }
    if (sectors <= 0) {
        errno = EIO;
        return -1;
    }
    std::vector<uint8_t> scratch;
    if (buffer == nullptr) {  // a read without a buffer only moves the head
        scratch.resize(static_cast<size_t>(sectors) * kCdSectorBytes);
        buffer = scratch.data();
    }
    constexpr int kMaxRetries = 8;  // the library's limit (MAX_RETRIES)
    for (int retries = 0;; ++retries) {
        if (reading.stopRequested && reading.stopRequested()) {
            return CutShort(reading, Cut::stopped);
        }
        if (reading.driveRead(drive, buffer, begin, sectors) == sectors) {
            return sectors;
        }
        if (sectors == 1 && retries > kMaxRetries - 1) {
            break;  // this one sector cannot be read
        }
        if (retries > 4 && sectors > 1) {
            sectors = sectors * 3 / 4;
        }
        if (retries + 1 > kMaxRetries) {
            break;
        }
    }
    errno = EIO;
    return -1;
}

// Every read of the drive passes here: a stop ends the Read under way, and so does a position
// that paranoia keeps reading far past its retries. Paranoia reads a pass as requests that
// follow each other, so a request that does not follow the last one begins a pass.
long GuardedRead(cdrom_drive_t* drive, void* buffer, lsn_t begin, long sectors) {
    SecureReading::Library* reading = active;
    if (reading == nullptr) {
        errno = EIO;
        return -1;
    }
    if (reading->stopRequested && reading->stopRequested()) {
        return CutShort(*reading, Cut::stopped);
    }
    if (buffer != nullptr) {
        if (begin != reading->passEnd) {
            ++reading->passes;
        }
        reading->passEnd = int64_t{begin} + sectors;
        if (reading->passes > reading->passLimit) {
            return CutShort(*reading, Cut::gaveUp);
        }
    }
    return ReadWithRetries(*reading, drive, buffer, begin, sectors);
}

// Notes the positions paranoia gives up. A give-up before anything at all was verified (its
// position is then 0) must not go on: the library would make its verified data from a block it
// allocates too small (a byte count taken for a sample count) or put it at the disc's start.
// Nothing is allocated yet at this point, so the read is left for ReadOrEscape, and the
// position is given up there.
void NoteSkips(long position, paranoia_cb_mode_t mode) {
    SecureReading::Library* reading = active;
    if (mode != PARANOIA_CB_SKIP || reading == nullptr) {
        return;
    }
    if (position == 0) {
        reading->cut = Cut::gaveUp;
        std::longjmp(reading->escape, 1);
    }
    const auto sector = static_cast<int32_t>(position / CD_FRAMEWORDS);
    reading->skipped->push_back(sector);
    // What paranoia gives for a stretch it gave up, and for the rest of a request that came
    // back short, is zeros: the silence that follows may be only that.
    reading->givenUp.insert(sector);
}

bool Silent(const uint8_t* bytes) {
    return std::all_of(bytes, bytes + kCdSectorBytes, [](uint8_t b) { return b == 0; });
}

// `sector` read through the drive, unchecked, with the retries of a request or in one attempt:
// better than nothing where paranoia had nothing. Null when it cannot be read either, or
// reading was stopped.
const uint8_t* ReadUnchecked(SecureReading::Library& reading, int32_t sector, bool retrying) {
    reading.own.resize(kCdSectorBytes);
    cdrom_drive_t* drive = reading.drive->get();
    long read = -1;
    if (retrying) {
        read = ReadWithRetries(reading, drive, reading.own.data(), sector, 1);
    } else if (reading.stopRequested && reading.stopRequested()) {
        CutShort(reading, Cut::stopped);
    } else {
        read = reading.driveRead(drive, reading.own.data(), sector, 1);
    }
    return read == 1 ? reading.own.data() : nullptr;
}

// Kept apart, with nothing to clean up in its frame, for the jump back from NoteSkips.
const int16_t* ReadOrEscape(SecureReading::Library& reading) {
    if (setjmp(reading.escape) != 0) {
        return nullptr;
    }
    return cdio_paranoia_read_limited(reading.paranoia, NoteSkips, reading.retries);
}

}  // namespace

SecureReading::SecureReading(std::unique_ptr<Library> library) : library_(std::move(library)) {}

SecureReading::~SecureReading() = default;

std::unique_ptr<SecureReading> SecureReading::Open(CdHandle handle, int32_t retries,
                                                   std::function<bool()> stopRequested,
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
    // The library compares its count of retries with the limit only at multiples of five: any
    // other limit is never reached.
    library->retries = (std::clamp(retries, 1, 1000) + 4) / 5 * 5;
    // Around a long unreadable stretch one position may take a few give-ups; far more passes
    // than that mean the library is going round in circles.
    library->passLimit = 10 * int64_t{library->retries} + 10;
    library->stopRequested = std::move(stopRequested);
    cdrom_drive_t* drive = library->drive->get();
    library->driveRead = drive->read_audio;
    drive->read_audio = GuardedRead;
    return std::make_unique<SecureReading>(std::move(library));
}

bool SecureReading::Seek(int32_t sector) {
    library_->placed = cdio_paranoia_seek(library_->paranoia, sector, SEEK_SET) != -1;
    library_->cursor = sector;
    return library_->placed;
}

const uint8_t* SecureReading::Read(std::vector<int32_t>& skipped) {
    Library& reading = *library_;
    if (!reading.placed) {
        RecordDriveError({kCdErrorOutOfRange, kSenseIllegalRequest});
        return nullptr;
    }
    reading.skipped = &skipped;
    reading.passes = 0;
    reading.passEnd = -1;
    reading.cut = Cut::none;
    active = &reading;
    const int16_t* sector = ReadOrEscape(reading);
    active = nullptr;
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(sector);
    if (sector == nullptr && reading.cut == Cut::stopped) {
        return nullptr;
    }
    if (sector == nullptr && reading.cut == Cut::gaveUp) {
        // Paranoia could not place this position at all: it is what one plain read gives, or,
        // a read error, silence; reading goes on from the next one (where nothing follows, no
        // further Read is asked for).
        const uint8_t* own = ReadUnchecked(reading, reading.cursor, true);
        if (reading.cut == Cut::stopped) {
            return nullptr;
        }
        if (own == nullptr) {
            skipped.push_back(reading.cursor);
        }
        bytes = own != nullptr ? own : kSilentSector;
        Seek(reading.cursor + 1);
    } else if (sector != nullptr) {
        const bool doubtful =
            !reading.givenUp.empty() && *reading.givenUp.begin() <= reading.cursor;
        if (doubtful && Silent(bytes)) {
            // One attempt each: most of these sectors are the unreadable ones.
            const uint8_t* own = ReadUnchecked(reading, reading.cursor, false);
            bytes = own != nullptr ? own : bytes;
        } else if (doubtful) {
            // Paranoia has data again: the silence before was all there was to it.
            reading.givenUp.erase(reading.givenUp.begin(),
                                  reading.givenUp.upper_bound(reading.cursor));
        }
        ++reading.cursor;
    }
    if (!skipped.empty()) {
        RecordDriveError({kCdErrorReadFailed, kSenseMediumError});
    } else if (bytes == nullptr) {
        RecordDriveError({kCdErrorNoDisc, 0});
    }
    return bytes;
}

}  // namespace disctrove::platform
