// A CTDB answer (lookup2.php's XML) and the verdicts judged from it.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "disc/ctdb_database.h"

using namespace disctrove;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto entries = ParseCtdbAnswer(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!entries || entries->empty()) {
        return 0;
    }
    const CtdbEntry first = entries->front();
    const CtdbAnswer answer{CtdbAnswer::Kind::found, std::move(*entries)};
    (void)CtdbVerdictText(JudgeCtdbDisc(answer, first.crc32));
    for (size_t position = 0; position <= first.trackCrcs.size(); ++position) {
        const uint32_t crc = position < first.trackCrcs.size() ? first.trackCrcs[position] : 0;
        (void)CtdbVerdictText(JudgeCtdbTrack(answer, position, crc));
    }
    return 0;
}
