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
    // What lies before the first track's INDEX 01 when the disc's first track is audio that does
    // not start at sector 0; found at the last refresh.
    enum class BeforeFirstTrack { nothing, silence, audio, unreadable };
    BeforeFirstTrack beforeFirstTrack = BeforeFirstTrack::nothing;
    platform::CdText cdText;  // the names the disc carried at the last refresh
};

// Values of Track::status besides the percentages 0 to 99.
inline constexpr int32_t kStatusNone = -1;
inline constexpr int32_t kStatusCompleted = 100;
inline constexpr int32_t kStatusStopped = 101;
inline constexpr int32_t kStatusError = 102;

struct Track {
    int32_t index = 0;  // position in the track list; the number shown is Number()
    // Added to the index for the number shown: 0 when the list starts with the hidden track (the
    // audio before track 1's INDEX 01), which is then number 0 and the disc's track 1 number 1.
    int32_t numberBase = 1;
    std::string title;
    std::string artist;       // the track's own artist where it differs from the album's, or ""
    std::string artistId;     // MusicBrainz: the MBID of that artist
    std::string recordingId;  // MusicBrainz: the MBID of the track's recording
    // MusicBrainz: every artist of the track's credit, and the MBID of the release's track.
    std::vector<std::string> artistIds;
    std::string releaseTrackId;
    int32_t marked = 0;    // to be ripped
    int32_t selected = 0;  // selected in the list
    int32_t startSector = 0;
    uint32_t lengthSectors = 0;
    int32_t lengthSeconds = 0;
    // A percentage while a rip or conversion works on it, then how it ended. Written by the
    // worker while the window reads it; what the rip proved of it is in the run's TrackResult.
    SharedInt status = kStatusNone;
    EncoderKind encoder = kEncoderMp3;
    TrackFormat format;

    int32_t Number() const { return index + numberBase; }
    // The audio before track 1's INDEX 01: no table-of-contents entry, no database entry.
    bool Hidden() const { return Number() == 0; }
};

// The number of the disc's tracks in `tracks` (the hidden track left out).
inline size_t DiscTrackCount(const std::vector<Track>& tracks) {
    return !tracks.empty() && tracks.front().Hidden() ? tracks.size() - 1 : tracks.size();
}

// The track the disc numbers `number` (0: the hidden track), or null when it has none.
inline Track* TrackNumbered(std::vector<Track>& tracks, int32_t number) {
    const int32_t base = tracks.empty() ? 1 : tracks.front().numberBase;
    const auto row = static_cast<size_t>(number - base);
    return number >= base && row < tracks.size() ? &tracks[row] : nullptr;
}

}  // namespace disctrove
