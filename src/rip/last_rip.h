// What the rips of the disc left, for the front end that shows them: the last run's result, and
// the latest result of each track ripped since (a track ripped again shows its new one).
#pragma once

#include <algorithm>
#include <utility>

#include "disc/disc_state.h"
#include "rip/rip_result.h"

namespace disctrove {

struct LastRip {
    RipResult run;                    // the last run's, with its log, CUE sheet and cover
    std::vector<TrackResult> latest;  // the latest of each track

    // A rip of the marked tracks of `disc` starts: what they showed of an earlier one goes.
    void Begin(const DiscState& disc) {
        std::erase_if(latest, [&disc](const TrackResult& result) {
            return result.index < 0 || static_cast<size_t>(result.index) >= disc.tracks.size() ||
                   disc.tracks[static_cast<size_t>(result.index)].marked;
        });
    }
    // The run has ended with `result`.
    void Take(RipResult result) {
        for (const TrackResult& track : result.tracks) {
            std::erase_if(latest,
                          [&track](const TrackResult& kept) { return kept.index == track.index; });
            latest.push_back(track);
        }
        run = std::move(result);
    }
    // The latest result of the track at `index`; null when none.
    const TrackResult* Of(int32_t index) const {
        const auto found = std::find_if(latest.begin(), latest.end(),
                                        [index](const TrackResult& t) { return t.index == index; });
        return found == latest.end() ? nullptr : &*found;
    }
};

}  // namespace disctrove
