// Synthesized music: plucked strings playing a simple chord progression, so that encoders and
// demonstrations work on something that sounds like music rather than noise or a pure tone.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace disctrove::testing {

// `seconds` of 44100 Hz stereo 16-bit samples, interleaved; `variation` picks the key and the
// tempo, so that several tracks differ.
std::vector<int16_t> SynthesizeMusic(double seconds, int variation = 0);

// Writes samples as a 44100 Hz stereo 16-bit WAV file.
void WriteStereoWav(const std::string& path, const std::vector<int16_t>& samples);

}  // namespace disctrove::testing
