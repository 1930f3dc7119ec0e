// Interleaved integer PCM in, planar float samples out, at another rate (libswresample) or
// with other channels (mixed by their speakers) when asked, so an encoder is always handed what
// it declared.
#pragma once

#include <cstdint>
#include <vector>

#include "audio/channel_layout.h"

struct SwrContext;

namespace disctrove {

struct SampleLayout {
    int32_t channels = 2;
    int32_t rate = 44100;
    ChannelOrder order = ChannelOrder::wav;
    uint32_t wavMask = 0;  // a WAV file's channel mask; 0 when it has none
};

class SampleConverter {
  public:
    // `bytesPerSample` is 1 (8-bit unsigned samples) or 2, 3 or 4 (16-, 24- or 32-bit
    // little-endian signed samples).
    SampleConverter(SampleLayout input, int32_t bytesPerSample, SampleLayout output);
    ~SampleConverter();
    SampleConverter(const SampleConverter&) = delete;
    SampleConverter& operator=(const SampleConverter&) = delete;

    // False when the conversion cannot be set up.
    bool ok() const { return ok_; }

    // Room in output frames that converting `inputFrames` frames may need.
    int32_t OutputRoom(int32_t inputFrames) const;

    // Converts `frames` interleaved frames at `input` into the output planes (one per output
    // channel, each with room for `room` frames); returns the frames written. Samples become
    // floats in -1..1 (a 16-bit sample s becomes s / 32768).
    int32_t Convert(const uint8_t* input, int32_t frames, float** output, int32_t room);

    // Hands out what the resampler still holds at the end of the input; 0 when nothing.
    int32_t Flush(float** output, int32_t room);

  private:
    // Mixes `frames` frames of planes_ into `output` (one plane per output channel).
    void Mix(int32_t frames, float** output) const;

    SampleLayout input_;
    int32_t bytesPerSample_;
    SampleLayout output_;
    std::vector<float> matrix_;               // output rows of input columns; empty: channels pass
    SwrContext* resampler_ = nullptr;         // only when the rate changes
    std::vector<std::vector<float>> planes_;  // the input as planar floats
    std::vector<std::vector<float>> mixed_;   // the input mixed, before resampling
    bool ok_ = false;
};

}  // namespace disctrove
