// A decoder's samples measured for ReplayGain on their way to the encoder, so that a conversion
// reads its source once.
#pragma once

#include <memory>
#include <vector>

#include "audio/loudness_stage.h"
#include "audio/pcm_source.h"

namespace disctrove {

class MeasuredStream final : public PcmStream {
  public:
    // Passes `stream` on and measures what passes into `meter`, which must outlive it and be
    // made for the stream's channels and rate.
    MeasuredStream(std::unique_ptr<PcmStream> stream, LoudnessMeter& meter);

    WavHeader Format() const override { return format_; }
    size_t Read(void* buffer, size_t size) override;
    std::string Failure() const override { return stream_->Failure(); }

  private:
    std::unique_ptr<PcmStream> stream_;
    LoudnessMeter& meter_;
    WavHeader format_;
    size_t sampleBytes_;
    std::vector<int16_t> samples_;
};

}  // namespace disctrove
