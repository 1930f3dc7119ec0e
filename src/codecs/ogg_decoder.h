// The Ogg Vorbis decoder: an Ogg Vorbis file into a 16-bit PCM WAV file.
#pragma once

#include <memory>

#include "codecs/decoder_source.h"

namespace disctrove {

inline constexpr const char* kCannotOpenOggMessage = "Cannot open OGG input file.";
inline constexpr const char* kNotOggMessage =
    "The input file is not an OGG Vorbis file.\nNothing was decoded.";
inline constexpr const char* kOneBitstreamMessage =
    "Only one logical bitstream currently supported.";
inline constexpr const char* kOggReadErrorMessage =
    "Error while reading the OGG input file.\nThe WAV file holds what was decoded before it.";

// The Ogg Vorbis source of the decode loop.
std::unique_ptr<DecoderSource> MakeOggVorbisSource();

// The body of the decoding thread: decodes decodeSourcePath into wavSourcePath. `progress` carries
// the progress to the dialog (its title becomes the source's file name, its status the outcome:
// 100, 101 or 102). Sets `finished` on every way out. Returns 0 on success, 102 after a failure
// while decoding, -1 when the source or destination could not be opened, the source is no Ogg
// Vorbis file, or the user declined to overwrite.
int OggDecodeThread(WorkerContext& context, Track& progress);

}  // namespace disctrove
