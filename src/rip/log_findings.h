// What the rip log says in a few words: the line a reader reads first, and the read errors as
// ranges of sectors.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "rip/rip_result.h"

namespace disctrove {

// "All 12 tracks accurate", or the count of accurate tracks and what is wrong with each other
// one: "10 of 12 tracks accurate. Track 03: 2 read errors, not verified by AccurateRip.
// Track 07: inaccurate in AccurateRip." A track is accurate when it was read whole without a
// doubt and AccurateRip or the CTDB vouches for it.
std::string FirstSummary(const RipResult& rip);

// The pressing offset every track AccurateRip vouches for matched at, when they all matched at
// the same one other than 0: on one disc that is a pressing cut differently, on every disc it
// is a read offset that far off.
std::optional<int32_t> CommonPressingOffset(const RipResult& rip);

// What to tell the user of such a rip when the drive's offset was not found with a disc; "" when
// there is nothing to tell.
std::string PressingOffsetHint(const RipResult& rip);

// The sectors given up (`sectors`, first sectors of the reads, from a track starting at
// `trackStart`) as runs of neighbours: "00:16.34 to 00:16.40 (sectors 1234-1240)",
// "01:02.03 (sector 4803)", joined by ", "; "none" when there are none.
std::string ErrorRangesText(const std::vector<int32_t>& sectors, int32_t trackStart);

}  // namespace disctrove
