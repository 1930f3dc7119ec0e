// libcdio-paranoia drive objects over libcdio sources.
#include <cdio/cdio.h>
#include <cdio/paranoia/cdda.h>

#include <cerrno>

#include "platform/cdrom/disc_device.h"

namespace disctrove::platform {

namespace {

// One read command of the drive, which fails whole when one of its sectors cannot be read.
// Secure reading does libcdio-paranoia's retrying and shortening of failed requests itself, so
// that Stop can come between the attempts.
long ReadOnce(cdrom_drive_t* drive, void* buffer, lsn_t begin, long sectors) {
    if (buffer == nullptr || sectors <= 0 ||
        cdio_read_audio_sectors(drive->p_cdio, buffer, begin, static_cast<uint32_t>(sectors)) !=
            DRIVER_OP_SUCCESS) {
        errno = EIO;
        return -1;
    }
    return sectors;
}

class CdioParanoiaDrive final : public ParanoiaDrive {
  public:
    explicit CdioParanoiaDrive(cdrom_drive_t* drive) : drive_(drive) {}
    ~CdioParanoiaDrive() override { cdio_cddap_close_no_free_cdio(drive_); }
    CdioParanoiaDrive(const CdioParanoiaDrive&) = delete;
    CdioParanoiaDrive& operator=(const CdioParanoiaDrive&) = delete;

    cdrom_drive_s* get() const override { return drive_; }

  private:
    cdrom_drive_t* drive_;
};

}  // namespace

std::unique_ptr<ParanoiaDrive> OpenParanoiaOnCdio(CdIo* cdio, std::string& problem) {
    cdrom_drive_t* drive = cdio_cddap_identify_cdio(cdio, CDDA_MESSAGE_FORGETIT, nullptr);
    if (drive == nullptr) {
        problem = "the drive cannot read audio";
        return nullptr;
    }
    auto owned = std::make_unique<CdioParanoiaDrive>(drive);
    cdio_cddap_verbose_set(drive, CDDA_MESSAGE_FORGETIT, CDDA_MESSAGE_FORGETIT);
    drive->bigendianp = 0;
    if (cdio_cddap_open(drive) != 0) {
        problem = "the disc holds no audio that can be read securely";
        return nullptr;
    }
    drive->read_audio = ReadOnce;
    return owned;
}

}  // namespace disctrove::platform
