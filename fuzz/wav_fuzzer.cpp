// WAV files to convert: the header reader, the sample source that delivers the samples, and
// the readers the encoders take them through (16-bit stereo for LAME and WMA, planar floats in
// Vorbis order for Ogg Vorbis and Opus), so a header's claims reach what they size.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "audio/int16_reader.h"
#include "audio/pcm_source.h"
#include "audio/sample_converter.h"
#include "audio/wav_file.h"
#include "fuzz_support.h"

using namespace disctrove;

namespace {

// Every sample the source delivers, through `read`; traps when it delivers more than it holds.
template <typename Read>
void Drain(uint64_t limit, Read&& read) {
    uint64_t delivered = 0;
    while (const size_t got = read()) {
        delivered += got;
        if (delivered > limit) {
            __builtin_trap();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzz::WriteScratchFile("in.wav", data, size);
    PcmSource source = PcmSource::OpenWav(path);
    if (source.error() != PcmSourceError::none) {
        return 0;
    }
    const WavHeader& format = source.format();
    if (format.dataLength > size) {
        __builtin_trap();  // it claims samples the file does not hold
    }
    std::vector<uint8_t> buffer(4096);
    Drain(format.dataLength, [&] { return source.Read(buffer.data(), buffer.size()); });

    // As the MP3 and WMA encoders read it: stereo 16-bit samples at the source's rate.
    const uint64_t frames =
        format.dataLength / (uint64_t{format.channels} * ((format.bitsPerSample + 7u) / 8u));
    PcmSource again = PcmSource::OpenWav(path);
    Int16Reader reader(again, {2, static_cast<int32_t>(format.sampleRate)});
    if (reader.ok()) {
        std::vector<int16_t> samples(2304);
        Drain(frames * 2, [&] { return reader.Read(samples.data(), samples.size()); });
    }

    // As the Ogg Vorbis and Opus encoders read it: planar floats in Vorbis's channel order.
    PcmSource third = PcmSource::OpenWav(path);
    const int32_t bytes = (format.bitsPerSample + 7) / 8;
    const auto rate = static_cast<int32_t>(format.sampleRate);
    SampleConverter converter({format.channels, rate, ChannelOrder::wav, format.channelMask}, bytes,
                              {format.channels, rate, ChannelOrder::vorbis});
    if (converter.ok()) {
        const size_t frameBytes = size_t{format.channels} * static_cast<size_t>(bytes);
        std::vector<uint8_t> pcm(frameBytes * 256);
        std::vector<std::vector<float>> planes(format.channels, std::vector<float>(256));
        std::vector<float*> pointers;
        for (auto& plane : planes) {
            pointers.push_back(plane.data());
        }
        Drain(frames, [&]() -> size_t {
            const auto got = static_cast<int32_t>(third.Read(pcm.data(), pcm.size()) / frameBytes);
            return got == 0 ? 0
                            : static_cast<size_t>(
                                  converter.Convert(pcm.data(), got, pointers.data(), 256));
        });
    }
    return 0;
}
