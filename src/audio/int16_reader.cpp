#include "audio/int16_reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace disctrove {

namespace {

constexpr int32_t kFramesPerRead = 1024;

int16_t ToInt16(float sample) {
    return static_cast<int16_t>(std::lrint(std::clamp(sample * 32768.0f, -32768.0f, 32767.0f)));
}

}  // namespace

Int16Reader::Int16Reader(PcmSource& source, SampleLayout output)
    : source_(source), output_(output) {
    const WavHeader& format = source.format();
    const int32_t bytes = (format.bitsPerSample + 7) / 8;
    sourceFrameBytes_ = static_cast<size_t>(format.channels) * static_cast<size_t>(bytes);
    const SampleLayout input{format.channels, static_cast<int32_t>(format.sampleRate),
                             ChannelOrder::wav, format.channelMask};
    direct_ = bytes == 2 && input.rate == output.rate &&
              SpeakersOf(input.channels, input.order, input.wavMask) ==
                  SpeakersOf(output.channels, output.order, output.wavMask);
    if (!direct_) {
        converter_ = std::make_unique<SampleConverter>(input, bytes, output);
        // No more than the source holds: what a header claims alone never sizes a buffer.
        const uint64_t frames = std::clamp<uint64_t>(
            format.dataLength / std::max<size_t>(sourceFrameBytes_, 1), 1, kFramesPerRead);
        raw_.resize(sourceFrameBytes_ * frames);
        planes_.resize(static_cast<size_t>(std::max(output.channels, 0)));
    }
}

void Int16Reader::Refill() {
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(pendingStart_));
    pendingStart_ = 0;
    const size_t bytes = source_.Read(raw_.data(), raw_.size());
    sourceBytes_ += bytes;
    const auto frames = static_cast<int32_t>(bytes / sourceFrameBytes_);
    const int32_t room = frames > 0 ? converter_->OutputRoom(frames) : kFramesPerRead * 4;
    std::vector<float*> planes(planes_.size());
    for (size_t c = 0; c < planes_.size(); ++c) {
        planes_[c].resize(static_cast<size_t>(room));
        planes[c] = planes_[c].data();
    }
    int32_t converted = 0;
    if (frames > 0) {
        converted = converter_->Convert(raw_.data(), frames, planes.data(), room);
    } else {
        converted = converter_->Flush(planes.data(), room);
        ended_ = converted == 0;
    }
    for (int32_t i = 0; i < converted; ++i) {
        for (const auto& plane : planes_) {
            pending_.push_back(ToInt16(plane[static_cast<size_t>(i)]));
        }
    }
}

size_t Int16Reader::Read(int16_t* out, size_t samples) {
    const auto channels = static_cast<size_t>(output_.channels);
    samples -= samples % channels;
    if (direct_) {
        const size_t bytes = source_.Read(out, samples * 2);
        sourceBytes_ += bytes;
        return bytes / sourceFrameBytes_ * channels;
    }
    while (pending_.size() - pendingStart_ < samples && !ended_) {
        Refill();
    }
    const size_t count = std::min(samples, pending_.size() - pendingStart_);
    if (count > 0) {  // an empty vector's data may be null, which memcpy must not be given
        std::memcpy(out, pending_.data() + pendingStart_, count * sizeof(int16_t));
    }
    pendingStart_ += count;
    return count;
}

}  // namespace disctrove
