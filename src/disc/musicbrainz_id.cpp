#include "disc/musicbrainz_id.h"

#include <discid/discid.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace disctrove {

namespace {

struct DiscIdDeleter {
    void operator()(DiscId* disc) const { discid_free(disc); }
};

}  // namespace

std::string ComputeMusicBrainzDiscId(const platform::Toc& toc) {
    if (toc.lastTrack < toc.firstTrack || toc.firstTrack == 0) {
        return {};
    }
    const auto entries =
        std::min<size_t>(size_t{toc.lastTrack} - toc.firstTrack + 1, toc.tracks.size() - 1);
    size_t count = entries;
    int32_t leadOut = platform::TocStart(toc.tracks[entries]);
    while (count > 0 && platform::TocIsData(toc.tracks[count - 1])) {
        --count;
        leadOut = platform::TocStart(toc.tracks[count]) - platform::kSessionGapSectors;
    }
    if (count == 0) {
        return {};
    }
    // A data track right after the audio, in the same session, leaves no room for the gap; the
    // audio then ends where the data track starts.
    if (count < entries && leadOut <= platform::TocStart(toc.tracks[count - 1])) {
        leadOut = platform::TocStart(toc.tracks[count]);
    }
    // libdiscid wants the lead-out first, then every track, all with the 150-frame lead-in, in
    // an array of 100 (it reads them all).
    std::vector<int> offsets(std::max<size_t>(100, count + 1));
    offsets[0] = leadOut + 150;
    for (size_t i = 0; i < count; ++i) {
        offsets[i + 1] = platform::TocStart(toc.tracks[i]) + 150;
    }
    const std::unique_ptr<DiscId, DiscIdDeleter> disc(discid_new());
    const int first = toc.firstTrack;
    const int last = first + static_cast<int>(count) - 1;
    if (!disc || !discid_put(disc.get(), first, last, offsets.data())) {
        return {};
    }
    return discid_get_id(disc.get());
}

}  // namespace disctrove
