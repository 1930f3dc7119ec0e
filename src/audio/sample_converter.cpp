#include "audio/sample_converter.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cstring>

namespace disctrove {

namespace {

float SampleAt(const uint8_t* at, int32_t bytes) {
    switch (bytes) {
        case 1:  // 8-bit WAV samples are unsigned
            return static_cast<float>(static_cast<int32_t>(at[0]) - 128) * (1.0f / 128.0f);
        case 2:
            return static_cast<float>(static_cast<int16_t>(at[0] | (at[1] << 8))) *
                   (1.0f / 32768.0f);
        case 3: {
            const auto value = static_cast<int32_t>(static_cast<uint32_t>(at[0]) << 8 |
                                                    static_cast<uint32_t>(at[1]) << 16 |
                                                    static_cast<uint32_t>(at[2]) << 24);
            return static_cast<float>(value) * (1.0f / 2147483648.0f);
        }
        default: {
            const auto value = static_cast<int32_t>(
                static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
                static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24);
            return static_cast<float>(value) * (1.0f / 2147483648.0f);
        }
    }
}

}  // namespace

SampleConverter::SampleConverter(SampleLayout input, int32_t bytesPerSample, SampleLayout output)
    : input_(input), bytesPerSample_(bytesPerSample), output_(output) {
    if (input.channels <= 0 || output.channels <= 0 || input.rate <= 0 || output.rate <= 0 ||
        bytesPerSample < 1 || bytesPerSample > 4) {
        return;
    }
    planes_.resize(static_cast<size_t>(input.channels));
    // Channels are mixed here, by the speakers they feed, and not by libswresample, whose own
    // matrix gains 3 dB on a mono mix of stereo and knows nothing of Vorbis's order.
    const auto from = SpeakersOf(input.channels, input.order, input.wavMask);
    const auto to = SpeakersOf(output.channels, output.order, output.wavMask);
    if (from != to) {
        matrix_ = ChannelMatrix(from, to);
        mixed_.resize(static_cast<size_t>(output.channels));
    }
    if (input.rate == output.rate) {
        ok_ = true;
        return;
    }
    AVChannelLayout layout{};
    av_channel_layout_default(&layout, output.channels);
    ok_ = swr_alloc_set_opts2(&resampler_, &layout, AV_SAMPLE_FMT_FLTP, output.rate, &layout,
                              AV_SAMPLE_FMT_FLTP, input.rate, 0, nullptr) == 0 &&
          swr_init(resampler_) == 0;
    av_channel_layout_uninit(&layout);
}

SampleConverter::~SampleConverter() {
    swr_free(&resampler_);
}

int32_t SampleConverter::OutputRoom(int32_t inputFrames) const {
    if (resampler_ == nullptr) {
        return inputFrames;
    }
    return std::max(swr_get_out_samples(resampler_, inputFrames), 0);
}

int32_t SampleConverter::Convert(const uint8_t* input, int32_t frames, float** output,
                                 int32_t room) {
    if (!ok_ || frames <= 0) {
        return 0;
    }
    if (resampler_ == nullptr) {
        frames = std::min(frames, room);
    }
    // With nothing to mix or resample, the samples go straight into the output planes.
    const bool straight = matrix_.empty() && resampler_ == nullptr;
    const auto channels = static_cast<size_t>(input_.channels);
    const size_t frameBytes = channels * static_cast<size_t>(bytesPerSample_);
    for (size_t c = 0; c < channels; ++c) {
        if (!straight) {
            planes_[c].resize(static_cast<size_t>(frames));
        }
        float* plane = straight ? output[c] : planes_[c].data();
        const uint8_t* at = input + c * static_cast<size_t>(bytesPerSample_);
        for (int32_t i = 0; i < frames; ++i, at += frameBytes) {
            plane[i] = SampleAt(at, bytesPerSample_);
        }
    }
    if (straight) {
        return frames;
    }
    if (resampler_ == nullptr) {
        Mix(frames, output);
        return frames;
    }
    if (!matrix_.empty()) {
        std::vector<float*> mixed(mixed_.size());
        for (size_t c = 0; c < mixed_.size(); ++c) {
            mixed_[c].resize(static_cast<size_t>(frames));
            mixed[c] = mixed_[c].data();
        }
        Mix(frames, mixed.data());
    }
    std::vector<const uint8_t*> in;
    for (const auto& plane : matrix_.empty() ? planes_ : mixed_) {
        in.push_back(reinterpret_cast<const uint8_t*>(plane.data()));
    }
    const int converted =
        swr_convert(resampler_, reinterpret_cast<uint8_t**>(output), room, in.data(), frames);
    return std::max(converted, 0);
}

void SampleConverter::Mix(int32_t frames, float** output) const {
    const size_t width = planes_.size();
    for (size_t o = 0; o < static_cast<size_t>(output_.channels); ++o) {
        float* out = output[o];
        std::fill_n(out, frames, 0.0f);
        for (size_t c = 0; c < width; ++c) {
            const float share = matrix_[o * width + c];
            const float* in = planes_[c].data();
            for (int32_t i = 0; share != 0.0f && i < frames; ++i) {
                out[i] += share * in[i];
            }
        }
    }
}

int32_t SampleConverter::Flush(float** output, int32_t room) {
    if (resampler_ == nullptr || !ok_) {
        return 0;
    }
    const int converted =
        swr_convert(resampler_, reinterpret_cast<uint8_t**>(output), room, nullptr, 0);
    return std::max(converted, 0);
}

}  // namespace disctrove
