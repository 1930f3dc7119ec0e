// The rip log: what a run read, how, and what proves the files right, with a checksum over it.
#pragma once

#include <ctime>
#include <string>

#include "app/options.h"
#include "disc/disc_state.h"
#include "platform/cdrom/disc_facts.h"
#include "rip/rip_result.h"

namespace disctrove {

// The log of the run `rip` over the tracks of `disc` (their checks and verdicts as the run left
// them), whose files lie in `folder`; `started` is when the run began. The last line is
// "Log checksum SHA-256: " and the SHA-256 (lower-case hex) of every byte before that line.
std::string RipLogText(const Options& options, const DiscState& disc, const RipResult& rip,
                       const platform::DiscFacts& facts, const std::string& folder,
                       std::time_t started);

// The last step of a run, once every track has its verdict: beside the playlist in `folder`
// (named as it, whether or not the playlist is written) the log (".log", when WriteLog is on)
// and the CUE sheet (".cue", when WriteCue is on), each written whole or not at all, and
// only when some track of `rip` was completed. Sets its log and cueSheet to what was written.
// A file that cannot be written leaves no earlier rip's file of its name behind (it would pass
// for this rip's); returns what to tell the user then, else "".
std::string WriteRipLogAndCueSheet(const Options& options, const DiscState& disc, RipResult& rip,
                                   const std::string& folder, std::time_t started);

}  // namespace disctrove
