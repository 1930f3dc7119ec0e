// libcdio-paranoia drive objects over libcdio sources.
#include <cdio/cdio.h>
#include <cdio/paranoia/cdda.h>

#include "platform/cdrom/disc_device.h"

namespace disctrove::platform {

namespace {

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
    return owned;
}

}  // namespace disctrove::platform
