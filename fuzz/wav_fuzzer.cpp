// WAV files to convert: the header reader and the sample source that delivers the samples.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "audio/pcm_source.h"
#include "audio/wav_file.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = disctrove::fuzz::WriteScratchFile("in.wav", data, size);
    disctrove::PcmSource source = disctrove::PcmSource::OpenWav(path);
    if (source.error() != disctrove::PcmSourceError::none) {
        return 0;
    }
    const disctrove::WavHeader& format = source.format();
    if (format.dataLength > size) {
        __builtin_trap();  // it claims samples the file does not hold
    }
    std::vector<uint8_t> buffer(4096);
    uint64_t delivered = 0;
    while (const size_t got = source.Read(buffer.data(), buffer.size())) {
        delivered += got;
        if (delivered > format.dataLength) {
            __builtin_trap();
        }
    }
    return 0;
}
