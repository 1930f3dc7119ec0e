// A source of CD audio: a real drive, a disc image, or a simulated disc. Internal to the drive
// layer; callers use the functions of cdrom.h.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct cdrom_drive_s;
struct _CdIo;
using CdIo = _CdIo;

#include "platform/cdrom/disc_facts.h"
#include "platform/cdrom/subchannel_q.h"

namespace disctrove::platform {

struct DiscLayout {
    struct Track {
        int32_t start = 0;  // first sector
        bool data = false;
    };
    int32_t firstTrack = 1;
    std::vector<Track> tracks;  // tracks firstTrack, firstTrack + 1, ...
    int32_t leadOut = 0;        // first sector after the last track
    int32_t lastSession = 0;    // first sector of the last session; 0 for one session

    // True when `sector` holds audio a drive can read: it lies in an audio track, before the
    // gap that ends its session.
    bool IsAudioSector(int32_t sector) const;
};

// Why a read failed: our own error number and, from a real drive, the SCSI sense key.
struct ReadError {
    int32_t library = 0;
    int32_t senseKey = 0;
};

// Error numbers of the drive layer (what GetAspiLibError reports).
inline constexpr int32_t kCdErrorNone = 0;
inline constexpr int32_t kCdErrorInvalidHandle = 1;
inline constexpr int32_t kCdErrorNoDisc = 2;
inline constexpr int32_t kCdErrorReadFailed = 3;
inline constexpr int32_t kCdErrorOutOfRange = 4;
inline constexpr int32_t kCdErrorBadRequest = 5;
inline constexpr int32_t kCdErrorJitter = 6;

// SCSI sense keys we report for simulated and image faults.
inline constexpr int32_t kSenseMediumError = 3;
inline constexpr int32_t kSenseIllegalRequest = 5;

// How a read of a Q subchannel frame went.
enum class QRead {
    ok,
    failed,       // this sector's frame could not be had; another's may
    unsupported,  // the device has no subchannel to read (an image, a drive that cannot)
};

// A libcdio-paranoia drive object over a device, for secure reading. It stays valid as long as
// the device it came from.
class ParanoiaDrive {
  public:
    virtual ~ParanoiaDrive() = default;
    virtual cdrom_drive_s* get() const = 0;
};

class DiscDevice {
  public:
    virtual ~DiscDevice() = default;

    // Reads the disc's table of contents; false when there is no readable disc.
    virtual bool ReadLayout(DiscLayout& layout, ReadError& error) = 0;

    // Reads `sectors` sectors of CD audio from `start` into `out` (sectors × 2352 bytes).
    // `correcting` tells that the read serves a jitter-correcting read.
    virtual bool ReadAudio(int32_t start, uint32_t sectors, uint8_t* out, bool correcting,
                           ReadError& error) = 0;

    // Opens the drive's door; false for a device without one (an image, a simulated disc).
    virtual bool OpenDoor() { return false; }

    // A paranoia drive object that reads this device; null, with the reason in `problem`, when
    // it cannot be had.
    virtual std::unique_ptr<ParanoiaDrive> OpenParanoiaDrive(std::string& problem) = 0;

    // Catalogue number, ISRCs, flags and pregaps, as far as the device knows them; false (and
    // `facts` untouched) for a device that knows none (a simulated disc).
    virtual bool ReadFacts(DiscFacts& /*facts*/) { return false; }

    // The Q subchannel frame that comes with `sector`, as the drive delivers it.
    virtual QRead ReadSubchannelQ(int32_t /*sector*/, QFrame& /*frame*/) {
        return QRead::unsupported;
    }

    // What the drive says it is; nothing for an image.
    virtual DriveIdentity Identity() { return {}; }

    // The disc's CD-Text; empty when it has none.
    virtual CdText ReadCdText() { return {}; }
};

// Makes `error` what GetAspiLibError and GetAspiLibAspiError report on this thread.
void RecordDriveError(const ReadError& error);

// The paranoia drive object of an open handle's device (see DiscDevice::OpenParanoiaDrive).
std::unique_ptr<ParanoiaDrive> ParanoiaDriveOf(uint32_t handle, std::string& problem);

// A paranoia drive object over `cdio`, which must outlive it and is not closed with it. Every
// source gives little-endian samples, as libcdio returns them from drives and images alike, so
// the library's guess at the byte order is never made. Null, with the reason in `problem`,
// when the disc holds no audio paranoia can read.
std::unique_ptr<ParanoiaDrive> OpenParanoiaOnCdio(CdIo* cdio, std::string& problem);

// One read command of `sectors` sectors from `start` into `out`; false when it fails.
using SectorReader = std::function<bool(int32_t start, uint32_t sectors, uint8_t* out)>;

// A paranoia drive object for a device libcdio cannot open (a simulated disc, an image of WAV or
// FLAC files): libcdio is lent a stand-in image with the device's table of contents (a cue sheet
// and an empty sparse .bin in a temporary folder of its own, removed with the object), and every
// read goes to `read`. Null, with the reason in `problem`, when it cannot be made.
std::unique_ptr<ParanoiaDrive> OpenStandInParanoiaDrive(const DiscLayout& layout, SectorReader read,
                                                        std::string& problem);

// The table of contents of the disc of an open handle (as read when the handle was opened or
// by the last ReadTOC). False when there is no readable disc.
bool DiscLayoutOf(uint32_t handle, DiscLayout& layout);

// libcdio: a drive such as "/dev/sr0" or an image (.cue, .toc, .nrg). Null when it cannot be
// opened.
std::unique_ptr<DiscDevice> OpenLibcdioDevice(const std::string& source, bool isImage);

// The identification of a real drive: vendor, model and revision ("" when unknown).
std::string LibcdioDriveName(const std::string& device);

// The real CD drives of this machine.
std::vector<std::string> LibcdioDriveList();

// A simulated disc described by a .simcd file. Null, with the reason in `problem`, when the
// file cannot be read or holds a statement it does not know.
std::unique_ptr<DiscDevice> OpenSimulatedDisc(const std::string& path, std::string& problem);

// An image of WAV or FLAC files (see audio_file_image.h). Null, with the reason in `problem`,
// when the sheet, a file it names, or the audio in it is not one a CD can hold.
std::unique_ptr<DiscDevice> OpenAudioFileImage(const std::string& path, std::string& problem);

}  // namespace disctrove::platform
