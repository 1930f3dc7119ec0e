// The MusicBrainz disc ID: how the MusicBrainz database knows a disc.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/cdrom/toc.h"

namespace disctrove {

// The ID (28 characters) of the disc whose table of contents is `toc`, as libdiscid computes
// it. Data tracks at the end of the disc are left out, and the lead-out is then the first of them
// less the gap between two sessions. Empty when the table holds no track to count.
std::string ComputeMusicBrainzDiscId(const platform::Toc& toc);

// What that ID is computed from: the first and last track counted and the offsets with the
// 150-frame lead-in, the lead-out first. Nothing when the table holds no track to count.
struct MusicBrainzToc {
    int first = 0;
    int last = 0;
    std::vector<int> offsets;  // lead-out, then one per track
};
std::optional<MusicBrainzToc> MusicBrainzTocOf(const platform::Toc& toc);

// The same numbers as a look-up by TOC sends them: "first+last+leadout+offset1+...".
std::string MusicBrainzTocText(const platform::Toc& toc);

// The MusicBrainz page on which a user adds the disc of `toc` (its ID and TOC) to a release, as
// libdiscid builds it. Empty when the table holds no track to count.
std::string MusicBrainzSubmissionUrl(const platform::Toc& toc);

}  // namespace disctrove
