// A CDDB entry read into the disc model: the first byte picks the disc's track count.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "disc/cddb_reply_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    disctrove::DiscState disc;
    disctrove::LookupResult found;
    disc.tracks.resize(data[0] % 100);
    for (size_t i = 0; i < disc.tracks.size(); ++i) {
        disc.tracks[i].index = static_cast<int32_t>(i);
    }
    disctrove::ParseCddbReply(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1),
                              disc, found);
    if (disc.tracks.size() != data[0] % 100u) {
        __builtin_trap();  // an entry names tracks, it never adds or drops them
    }
    return 0;
}
