// Finding a drive's read offset from a disc that the AccurateRip database knows. Each track's
// sector 450 is read raw with a few sectors around it and slid one sample at a time until its
// checksum is the database's frame-450 checksum for the track; the offset found is then confirmed
// by reading whole tracks at that offset and matching their v1 or v2 checksums.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "codecs/worker_context.h"
#include "disc/accuraterip_database.h"

namespace disctrove {

// The offsets searched reach this far either way: 5 sectors less one sample.
inline constexpr int32_t kOffsetSearchLimit = 2939;

// The offsets most drives have, most frequent first (from AccurateRip's drive list): tried
// before the whole range is searched.
inline constexpr std::array<int32_t, 9> kCommonOffsets = {6, 667, 48, 102, 30, 12, 103, 618, 96};

// The frame-450 checksum of 588 sample frames (4 bytes each): each frame read as a little-endian
// 32-bit word, multiplied by its position from 1, summed in 32 bits.
uint32_t Frame450Checksum(std::span<const uint8_t> frames);

struct OffsetFinding {
    enum class Outcome {
        found,          // the offset, confirmed with whole tracks
        notInDatabase,  // AccurateRip knows nothing of the disc (or gave no answer)
        noMatch,        // no offset in the range gives the database's checksums
        notConfirmed,   // sector 450 matched, whole tracks did not
        unreadable,     // no track's sector 450 could be read
        stopped,
    };
    Outcome outcome = Outcome::noMatch;
    int32_t offset = 0;
    uint32_t confidence = 0;  // the fewest rippers behind a confirming track
    size_t confirmedTracks = 0;
};

// Finds the read offset of the drive Cdrom of `context.disc` (whose table of contents has been
// read) from the database's `pressings` of that disc. Whole tracks are read in the options' read
// mode, never the last track (the lead-out may be out of reach) and at most two; a disc of two
// tracks confirms with one. Each step is told through `say`: every common offset tried and how
// many tracks it matched, the search of the whole range, each track read to confirm, the outcome.
OffsetFinding FindReadOffset(WorkerContext& context,
                             const std::vector<AccurateRipPressing>& pressings,
                             const std::function<void(const std::string&)>& say);

}  // namespace disctrove
