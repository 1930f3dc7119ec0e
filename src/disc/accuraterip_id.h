// The AccurateRip disc ID: how the AccurateRip database knows a disc.
#pragma once

#include <cstdint>
#include <string>

#include "platform/cdrom/toc.h"

namespace disctrove {

struct AccurateRipDiscId {
    uint32_t audioTracks = 0;
    uint32_t id1 = 0;
    uint32_t id2 = 0;
    uint32_t cddb = 0;
};

// The ID of the disc whose table of contents is `toc` and whose CDDB disc ID is `cddbId`. Only
// audio tracks count (a data track first or last is left out), and the lead-out is the disc's
// own, after a data track of an enhanced CD.
AccurateRipDiscId ComputeAccurateRipDiscId(const platform::Toc& toc, uint32_t cddbId);

// "NNN-iiiiiiii-jjjjjjjj-cccccccc", as the database names the disc's file.
std::string AccurateRipIdText(const AccurateRipDiscId& id);

}  // namespace disctrove
