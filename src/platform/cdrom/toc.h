// The disc's table of contents as the rest of the program sees it: tracks by number, their first
// sectors, their kind, and the lead-out. Made from the drive's TOC record in one place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/cdrom/cdrom_records.h"

namespace disctrove::platform {

struct TocTrack {
    int number = 0;     // as the disc numbers it (a disc need not start at 1)
    int32_t start = 0;  // first sector (LBA, without the 150-sector lead-in)
    bool isData = false;
    bool preEmphasis = false;

    bool operator==(const TocTrack&) const = default;
};

struct Toc {
    std::vector<TocTrack> tracks;  // in disc order, numbered one after another
    int32_t leadOut = 0;           // first sector after the last track

    bool operator==(const Toc&) const = default;

    // The first sector after the track at `index`: the next track's start, or the lead-out.
    int32_t NextStart(size_t index) const {
        return index + 1 < tracks.size() ? tracks[index + 1].start : leadOut;
    }
    bool NextIsData(size_t index) const {
        return index + 1 < tracks.size() && tracks[index + 1].isData;
    }

    // The first sector after the audio of the track at `index` (see AudioTrackEnd).
    int32_t AudioEnd(size_t index, int32_t lastSession) const;

    // Where track `number` stands in `tracks`; none for a number the disc does not have.
    std::optional<size_t> IndexOfNumber(int number) const;

    // Where the audio track that starts at `start` stands in `tracks`; none when no audio track
    // starts there.
    std::optional<size_t> IndexOfAudioAt(int32_t start) const;

    size_t AudioTrackCount() const;
};

// What lies between two sessions of a disc: the lead-out of the first (6750 sectors), the
// lead-in of the next (4500) and the pre-gap of its first track (150). No drive reads it.
inline constexpr int32_t kSessionGapSectors = 11400;

// The first sector after the audio of a track that starts at `start` and is followed by a track
// (or the lead-out) at `next`. The last audio track of a session that a later session follows
// (an enhanced CD: its data track in a session of its own, starting at `lastSession`) ends
// before the gap between the two sessions. `lastSession` is 0 on a disc of one session.
inline int32_t AudioTrackEnd(int32_t start, int32_t next, bool nextIsData, int32_t lastSession) {
    const int32_t sessionEnd = lastSession - kSessionGapSectors;
    if (lastSession > 0 && nextIsData && sessionEnd >= start && sessionEnd < next) {
        return sessionEnd;
    }
    return next;
}

// The table of contents a TOC record (as ReadTOC fills it) describes; no tracks for an empty
// record.
Toc TocFromRecord(const TocRecord& record);

}  // namespace disctrove::platform
