// The ways a look-up offers to name the disc: each release MusicBrainz found, or the entry of the
// CDDB server, and beside them the names the disc carries (its CD-Text); and naming the disc
// from the one the user chose.
#pragma once

#include <cstdint>
#include <vector>

#include "disc/disc_state.h"
#include "disc/lookup_result.h"
#include "disc/release.h"

namespace disctrove {

// How a choice of the disc's CD-Text is shown, wherever the releases are listed.
inline constexpr const char* kCdTextChoiceText = "CD-Text";

enum class NameSource { musicBrainz, cddb, cdText };

struct NameChoice {
    NameSource source = NameSource::musicBrainz;
    // What the choice names the disc with, told as a release tells it: a MusicBrainz release
    // whole; of the CDDB entry and of CD-Text only the artist, the title, the date (CDDB's
    // year) and the tracks they name (position in the track list, title, artist).
    MusicBrainzRelease names;
};

// The disc's CD-Text, as read by the last refresh of `drive`, told by the positions of `disc`'s
// track list (a data track carries no names for it).
MusicBrainzRelease CdTextNames(const DiscState& disc, const Drive& drive);

// Names the disc from its CD-Text (`names`, as CdTextNames gives them) where it has no names of
// its own: the album's title and artist when they are empty, a track's title while it is still
// the one the disc was read with (DefaultTrackTitle), a track's artist (where it differs from
// the album's) when it has none. Names the user typed or gave, or stored for this disc, stay.
// CD-Text names no release: the release facts, the tracks' MusicBrainz IDs and the comment of
// a CDDB entry are cleared.
void ApplyCdText(DiscState& disc, const MusicBrainzRelease& names);

// What the look-up `found` offers for the disc of `drive` (null: no drive): the releases
// MusicBrainz found, in their order, or the CDDB entry; then "CD-Text" when the disc carries
// any and the look-up found something. Empty when the look-up found nothing: the disc keeps
// the names it was read with, CD-Text's among them.
std::vector<NameChoice> NameChoicesFor(const LookupResult& found, const DiscState& disc,
                                       const Drive* drive);

// Names the disc from `choice`, one of NameChoicesFor's: a release as ApplyRelease does, the
// CDDB entry as ParseCddbReply does (it clears `found`'s candidates), CD-Text as ApplyCdText.
void ApplyNameChoice(DiscState& disc, LookupResult& found, const NameChoice& choice);

}  // namespace disctrove
