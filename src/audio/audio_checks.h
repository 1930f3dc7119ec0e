// The checks a rip keeps of each track's audio: its CRC32 and its peak level.
#pragma once

#include <cstdint>

#include "audio/sample_stage.h"

namespace disctrove {

struct AudioChecks {
    uint32_t crc32 = 0;  // CRC-32 (as zlib and zip compute it) of the audio bytes
    uint32_t peak = 0;   // the largest sample magnitude, 0 to 32768
};

// Computes AudioChecks of 16-bit samples as they pass; a sample split between two calls is put
// together again.
class AudioChecksStage final : public SampleStage {
  public:
    bool Take(std::span<const uint8_t> bytes) override;
    const AudioChecks& checks() const { return checks_; }

  private:
    AudioChecks checks_;
    bool halfSample_ = false;  // a sample's low byte waits for its high byte
    uint8_t lowByte_ = 0;
};

}  // namespace disctrove
