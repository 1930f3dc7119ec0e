// The CUETools database (CTDB) checksum of a track, computed as its samples pass.
#pragma once

#include <cstdint>
#include <span>

#include "audio/sample_stage.h"

namespace disctrove {

// What a track adds to the disc's checksum: the CRC-32 of the bytes it covers, and how many.
struct CtdbPiece {
    uint32_t crc = 0;
    uint64_t bytes = 0;
};

// The CRC-32 (as zlib computes it) of the audio bytes as read, silence included. The disc's
// audio leaves out its first 10 sectors and its last 10 sectors plus what is left over of a
// 10-sector block, so that the part covered is a whole number of blocks; a track's checksum is
// that of its share of the covered part: the first track starts 10 sectors in, the last ends
// where the disc's covered part ends.
class CtdbStage final : public SampleStage {
  public:
    // `frames`: the track's length in sample frames; `first`/`last`: its place among the disc's
    // audio tracks; `discFrames`: the length of all the disc's audio tracks together.
    CtdbStage(uint64_t frames, bool first, bool last, uint64_t discFrames);
    bool Take(std::span<const uint8_t> bytes) override;
    uint32_t crc() const { return crc_; }
    CtdbPiece piece() const { return {crc_, to_ - from_}; }

  private:
    uint64_t from_;          // the first byte covered
    uint64_t to_;            // the byte after the last covered
    uint64_t position_ = 0;  // bytes taken so far
    uint32_t crc_ = 0;
};

// The disc's checksum from the pieces of all its audio tracks, in disc order.
uint32_t CtdbDiscCrc(std::span<const CtdbPiece> pieces);

}  // namespace disctrove
