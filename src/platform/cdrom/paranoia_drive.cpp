// libcdio-paranoia drive objects over libcdio sources.
#include <cdio/cdio.h>
#include <cdio/paranoia/cdda.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>

#include "platform/cdrom/cdrom_records.h"
#include "platform/cdrom/disc_device.h"
#include "platform/cdrom/toc.h"

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

// libcdio's view of a disc that it cannot open itself: a cue sheet with the disc's table of
// contents and a sparse, empty .bin in a folder of its own. Reads are served by `read`.
class StandInParanoiaDrive final : public ParanoiaDrive {
  public:
    explicit StandInParanoiaDrive(SectorReader read) : read_(std::move(read)) {}
    ~StandInParanoiaDrive() override {
        if (drive_) {
            const std::lock_guard lock(RegistryMutex());
            Registry().erase(drive_->get());
        }
        drive_.reset();
        if (cdio_ != nullptr) {
            cdio_destroy(cdio_);
        }
        if (!folder_.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(folder_, ignored);
        }
    }
    StandInParanoiaDrive(const StandInParanoiaDrive&) = delete;
    StandInParanoiaDrive& operator=(const StandInParanoiaDrive&) = delete;

    cdrom_drive_s* get() const override { return drive_->get(); }

    bool Open(const DiscLayout& layout, std::string& problem) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "disctrove-standin-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            problem = "cannot make a folder for the stand-in image";
            return false;
        }
        folder_ = pattern;
        const std::string bin = folder_ + "/disc.bin";
        const std::string cue = folder_ + "/disc.cue";
        const int fd = ::open(bin.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const bool sized = fd >= 0 && ftruncate(fd, off_t{layout.leadOut} * kCdSectorBytes) == 0;
        if (fd >= 0) {
            ::close(fd);
        }
        std::ofstream sheet(cue);
        sheet << "FILE \"disc.bin\" BINARY\n";
        for (size_t i = 0; i < layout.tracks.size(); ++i) {
            const int32_t start = layout.tracks[i].start;
            auto two = [](int32_t value) {
                return std::string(value < 10 ? "0" : "") + std::to_string(value);
            };
            sheet << "  TRACK " << two(static_cast<int32_t>(i) + 1) << " "
                  << (layout.tracks[i].data ? "MODE1/2352" : "AUDIO") << "\n    INDEX 01 "
                  << two(start / 4500) << ":" << two(start / 75 % 60) << ":" << two(start % 75)
                  << "\n";
        }
        sheet.close();
        if (!sized || !sheet) {
            problem = "cannot write the stand-in image";
            return false;
        }
        cdio_ = cdio_open_cue(cue.c_str());
        if (cdio_ == nullptr) {
            problem = "cannot open the stand-in image";
            return false;
        }
        drive_ = OpenParanoiaOnCdio(cdio_, problem);
        if (!drive_) {
            return false;
        }
        cdrom_drive_t* drive = drive_->get();
        if (layout.lastSession > 0) {
            // The audio session ends before the gap that the stand-in gives to its last track.
            drive->cd_extra = 1;
            drive->audio_last_sector = layout.lastSession - kSessionGapSectors - 1;
        }
        {
            const std::lock_guard lock(RegistryMutex());
            Registry()[drive] = &read_;
        }
        drive->read_audio = ReadForParanoia;
        return true;
    }

  private:
    static std::mutex& RegistryMutex() {
        static std::mutex mutex;
        return mutex;
    }
    static std::map<cdrom_drive_t*, SectorReader*>& Registry() {
        static std::map<cdrom_drive_t*, SectorReader*> registry;
        return registry;
    }

    // One read command, as a drive answers it: every sector asked for, or a failure when one
    // of them cannot be read. Secure reading retries and shortens a request that fails, as
    // libcdio-paranoia does, so the sectors before a bad one still come back.
    static long ReadForParanoia(cdrom_drive_t* drive, void* buffer, lsn_t begin, long sectors) {
        SectorReader* read = nullptr;
        {
            const std::lock_guard lock(RegistryMutex());
            const auto found = Registry().find(drive);
            read = found == Registry().end() ? nullptr : found->second;
        }
        if (read == nullptr || buffer == nullptr || sectors <= 0 ||
            !(*read)(static_cast<int32_t>(begin), static_cast<uint32_t>(sectors),
                     static_cast<uint8_t*>(buffer))) {
            errno = EIO;
            return -1;
        }
        return sectors;
    }

    SectorReader read_;
    std::string folder_;
    CdIo_t* cdio_ = nullptr;
    std::unique_ptr<ParanoiaDrive> drive_;
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

std::unique_ptr<ParanoiaDrive> OpenStandInParanoiaDrive(const DiscLayout& layout, SectorReader read,
                                                        std::string& problem) {
    auto drive = std::make_unique<StandInParanoiaDrive>(std::move(read));
    if (!drive->Open(layout, problem)) {
        return nullptr;
    }
    return drive;
}

}  // namespace disctrove::platform
