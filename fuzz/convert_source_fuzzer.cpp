// Any file a user may hand the conversion (damaged audio of every format, or none), opened as a
// conversion source and decoded to its end.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "codecs/convert_source.h"
#include "fuzz_support.h"

using namespace disctrove;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ConvertSource source{fuzz::WriteScratchFile("in", data, size), -1, ""};
    (void)SourceCodecOf(source);
    std::string error;
    const auto stream = OpenConvertStream(source, error);
    if (!stream) {
        if (error.empty()) {
            __builtin_trap();  // a refusal always says why
        }
        return 0;
    }
    std::vector<uint8_t> buffer(65536);
    while (stream->Read(buffer.data(), buffer.size()) > 0) {
    }
    (void)stream->Failure();
    return 0;
}
