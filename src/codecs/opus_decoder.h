// The Opus decoder: an Ogg Opus file into a 16-bit PCM WAV file at 48 kHz.
#pragma once

#include <memory>

#include "codecs/decoder_source.h"

namespace disctrove {

inline constexpr const char* kCannotOpenOpusMessage = "Cannot open Opus input file.";
inline constexpr const char* kNotOpusMessage =
    "The input file is not an Opus file.\nNothing was decoded.";
inline constexpr const char* kOpusReadErrorMessage =
    "Error while reading the Opus input file.\nThe WAV file holds what was decoded before it.";
inline constexpr const char* kOpusChannelsChangeMessage =
    "The channels of the Opus file change along the way.\nThe WAV file holds what was decoded "
    "before.";

// The Opus source of the decode loop.
std::unique_ptr<DecoderSource> MakeOpusSource();

// Decodes decodeSourcePath (the source of a decode, whatever its format) into wavSourcePath, as
// OggDecodeThread does for Ogg Vorbis: 16-bit samples at 48 kHz (Opus's own rate, whatever rate
// the header names), the channels of the stream in WAV order, its output gain applied. The same
// results, statuses and progress as OggDecodeThread.
int OpusDecodeThread(WorkerContext& context, Track& progress);

}  // namespace disctrove
