// What the last rip left beside its files, for the front end that shows or prints it.
#pragma once

#include <optional>
#include <string>

#include "audio/loudness_stage.h"

namespace disctrove {

struct LastRip {
    std::string lastRipLog;    // the log the last rip wrote; empty when none
    std::string lastCueSheet;  // the CUE sheet the last rip wrote
    std::string lastCover;     // the cover the last rip saved
    // The loudness of the last rip's tracks together (ReplayGain on, some track read).
    std::optional<Loudness> lastAlbumLoudness;
};

}  // namespace disctrove
