// Naming the disc from the MusicBrainz release the user chose.
#pragma once

#include "disc/release.h"
#include "front/settings.h"

namespace disctrove {

// Album, Artist, Year (the first four digits of the date), Genre (when the release has one in
// the genre list; else it stays), the track titles by position on the medium, each track's
// artist (only where it differs from the album's) and IDs, and the release facts.
void ApplyRelease(Settings& settings, const MusicBrainzRelease& release);

}  // namespace disctrove
