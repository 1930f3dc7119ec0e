// Reading the MusicBrainz web service's answer to a disc look-up (ws/2, JSON).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "disc/release.h"

namespace disctrove {

// A longer answer is refused unread.
inline constexpr size_t kMusicBrainzReplyBytes = 4 * 1024 * 1024;

// The releases of a discid answer (by disc ID or by TOC), in the order of the answer, each with
// the medium that holds the disc: the one whose discs list `discId`, else (a fuzzy TOC match)
// the first with `audioTracks` tracks, else the first CD. Anything that is not such an answer
// (malformed, empty, of the wrong types, too deep or too long) gives no release; fields of the
// wrong type are left empty.
std::vector<MusicBrainzRelease> ParseMusicBrainzReply(std::string_view json,
                                                      const std::string& discId,
                                                      size_t audioTracks);

// The entry of the genre list that a MusicBrainz genre or tag names ("hip hop" is "Hip-Hop"),
// or "" when the list has none.
std::string GenreListName(std::string_view name);

}  // namespace disctrove
