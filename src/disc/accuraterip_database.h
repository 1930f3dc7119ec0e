// What the AccurateRip database says of a disc: where its answer lives, what the answer holds,
// and the verdict on each ripped track.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "audio/accuraterip_stage.h"
#include "disc/accuraterip_id.h"

namespace disctrove {

// The path of the disc's answer on the server: "accuraterip/A/B/C/dBAR-<ID>.bin", where A, B and
// C are the last three hex digits of id1, last first.
std::string AccurateRipPath(const AccurateRipDiscId& id);

// One pressing of the disc in the database: per track, how many submitted it and its checksum.
struct AccurateRipPressing {
    uint32_t id1 = 0;
    uint32_t id2 = 0;
    uint32_t cddb = 0;
    struct Track {
        uint32_t confidence = 0;
        uint32_t checksum = 0;
        uint32_t frame450 = 0;  // the checksum of sector 450, for finding a drive's offset
    };
    std::vector<Track> tracks;
};

// The pressings of an answer; nothing when the answer is empty, cut short or malformed (the
// disc then counts as not in the database).
std::optional<std::vector<AccurateRipPressing>> ParseAccurateRipAnswer(
    std::span<const uint8_t> answer);

enum class AccurateRipVerdict { accurate, inaccurate, unknown };

struct AccurateRipResult {
    AccurateRipVerdict verdict = AccurateRipVerdict::unknown;
    // Accurate: the highest confidence of the pressings that match; inaccurate: the total
    // confidence of the pressings' entries for the track.
    uint32_t confidence = 0;
    // Accurate on a pressing whose audio sits this many frames earlier than this disc's (0: at
    // the drive's own alignment).
    int32_t pressingOffset = 0;
};

// The verdict on the track whose checksums are `sums` and whose entry is at `position` of each
// pressing (from 0: its place among the audio tracks, one more on a disc whose data track comes
// first, as the database gives that track the first entry). Unknown when no pressing has an
// entry for the track.
AccurateRipResult JudgeTrack(const std::vector<AccurateRipPressing>& pressings, size_t position,
                             const AccurateRipSums& sums);

// An offset in frames with its sign: "+6", "-30", "0".
std::string SignedOffsetText(int32_t offset);

// "accurate (12)", and ", pressing offset +N" after it for a match on another pressing;
// "inaccurate (N)"; "not verified".
std::string VerdictSummary(const AccurateRipResult& result);

// "accurate", "inaccurate" or "unknown".
const char* VerdictName(AccurateRipVerdict verdict);

}  // namespace disctrove
