// The Opus encoder: PCM into an Ogg Opus file (libopusenc) with Vorbis-style comments.
#pragma once

#include <memory>

#include "codecs/encode_job.h"

namespace disctrove {

class EncoderSink;

// Encodes job.sourcePath into job.outputPath with the OpusFormat of the job's track. `fromRip`:
// the source is a rip's raw PCM temporary file (progress 30 to 100, the file deleted afterwards,
// whatever happened); otherwise a WAV file (progress 0 to 100). Mono and stereo stay as they are,
// three to eight channels use the Vorbis layout. libopusenc resamples to 48 kHz; the source's
// rate goes into the header. The outcome is the track's status: 100, 101 (stopped: the stream
// is ended and kept with what was encoded; or No at the overwrite question) or 102 (an error,
// told in an information box; a file begun is removed).
void OpusEncode(WorkerContext& context, EncodeJob& job, bool fromRip);

// The Opus sink of the encode loop.
std::unique_ptr<EncoderSink> MakeOpusSink();

}  // namespace disctrove
