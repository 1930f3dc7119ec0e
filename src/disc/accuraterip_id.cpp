#include "disc/accuraterip_id.h"

#include <algorithm>
#include <cstdio>

namespace disctrove {

AccurateRipDiscId ComputeAccurateRipDiscId(const platform::Toc& toc, uint32_t cddbId) {
    AccurateRipDiscId id;
    id.cddb = cddbId;
    if (toc.tracks.empty()) {
        return id;
    }
    const auto leadOut = static_cast<uint32_t>(toc.leadOut);
    for (const platform::TocTrack& entry : toc.tracks) {
        if (entry.isData) {
            continue;
        }
        const auto start = static_cast<uint32_t>(entry.start);
        ++id.audioTracks;
        id.id1 += start;
        id.id2 += std::max<uint32_t>(start, 1) * id.audioTracks;
    }
    id.id1 += leadOut;
    id.id2 += leadOut * (id.audioTracks + 1);
    return id;
}

std::string AccurateRipIdText(const AccurateRipDiscId& id) {
    char text[40];
    std::snprintf(text, sizeof text, "%03u-%08x-%08x-%08x", id.audioTracks, id.id1, id.id2,
                  id.cddb);
    return text;
}

}  // namespace disctrove
