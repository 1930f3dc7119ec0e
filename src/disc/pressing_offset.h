// A track read right that the database does not know at this alignment can still be the same
// audio on a pressing cut a few samples earlier or later: its v1 checksum slides, one frame at a
// time, from the sums of the read and the frames at its edges (v2 does not slide: its high halves
// are not linear in the position).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "audio/audio_edges.h"
#include "disc/accuraterip_database.h"

namespace disctrove {

// The most a pressing is searched for: five sectors less one frame, all a disc's first and last
// tracks leave out.
inline constexpr int32_t kMaxPressingOffset = 5 * 588 - 1;

// What a rip kept of one track for the search.
struct SlidingTrack {
    AudioEdges edges;
    uint32_t v1 = 0;   // its v1 checksum as read
    uint32_t sum = 0;  // the plain sum of the words v1 counted
    bool first = false;
    bool last = false;
};

struct PressingMatch {
    int32_t offset = 0;  // frames: this disc's audio sits that much later than the database's
    uint32_t confidence = 0;
};

// The alignment, other than this one, at which the track's v1 checksum is the one a pressing
// gives the entry at `position`: the highest confidence, then the smallest offset. The frames
// beyond the track's own come from its neighbours on the disc (`previous`, `next`: null when they
// were not read whole), so without them the search goes only as far as the track's own audio.
std::optional<PressingMatch> FindPressingOffset(const std::vector<AccurateRipPressing>& pressings,
                                                size_t position, const SlidingTrack& track,
                                                const SlidingTrack* previous,
                                                const SlidingTrack* next);

}  // namespace disctrove
