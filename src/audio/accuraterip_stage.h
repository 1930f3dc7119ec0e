// The AccurateRip checksums of a track, computed as its samples pass.
#pragma once

#include <cstdint>

#include "audio/sample_stage.h"

namespace disctrove {

struct AccurateRipSums {
    uint32_t v1 = 0;
    uint32_t v2 = 0;
};

// The positions (from 1) a track's checksums count: all but the first 5 sectors less one frame of
// a disc's first track and the last 5 sectors of its last.
struct AccurateRipRange {
    uint64_t from = 1;
    uint64_t to = 0;
};
AccurateRipRange AccurateRipRangeOf(uint64_t frames, bool first, bool last);

// Each stereo sample frame, read as one little-endian 32-bit word (left in the low half), is
// multiplied by its position from 1; v1 sums the products' low halves, v2 their low and high
// halves. The first track of a disc leaves out its first 5 sectors less one frame and the last
// track its last 5 sectors, where drives differ most.
class AccurateRipStage final : public SampleStage {
  public:
    // `frames`: the track's length in sample frames; `first`/`last`: its place on the disc.
    AccurateRipStage(uint64_t frames, bool first, bool last);
    bool Take(std::span<const uint8_t> bytes) override;
    AccurateRipSums sums() const { return {v1_, v1_ + high_}; }
    // The plain sum of the words counted: with the edges of the audio it lets the v1 checksum
    // slide to other alignments (see PressingOffsetMatch).
    uint32_t wordSum() const { return sum_; }

  private:
    void Add(uint32_t word);

    uint64_t from_;          // the first position counted
    uint64_t to_;            // the last position counted
    uint64_t position_ = 0;  // of the last frame taken
    uint32_t v1_ = 0;
    uint32_t high_ = 0;
    uint32_t sum_ = 0;
    uint8_t partial_[4] = {};  // a frame split between two reads
    size_t partialBytes_ = 0;
};

}  // namespace disctrove
