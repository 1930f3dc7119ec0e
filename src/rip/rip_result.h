// What a rip returns: how it ended, what it proved of each track it read, and the files it left
// beside them. The log, the CUE sheet, the terminal's lines and the window are written from it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/options.h"
#include "audio/loudness_stage.h"
#include "disc/track_result.h"
#include "platform/cdrom/disc_facts.h"

namespace disctrove {

// How a run ended.
inline constexpr int kRipCompleted = 0;  // every marked track was processed
inline constexpr int kRipFailed = 1;     // a folder could not be made, or memory ran out
inline constexpr int kRipStopped = 2;    // the run was stopped

struct RipResult {
    int outcome = kRipCompleted;
    DriveReadOffset readOffset;       // what the drive was read with, and where it came from
    platform::DiscFacts facts;        // what the drive reported of the disc as the rip began
    std::vector<TrackResult> tracks;  // each marked track, in list order
    // The loudness of the tracks read whole together (ReplayGain on, some track read).
    std::optional<Loudness> albumLoudness;
    // What the CTDB says of the whole disc: CTDB on and every audio track read whole in this run.
    std::optional<CtdbVerdict> ctdbDisc;
    std::string image;     // the disc image written (a rip to an image); "" when none
    std::string log;       // the rip log written; "" when none
    std::string cueSheet;  // the CUE sheet written; "" when none
    std::string cover;     // the cover saved; "" when none

    // The result of the track at `index` of the list; null when the run did not read it.
    const TrackResult* Of(int32_t index) const {
        for (const TrackResult& track : tracks) {
            if (track.index == index) {
                return &track;
            }
        }
        return nullptr;
    }
};

}  // namespace disctrove
