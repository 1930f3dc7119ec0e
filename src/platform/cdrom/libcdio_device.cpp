// Real drives and disc images through libcdio.
#include <cdio/cdio.h>
#include <cdio/cdtext.h>
#include <cdio/logging.h>
#include <cdio/mmc.h>
#include <cdio/mmc_ll_cmds.h>

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>
#include <vector>

#include "platform/cdrom/cdrom_records.h"
#include "platform/cdrom/cue_parser.h"
#include "platform/cdrom/disc_device.h"
#include "platform/cdrom/media_watch.h"
#include "platform/system/files.h"

namespace disctrove::platform {

namespace {

// libcdio writes its warnings to standard error; failures reach our callers as results instead.
void QuietLog(cdio_log_level_t, const char*) {}

void SilenceLibcdio() {
    static std::once_flag once;
    std::call_once(once, [] { cdio_log_set_handler(QuietLog); });
}

// libcdio's image parsers (CUE, TOC, NRG) keep their place in strtok's one static state, so two
// threads opening at once (a look-up beside a refresh) would parse each other's lines: opening,
// and listing the drives, take turns.
std::mutex& OpenTurn() {
    static std::mutex turn;
    return turn;
}

CdIo_t* OpenCdio(const std::string& source, driver_id_t driver) {
    const std::lock_guard<std::mutex> turn(OpenTurn());
    return cdio_open(source.c_str(), driver);
}

// libcdio reads a cue sheet's audio from the .bin named like the sheet, whatever its FILE line
// says: a sheet renamed, or one beside "Album (Disc 1).bin", would not open, or would read another
// disc's audio. Such a sheet is opened through a folder of its own in which links carry the
// names libcdio looks for; the folder goes with the device.
class SheetLinks {
  public:
    ~SheetLinks() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    SheetLinks(const SheetLinks&) = delete;
    SheetLinks& operator=(const SheetLinks&) = delete;

    // Null when the sheet opens as it is (or not at all: libcdio then says why).
    static std::unique_ptr<SheetLinks> For(const std::string& source) {
        namespace fs = std::filesystem;
        const fs::path sheet(source);
        std::string extension = sheet.extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (extension != ".cue") {
            return nullptr;
        }
        const std::optional<std::string> text = ReadWholeFile(source);
        std::istringstream lines(text.value_or(""));
        std::vector<CueFile> files;
        for (std::string line; std::getline(lines, line);) {
            if (auto file = ParseCueFileLine(line)) {
                files.push_back(std::move(*file));
            }
        }
        if (files.size() != 1 || files.front().type != "BINARY") {
            return nullptr;
        }
        const fs::path named = sheet.parent_path() / files.front().name;
        fs::path beside = sheet;
        beside.replace_extension(".bin");
        std::error_code error;
        if (!fs::is_regular_file(named, error) || fs::equivalent(named, beside, error)) {
            return nullptr;
        }
        std::string pattern = (fs::temp_directory_path() / "disctrove-sheet-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            return nullptr;
        }
        std::unique_ptr<SheetLinks> links(new SheetLinks(pattern));
        fs::create_symlink(fs::absolute(sheet, error), links->Sheet(), error);
        if (!error) {
            fs::create_symlink(fs::absolute(named, error), links->folder_ / "disc.bin", error);
        }
        return error ? nullptr : std::move(links);
    }

    std::string Sheet() const { return (folder_ / "disc.cue").string(); }

  private:
    explicit SheetLinks(std::filesystem::path folder) : folder_(std::move(folder)) {}
    std::filesystem::path folder_;
};

struct CdioCloser {
    void operator()(CdIo_t* cdio) const { cdio_destroy(cdio); }
};
using UniqueCdio = std::unique_ptr<CdIo_t, CdioCloser>;

class LibcdioDevice final : public DiscDevice {
  public:
    LibcdioDevice(UniqueCdio cdio, std::string source, bool isImage,
                  std::unique_ptr<SheetLinks> links = nullptr)
        : links_(std::move(links)),
          cdio_(std::move(cdio)),
          source_(std::move(source)),
          isImage_(isImage) {}

    bool ReadLayout(DiscLayout& layout, ReadError& error) override {
        const track_t first = cdio_get_first_track_num(cdio_.get());
        const track_t last = cdio_get_last_track_num(cdio_.get());
        if (first == CDIO_INVALID_TRACK || last == CDIO_INVALID_TRACK || last < first) {
            error = {kCdErrorNoDisc, isImage_ ? 0 : LastSenseKey()};
            return false;
        }
        layout = DiscLayout{};
        layout.firstTrack = first;
        for (track_t track = first; track <= last; ++track) {
            const lsn_t start = cdio_get_track_lsn(cdio_.get(), track);
            if (start == CDIO_INVALID_LSN) {
                error = {kCdErrorNoDisc, 0};
                return false;
            }
            const bool data = cdio_get_track_format(cdio_.get(), track) != TRACK_FORMAT_AUDIO;
            layout.tracks.push_back({start, data});
        }
        const lsn_t leadOut = cdio_get_track_lsn(cdio_.get(), CDIO_CDROM_LEADOUT_TRACK);
        if (leadOut == CDIO_INVALID_LSN) {
            error = {kCdErrorNoDisc, 0};
            return false;
        }
        layout.leadOut = leadOut;
        // A drive that cannot tell its sessions is taken as a disc of one.
        lsn_t lastSession = 0;
        if (cdio_get_last_session(cdio_.get(), &lastSession) == DRIVER_OP_SUCCESS &&
            lastSession > layout.tracks.front().start) {
            layout.lastSession = lastSession;
        }
        return true;
    }

    bool ReadAudio(int32_t start, uint32_t sectors, uint8_t* out, bool, ReadError& error) override {
        if (start < 0) {
            error = {kCdErrorOutOfRange, kSenseIllegalRequest};
            return false;
        }
        if (cdio_read_audio_sectors(cdio_.get(), out, start, sectors) != DRIVER_OP_SUCCESS) {
            error = {kCdErrorReadFailed, isImage_ ? kSenseMediumError : LastSenseKey()};
            return false;
        }
        return true;
    }

    bool OpenDoor() override {
        return !isImage_ && cdio_eject_media_drive(source_.c_str()) == DRIVER_OP_SUCCESS;
    }

    std::unique_ptr<ParanoiaDrive> OpenParanoiaDrive(std::string& problem) override {
        return OpenParanoiaOnCdio(cdio_.get(), problem);
    }

    DriveIdentity Identity() override {
        cdio_hwinfo_t info{};
        if (isImage_ || !cdio_get_hwinfo(cdio_.get(), &info)) {
            return {};
        }
        return {Trimmed(info.psz_vendor, sizeof info.psz_vendor),
                Trimmed(info.psz_model, sizeof info.psz_model),
                Trimmed(info.psz_revision, sizeof info.psz_revision)};
    }

    bool ReadFacts(DiscFacts& facts) override {
        CdIo_t* cdio = cdio_.get();
        const track_t first = cdio_get_first_track_num(cdio);
        const track_t last = cdio_get_last_track_num(cdio);
        if (first == CDIO_INVALID_TRACK || last == CDIO_INVALID_TRACK || last < first) {
            return false;
        }
        facts.catalog = Code(cdio_get_mcn(cdio), 13);
        for (track_t track = first; track <= last; ++track) {
            TrackFacts here;
            here.isrc = Code(cdio_get_track_isrc(cdio, track), 12);
            here.preEmphasis = cdio_get_track_preemphasis(cdio, track) == CDIO_TRACK_FLAG_TRUE;
            here.copyPermitted = cdio_get_track_copy_permit(cdio, track) == CDIO_TRACK_FLAG_TRUE;
            here.fourChannels = cdio_get_track_channels(cdio, track) == 4;
            const lsn_t start = cdio_get_track_lsn(cdio, track);
            const lsn_t pregap = cdio_get_track_pregap_lsn(cdio, track);
            if (pregap != CDIO_INVALID_LSN && pregap >= 0 && pregap < start) {
                here.pregapStart = pregap;
            }
            facts.tracks.push_back(std::move(here));
        }
        // An image's pregaps are its sheet's; a drive's are searched for in its subchannel.
        facts.indexSource = isImage_ ? IndexSource::sheet : IndexSource::none;
        return true;
    }

    // READ CD of the sector's audio with its Q frame: formatted (16 bytes) where the drive can,
    // else in the raw P-W subchannel (96 bytes). The audio comes along because some drives
    // refuse to send the subchannel alone.
    QRead ReadSubchannelQ(int32_t sector, QFrame& frame) override {
        if (isImage_ || subchannel_ == Subchannel::none) {
            return QRead::unsupported;
        }
        if (sector < 0) {
            return QRead::failed;
        }
        while (subchannel_ != Subchannel::none) {
            const bool formatted = subchannel_ == Subchannel::formatted;
            const uint16_t size = CDIO_CD_FRAMESIZE_RAW + (formatted ? 16 : CDIO_CD_FRAMESIZE_SUB);
            std::vector<uint8_t> block(size);
            const driver_return_code_t read =
                mmc_read_cd(cdio_.get(), block.data(), sector, CDIO_MMC_READ_TYPE_CDDA, false,
                            false, 0, true, false, 0, formatted ? 2 : 1, size, 1);
            if (read == DRIVER_OP_SUCCESS) {
                const uint8_t* sub = block.data() + CDIO_CD_FRAMESIZE_RAW;
                if (formatted) {
                    std::copy_n(sub, frame.size(), frame.begin());
                } else {
                    frame = QFrameOfRawSubchannel(sub);
                }
                return QRead::ok;
            }
            // A drive that does not know the request says so; a bad sector fails otherwise.
            const bool refused = read == DRIVER_OP_UNSUPPORTED || read == DRIVER_OP_NOT_PERMITTED ||
                                 LastSenseKey() == kSenseIllegalRequest;
            if (!refused) {
                return QRead::failed;
            }
            subchannel_ = formatted ? Subchannel::raw : Subchannel::none;
        }
        return QRead::unsupported;
    }

    CdText ReadCdText() override {
        CdText text;
        CdIo_t* cdio = cdio_.get();
        const cdtext_t* cdtext = cdio_get_cdtext(cdio);
        const track_t first = cdio_get_first_track_num(cdio);
        const track_t last = cdio_get_last_track_num(cdio);
        if (cdtext == nullptr || first == CDIO_INVALID_TRACK || last == CDIO_INVALID_TRACK ||
            last < first) {
            return text;
        }
        const auto field = [this, cdtext](cdtext_field_t which, track_t track) {
            const char* value = cdtext_get_const(cdtext, which, track);
            const std::string text = value != nullptr ? std::string(value) : std::string();
            return isImage_ ? UndoubledUtf8(text) : text;
        };
        text.title = field(CDTEXT_FIELD_TITLE, 0);
        text.performer = field(CDTEXT_FIELD_PERFORMER, 0);
        for (track_t track = first; track <= last; ++track) {
            text.tracks.push_back(
                {field(CDTEXT_FIELD_TITLE, track), field(CDTEXT_FIELD_PERFORMER, track)});
        }
        return text;
    }

  private:
    // libcdio reads a CUE sheet's texts as ISO-8859-1 and hands them out as UTF-8; a sheet
    // written in UTF-8, as most are now, comes out encoded twice. Such a text, taken back to
    // single bytes, is valid UTF-8 again: that is the sheet's own text. Anything else stays.
    static std::string UndoubledUtf8(const std::string& text) {
        std::string bytes;
        bool wide = false;
        for (size_t i = 0; i < text.size(); ++i) {
            const auto c = static_cast<unsigned char>(text[i]);
            if (c < 0x80) {
                bytes += static_cast<char>(c);
            } else if ((c == 0xC2 || c == 0xC3) && i + 1 < text.size()) {
                const auto next = static_cast<unsigned char>(text[++i]);
                bytes += static_cast<char>(((c & 0x03) << 6) | (next & 0x3F));
                wide = true;
            } else {
                return text;  // a character beyond ISO-8859-1: not encoded twice
            }
        }
        return wide && IsUtf8(bytes) ? bytes : text;
    }

    static bool IsUtf8(const std::string& bytes) {
        for (size_t i = 0; i < bytes.size();) {
            const auto c = static_cast<unsigned char>(bytes[i]);
            const size_t length = c < 0x80           ? 1
                                  : (c >> 5) == 0x6  ? 2
                                  : (c >> 4) == 0xE  ? 3
                                  : (c >> 3) == 0x1E ? 4
                                                     : 0;
            if (length == 0 || i + length > bytes.size()) {
                return false;
            }
            for (size_t k = 1; k < length; ++k) {
                if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) {
                    return false;
                }
            }
            i += length;
        }
        return true;
    }

    // A field of the drive's INQUIRY answer: up to its NUL, without the blanks it is padded with.
    static std::string Trimmed(const char* field, size_t size) {
        std::string text(field, std::find(field, field + size, '\0'));
        const auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
        while (!text.empty() && blank(static_cast<unsigned char>(text.back()))) {
            text.pop_back();
        }
        const auto first = std::find_if_not(
            text.begin(), text.end(), [&](char c) { return blank(static_cast<unsigned char>(c)); });
        return std::string(first, text.end());
    }

    // A catalogue number or ISRC that libcdio allocated (and we free): kept when it has
    // `length` letters and digits and is not all zeros, as drives report "no code".
    static std::string Code(char* text, size_t length) {
        std::string code = text != nullptr ? text : "";
        cdio_free(text);
        const bool valid = code.size() == length &&
                           std::all_of(code.begin(), code.end(),
                                       [](unsigned char c) { return std::isalnum(c); }) &&
                           code.find_first_not_of('0') != std::string::npos;
        return valid ? code : std::string();
    }

    int32_t LastSenseKey() const {
        cdio_mmc_request_sense_t* sense = nullptr;
        const int length = mmc_last_cmd_sense(cdio_.get(), &sense);
        int32_t key = 0;
        if (length > 2 && sense != nullptr) {
            key = sense->sense_key;
        }
        cdio_free(sense);
        return key;
    }

    std::unique_ptr<SheetLinks> links_;  // outlives cdio_, which reads through them
    UniqueCdio cdio_;
    std::string source_;
    bool isImage_;
    // How the drive delivers the Q subchannel; none once it has refused both ways.
    enum class Subchannel { formatted, raw, none };
    Subchannel subchannel_ = Subchannel::formatted;
};

}  // namespace

std::unique_ptr<DiscDevice> OpenLibcdioDevice(const std::string& source, bool isImage) {
    SilenceLibcdio();
    std::unique_ptr<SheetLinks> links = isImage ? SheetLinks::For(source) : nullptr;
    UniqueCdio cdio(
        OpenCdio(links ? links->Sheet() : source, isImage ? DRIVER_UNKNOWN : DRIVER_DEVICE));
    if (!cdio) {
        return nullptr;
    }
    return std::make_unique<LibcdioDevice>(std::move(cdio), source, isImage, std::move(links));
}

std::string LibcdioDriveName(const std::string& device) {
    SilenceLibcdio();
    UniqueCdio cdio(OpenCdio(device, DRIVER_DEVICE));
    cdio_hwinfo_t info{};
    if (!cdio || !cdio_get_hwinfo(cdio.get(), &info)) {
        return {};
    }
    std::string name = info.psz_vendor;
    for (const char* part : {info.psz_model, info.psz_revision}) {
        if (*part != '\0') {
            name += name.empty() ? "" : " ";
            name += part;
        }
    }
    return name;
}

namespace {

class LibcdioMediaProbe final : public MediaChangeProbe {
  public:
    explicit LibcdioMediaProbe(std::string device) : device_(std::move(device)) {}
    // The drive is opened for each question only: while another program holds it open, the
    // kernel refuses to eject the disc. The drive remembers a change between openings. An error
    // (no drive, no answer) counts as no change: the next call asks again.
    bool Changed() override {
        SilenceLibcdio();
        const UniqueCdio cdio(OpenCdio(device_, DRIVER_DEVICE));
        return cdio && cdio_get_media_changed(cdio.get()) == 1;
    }

  private:
    std::string device_;
};

}  // namespace

std::unique_ptr<MediaChangeProbe> OpenLibcdioMediaProbe(const std::string& device) {
    return std::make_unique<LibcdioMediaProbe>(device);
}

std::vector<std::string> LibcdioDriveList() {
    SilenceLibcdio();
    std::vector<std::string> drives;
    std::unique_lock<std::mutex> turn(OpenTurn());
    char** devices = cdio_get_devices(DRIVER_DEVICE);
    turn.unlock();
    if (devices == nullptr) {
        return drives;
    }
    for (char** device = devices; *device != nullptr; ++device) {
        drives.emplace_back(*device);
    }
    cdio_free_device_list(devices);
    return drives;
}

}  // namespace disctrove::platform
