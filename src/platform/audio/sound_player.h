// Short sounds on the default sound device, played without waiting for them.
#pragma once

#include <cstdint>
#include <vector>

namespace disctrove::platform {

// Starts playing interleaved 16-bit samples and returns at once; a sound still playing is cut
// short. Without a sound device nothing is heard.
void PlaySamplesAsync(std::vector<int16_t> samples, uint32_t rate, uint32_t channels);

// The system's default sound: a short tone.
void PlayDefaultSound();

}  // namespace disctrove::platform
