// The first and last sample frames of a track's audio, kept as they pass: what a check at another
// alignment needs beside the sums of the whole track.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "audio/sample_stage.h"

namespace disctrove {

// Ten sectors: the counted range of a disc's first or last track shifted by the most a pressing
// can be off (5 sectors less one frame), plus that shift again.
inline constexpr size_t kEdgeFrames = 10 * 588;

struct AudioEdges {
    uint64_t frames = 0;         // of the whole track
    std::vector<uint32_t> head;  // its first frames (up to kEdgeFrames), as little-endian words
    std::vector<uint32_t> tail;  // its last frames (up to kEdgeFrames)
};

class AudioEdgesStage final : public SampleStage {
  public:
    bool Take(std::span<const uint8_t> bytes) override;
    AudioEdges edges() const;

  private:
    std::vector<uint8_t> head_;
    std::vector<uint8_t> tail_;
    uint64_t bytes_ = 0;
};

}  // namespace disctrove
