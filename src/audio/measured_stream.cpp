#include "audio/measured_stream.h"

#include <algorithm>
#include <utility>

namespace disctrove {

MeasuredStream::MeasuredStream(std::unique_ptr<PcmStream> stream, LoudnessMeter& meter)
    : stream_(std::move(stream)),
      meter_(meter),
      format_(stream_->Format()),
      sampleBytes_(static_cast<size_t>(std::clamp<int>((format_.bitsPerSample + 7) / 8, 1, 4))) {}

size_t MeasuredStream::Read(void* buffer, size_t size) {
    const size_t got = stream_->Read(buffer, size);
    const size_t channels = std::max<size_t>(format_.channels, 1);
    const size_t frames = got / (sampleBytes_ * channels);
    samples_.resize(frames * channels);
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    // The loudness of 16 bits is the loudness of the whole sample: its top two bytes suffice.
    for (size_t i = 0; i < samples_.size(); ++i) {
        const uint8_t* sample = bytes + i * sampleBytes_;
        if (sampleBytes_ == 1) {  // 8-bit WAV samples are unsigned
            samples_[i] = static_cast<int16_t>((sample[0] - 128) * 256);
        } else {
            samples_[i] = static_cast<int16_t>(
                static_cast<uint16_t>(sample[sampleBytes_ - 2] | (sample[sampleBytes_ - 1] << 8)));
        }
    }
    meter_.Add(samples_.data(), frames);
    return got;
}

}  // namespace disctrove
