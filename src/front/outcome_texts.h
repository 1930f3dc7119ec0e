// What a front end says in one sentence after a rip, after a look-up that found nothing, of the
// free space and of the next file name: the same words in the window, the desktop's notice and
// the terminal.
#pragma once

#include <string>

#include "app/options.h"
#include "disc/disc_state.h"
#include "disc/lookup_result.h"
#include "rip/rip_result.h"

namespace disctrove {

struct RipOutcome {
    // "4 tracks ripped to /music/Artist/Album — all accurate (12)", or what went wrong.
    std::string sentence;
    // The folder the files went to; "" when the run wrote none.
    std::string folder;
    // Every marked track was written and nothing speaks against it (no error, no stop, no
    // inaccurate track, no read given up): the disc may go.
    bool wellEnded = false;
};

// The outcome of the run `rip`; `outputFolder` stands in for the folder when no file says where.
RipOutcome DescribeRip(const RipResult& rip, const std::string& outputFolder);

// "This disc is not in MusicBrainz or CDDB" when the look-up `found` found nothing although the
// services it asked answered (`musicBrainzAsked`: MusicBrainz was asked before CDDB); with one
// service silent, what the other said. "" when something was found, or nobody answered.
std::string NotFoundSentence(const LookupResult& found, bool musicBrainzAsked);

// "75.3 GB free on /music": decimal units as file managers give them. "" for a negative count
// (the space is not known).
std::string FreeSpaceWords(long long bytes, const std::string& folder);

// The path of the file the next rip writes for the first marked track of `disc` (else its first
// track; a sample disc when it has none) with `nameTemplate`, the folders `options` give and the
// extension of `encoder`.
std::string NextFilePreview(const Options& options, const DiscState& disc,
                            const std::string& nameTemplate, EncoderKind encoder);

}  // namespace disctrove
