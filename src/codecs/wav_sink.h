// WAV files as a conversion's target: the source's samples as they are, with its tags.
#pragma once

#include <memory>

namespace disctrove {

class EncoderSink;

// The sink that writes the source's samples unchanged (any width, rate and channels) into a
// plain PCM WAV file, its header rewritten with the lengths at the end, then the carried tags
// and cover into the file (an ID3v2 chunk and the INFO chunk). Conversions only: rips make
// their WAV files otherwise.
std::unique_ptr<EncoderSink> MakeWavSink();

}  // namespace disctrove
