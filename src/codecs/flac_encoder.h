// The FLAC encoder: PCM into a lossless FLAC file with an MD5 signature, a seek table, Vorbis
// comments and room for later tag edits.
#pragma once

#include <memory>

#include "codecs/encode_job.h"

namespace disctrove {

class EncoderSink;

inline constexpr const char* kFlacVerifyMessage =
    "FLAC verification failed: the encoded audio does not decode back to the source.\n"
    "The file was not kept.";

// Encodes job.sourcePath into job.outputPath with the FlacFormat of the job's track: the
// compression level (0 to 8) and whether libFLAC's verify mode checks every frame. A rip's raw
// PCM temporary file (`fromRip`; progress 30 to 100, the file deleted afterwards) is CD audio; a
// WAV file (progress 0 to 100) keeps its bits, rate and channels, as a lossless copy must. The
// outcome is the track's status: 100, 101 (stopped, or No at the overwrite question) or 102 (an
// error, told in an information box). A file that was not completed is removed.
void FlacEncode(WorkerContext& context, EncodeJob& job, bool fromRip);

// The FLAC sink of the encode loop.
std::unique_ptr<EncoderSink> MakeFlacSink();

}  // namespace disctrove
