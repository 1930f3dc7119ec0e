// The answers of a CDDB server to a query and to a read, as the CDDB look-up hands them on.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/cdrom/cddb_protocol.h"

using namespace disctrove::platform;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    const CddbQueryAnswer query = ParseCddbQueryAnswer(body, kMaxCddbMatches);
    if (query.matches.size() > kMaxCddbMatches || (!query.understood && !query.matches.empty())) {
        __builtin_trap();
    }
    for (const CddbMatch& match : query.matches) {
        (void)CddbTextToUtf8(match.title);
    }
    if (const auto entry = ParseCddbReadAnswer(body)) {
        (void)CddbTextToUtf8(*entry);
    }
    const int status = CddbStatus(body);
    if (status < 0 || status > 999) {
        __builtin_trap();
    }
    return 0;
}
