// A simulated disc (.simcd): parsed, its table of contents read, a few of its sectors, and its
// pregaps and indexes searched for in its subchannel.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_support.h"
#include "platform/cdrom/cdrom_records.h"
#include "platform/cdrom/disc_device.h"
#include "platform/cdrom/index_search.h"

using namespace disctrove::platform;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = disctrove::fuzz::WriteScratchFile("disc.simcd", data, size);
    std::string problem;
    const auto disc = OpenSimulatedDisc(path, problem);
    if (!disc) {
        return 0;
    }
    DiscLayout layout;
    ReadError error;
    if (!disc->ReadLayout(layout, error)) {
        return 0;
    }
    std::vector<uint8_t> sectors(4 * size_t{kCdSectorBytes});
    for (const auto& track : layout.tracks) {
        (void)disc->ReadAudio(track.start, 4, sectors.data(), false, error);
        (void)disc->ReadAudio(track.start, 4, sectors.data(), true, error);
    }
    (void)disc->ReadAudio(layout.leadOut - 1, 1, sectors.data(), false, error);
    (void)SearchIndexesInSubchannel(*disc, layout);
    return 0;
}
