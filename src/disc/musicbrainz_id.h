// The MusicBrainz disc ID: how the MusicBrainz database knows a disc.
#pragma once

#include <string>

#include "platform/cdrom/cdrom_records.h"

namespace disctrove {

// The ID (28 characters) of the disc whose table of contents is `toc`, as libdiscid computes
// it. Data tracks at the end of the disc are left out, and the lead-out is then the first of them
// less the gap between two sessions. Empty when the table holds no track to count.
std::string ComputeMusicBrainzDiscId(const platform::Toc& toc);

}  // namespace disctrove
