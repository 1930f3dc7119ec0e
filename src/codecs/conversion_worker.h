// The worker of the "Encode WAV file" command: one WAV file into the format of WAVEncoder.
#pragma once

#include "codecs/encode_job.h"

namespace disctrove {

// Encodes wavSourcePath into ConvertOutputPath of it, in the WAVEncoder kind with that kind's
// pageFormats group. `progress` is the conversion's record (a track without a disc): its title
// becomes the source's name, its status the outcome. `result` gets what the encoder made otherwise
// than asked and the file's loudness (ReplayGain on). Sets `finished` and posts WorkFinished;
// returns 0 (1 when there was no memory for the work).
int ConversionWorker(WorkerContext& context, Track& progress, TrackResult& result);

// What a file given to the decode command holds, by its first bytes, else by its extension.
// `unknown`: a file that can be read and is none of them by its content or its name.
enum class DecodeFormat { oggVorbis, flac, opus, unknown };
DecodeFormat DecodeFormatOf(const std::string& path);

// The worker of the "Decode file" command: decodes decodeSourcePath into wavSourcePath with the
// decoder of its DecodeFormatOf, with that decoder's progress, outcomes and return value.
int DecodeWorker(WorkerContext& context, Track& progress);

inline constexpr const char* kNotDecodableMessage =
    "The input file is not an Ogg Vorbis, Opus or FLAC file.\nNothing was decoded.";

// The record a conversion of `source` starts from.
Track ConversionTrack(const Options& options, const SessionInputs& session,
                      const std::string& source);

}  // namespace disctrove
