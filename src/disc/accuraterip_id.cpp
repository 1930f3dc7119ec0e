#include "disc/accuraterip_id.h"

#include <algorithm>
#include <cstdio>

namespace disctrove {

AccurateRipDiscId ComputeAccurateRipDiscId(const platform::Toc& toc, uint32_t cddbId) {
    AccurateRipDiscId id;
    id.cddb = cddbId;
    if (toc.lastTrack < toc.firstTrack) {
        return id;
    }
    const auto count =
        std::min<size_t>(size_t{toc.lastTrack} - toc.firstTrack + 1, toc.tracks.size() - 1);
    const auto leadOut = static_cast<uint32_t>(platform::TocStart(toc.tracks[count]));
    for (size_t entry = 0; entry < count; ++entry) {
        if (platform::TocIsData(toc.tracks[entry])) {
            continue;
        }
        const auto start = static_cast<uint32_t>(platform::TocStart(toc.tracks[entry]));
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
