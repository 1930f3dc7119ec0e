// What a look-up of the disc's names found, handed over whole when it ends.
#pragma once

#include <string>
#include <vector>

#include "disc/release.h"

namespace disctrove {

// Where a look-up asks (the terminal program's --source; the GUI always asks automatically).
enum class LookupSource { automatic, musicBrainz, cddb };
// Which source gave the last look-up's answer.
enum class LookupAnswer { none, musicBrainz, cddb };

struct LookupResult {
    std::string cddbReply;  // the CDDB entry text (empty when CDDB gave none)
    // The releases found on MusicBrainz (empty: it found none there, and cddbReply holds what
    // CDDB gave).
    std::vector<MusicBrainzRelease> releaseCandidates;
    // The services asked that gave no whole answer, e.g. {"MusicBrainz", "CDDB"}.
    std::vector<std::string> lookupUnanswered;
    LookupAnswer lookupAnswer = LookupAnswer::none;
};

}  // namespace disctrove
