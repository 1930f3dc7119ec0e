// The Ogg Vorbis encoder: 16-bit (or wider) PCM into an Ogg Vorbis file with Vorbis comments.
#pragma once

#include <memory>

#include "codecs/encode_job.h"

namespace disctrove {

class EncoderSink;

inline constexpr const char* kOggLowBitsMessage =
    "OGG Vorbis does not support less than 16 bits per sample.";

// Encodes job.sourcePath into job.outputPath with the OggFormat of the job's track. `fromRip`:
// the source is a rip's raw PCM temporary file (CD audio; progress runs from 30 to 100 and the
// file is deleted afterwards, whatever happened); otherwise a WAV file (progress 0 to 100).
// The outcome is the track's status: 100, 101 (stopped, or No at the overwrite question) or
// 102 (an error, told in an information box).
void OggEncode(WorkerContext& context, EncodeJob& job, bool fromRip);

// The Ogg Vorbis sink of the encode loop.
std::unique_ptr<EncoderSink> MakeOggSink();

}  // namespace disctrove
