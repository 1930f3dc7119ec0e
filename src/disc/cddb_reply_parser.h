// Reading a CDDB entry (the text of a CDDB "read" reply) into the disc model.
#pragma once

#include <string_view>

#include "disc/disc_state.h"
#include "disc/lookup_result.h"

namespace disctrove {

// Takes the disc artist, album, year and genre (into Artist, Album, Year, Genre) and the track
// titles (into the tracks, by list position) from `reply`. The keys are taken in the order of an
// entry, DISCID, DTITLE, DYEAR, DGENRE, TTITLE0, TTITLE1, ...; a missing key is passed over, but
// a missing TTITLE0 or a value whose line has no line end ends the parse, keeping what was taken
// before. A value continued on further lines keeps its first line. The EXTD lines after the
// titles, joined, become the disc's comment (none: it is cleared). What a MusicBrainz release
// gave the disc (release facts, the look-up's candidates, track artists and IDs) is cleared.
void ParseCddbReply(std::string_view reply, DiscState& disc, LookupResult& lookup);

}  // namespace disctrove
