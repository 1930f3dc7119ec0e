// The MusicBrainz web service's answer to a disc look-up: the first byte picks the disc's
// audio track count.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "disc/musicbrainz_reply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view json(reinterpret_cast<const char*>(data + 1), size - 1);
    const auto releases =
        disctrove::ParseMusicBrainzReply(json, "lwHl8fGzJyLXQR33ug60E8jhf4k-", data[0] % 100);
    for (const auto& release : releases) {
        (void)disctrove::GenreListName(release.title);
    }
    return 0;
}
