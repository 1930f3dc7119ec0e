// The records of the drive list and of the audio tracks of the current disc.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/formats.h"
#include "app/shared_int.h"
#include "platform/cdrom/cdrom_records.h"
#include "platform/cdrom/disc_facts.h"
#include "platform/cdrom/toc.h"

namespace disctrove {

// The disc ID of a drive before its first refresh.
inline constexpr uint32_t kNoDiscId = 0xFFFFFFFFu;

struct Drive {
    std::string name;                              // identification text from the drive list
    platform::GetCdHandleRequest handleRequest{};  // how to open the drive
    platform::Toc toc;                             // table of contents read by the last refresh
    uint32_t discId = kNoDiscId;                   // CDDB disc ID computed at the last refresh
    int32_t lastSession = 0;           // first sector of the disc's last session (0: one session)
    bool isImage = false;              // a disc image, chosen for one session only (never stored)
    platform::DriveIdentity identity;  // what the drive said it is at the last refresh
    platform::CdText cdText;           // the names the disc carried at the last refresh
};

// Values of Track::status besides the percentages 0 to 99.
inline constexpr int32_t kStatusNone = -1;
inline constexpr int32_t kStatusCompleted = 100;
inline constexpr int32_t kStatusStopped = 101;
inline constexpr int32_t kStatusError = 102;

struct Track {
    int32_t index = 0;  // position in the track list; the number shown is index + 1
    std::string title;
    std::string artist;       // the track's own artist where it differs from the album's, or ""
    std::string artistId;     // MusicBrainz: the MBID of that artist
    std::string recordingId;  // MusicBrainz: the MBID of the track's recording
    int32_t marked = 0;       // to be ripped
    int32_t selected = 0;     // selected in the list
    int32_t startSector = 0;
    uint32_t lengthSectors = 0;
    int32_t lengthSeconds = 0;
    // A percentage while a rip or conversion works on it, then how it ended. Written by the
    // worker while the window reads it; what the rip proved of it is in the run's TrackResult.
    SharedInt status = kStatusNone;
    EncoderKind encoder = kEncoderMp3;
    TrackFormat format;
};

}  // namespace disctrove
