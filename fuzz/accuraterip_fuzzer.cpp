// An AccurateRip answer (dBAR-*.bin) and the verdicts judged from it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "disc/accuraterip_database.h"

using namespace disctrove;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto pressings = ParseAccurateRipAnswer(std::span<const uint8_t>(data, size));
    if (!pressings) {
        return 0;
    }
    size_t longest = 0;
    for (const auto& pressing : *pressings) {
        longest = std::max(longest, pressing.tracks.size());
    }
    for (size_t position = 0; position <= longest; ++position) {
        const auto& first = pressings->front().tracks;
        const AccurateRipSums sums = position < first.size()
                                         ? AccurateRipSums{first[position].checksum, 0}
                                         : AccurateRipSums{};
        (void)VerdictName(JudgeTrack(*pressings, position, sums).verdict);
    }
    return 0;
}
