// Test instruments of the simulated disc (.simcd).
#pragma once

#include <cstdint>

namespace disctrove::platform {

// The simulated disc's audio: in sample frame f counted from sector 0 (588 frames a sector), the
// left sample is the low 16 bits of f × 7 and the right sample those of f × 13 + 1, signed 16-bit
// little-endian. Writes `frames` frames from `firstFrame` on into `out` (4 bytes a frame).
void FillSimulatedAudio(int64_t firstFrame, int64_t frames, uint8_t* out);

// How many raw reads the simulated discs of this process have served, plain and for
// jitter-correcting reads, and how many Q subchannel frames.
struct SimulatedReadCounts {
    uint64_t plain = 0;
    uint64_t correcting = 0;
    uint64_t subchannel = 0;
};
SimulatedReadCounts GetSimulatedReadCounts();
void ResetSimulatedReadCounts();

}  // namespace disctrove::platform
