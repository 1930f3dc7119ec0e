// A sample source read as interleaved 16-bit samples of a chosen rate and channel count, for
// the encoders whose libraries take 16-bit samples.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "audio/pcm_source.h"
#include "audio/sample_converter.h"

namespace disctrove {

class Int16Reader {
  public:
    Int16Reader(PcmSource& source, SampleLayout output);

    // False when the source's samples cannot be converted to the output layout.
    bool ok() const { return direct_ || (converter_ && converter_->ok()); }

    // Fills `out` with up to `samples` samples, whole frames only; 0 at the end of the source.
    size_t Read(int16_t* out, size_t samples);

    // How many bytes of the source have been read so far (for progress).
    uint64_t sourceBytesRead() const { return sourceBytes_; }

  private:
    void Refill();

    PcmSource& source_;
    SampleLayout output_;
    size_t sourceFrameBytes_;
    bool direct_;  // 16-bit samples of the output layout: no conversion at all
    std::unique_ptr<SampleConverter> converter_;
    std::vector<uint8_t> raw_;
    std::vector<std::vector<float>> planes_;
    std::vector<int16_t> pending_;  // converted samples not handed out yet
    size_t pendingStart_ = 0;
    bool ended_ = false;
    uint64_t sourceBytes_ = 0;
};

}  // namespace disctrove
