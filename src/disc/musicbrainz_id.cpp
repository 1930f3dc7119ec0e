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

std::optional<MusicBrainzToc> MusicBrainzTocOf(const platform::Toc& toc) {
    if (toc.tracks.empty() || toc.tracks.front().number == 0) {
        return std::nullopt;
    }
    const size_t entries = toc.tracks.size();
    size_t count = entries;
    int32_t leadOut = toc.leadOut;
    while (count > 0 && toc.tracks[count - 1].isData) {
        --count;
        leadOut = toc.tracks[count].start - platform::kSessionGapSectors;
    }
    if (count == 0) {
        return std::nullopt;
    }
    // A data track right after the audio, in the same session, leaves no room for the gap; the
    // audio then ends where the data track starts.
    if (count < entries && leadOut <= toc.tracks[count - 1].start) {
        leadOut = toc.tracks[count].start;
    }
    MusicBrainzToc numbers;
    numbers.first = toc.tracks.front().number;
    numbers.last = numbers.first + static_cast<int>(count) - 1;
    numbers.offsets.push_back(leadOut + 150);
    for (size_t i = 0; i < count; ++i) {
        numbers.offsets.push_back(toc.tracks[i].start + 150);
    }
    return numbers;
}

namespace {

using DiscIdHandle = std::unique_ptr<DiscId, DiscIdDeleter>;

// libdiscid's record of the disc of `toc`; null when the table holds no track to count.
DiscIdHandle PutToc(const platform::Toc& toc) {
    const auto numbers = MusicBrainzTocOf(toc);
    if (!numbers) {
        return nullptr;
    }
    // libdiscid reads an array of 100 offsets whatever the count.
    std::vector<int> offsets = numbers->offsets;
    offsets.resize(std::max<size_t>(100, offsets.size()));
    DiscIdHandle disc(discid_new());
    if (!disc || !discid_put(disc.get(), numbers->first, numbers->last, offsets.data())) {
        return nullptr;
    }
    return disc;
}

}  // namespace

std::string ComputeMusicBrainzDiscId(const platform::Toc& toc) {
    const DiscIdHandle disc = PutToc(toc);
    return disc ? discid_get_id(disc.get()) : std::string();
}

std::string MusicBrainzSubmissionUrl(const platform::Toc& toc) {
    const DiscIdHandle disc = PutToc(toc);
    return disc ? discid_get_submission_url(disc.get()) : std::string();
}

std::string MusicBrainzTocText(const platform::Toc& toc) {
    const auto numbers = MusicBrainzTocOf(toc);
    if (!numbers) {
        return {};
    }
    std::string text = std::to_string(numbers->first) + "+" + std::to_string(numbers->last);
    for (const int offset : numbers->offsets) {
        text += "+" + std::to_string(offset);
    }
    return text;
}

}  // namespace disctrove
