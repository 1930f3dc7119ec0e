// The FLAC decoder: a FLAC file into a PCM WAV file of the same bits, rate and channels, sample
// for sample.
#pragma once

#include <memory>

#include "codecs/decoder_source.h"

namespace disctrove {

inline constexpr const char* kCannotOpenFlacMessage = "Cannot open FLAC input file.";
inline constexpr const char* kNotFlacMessage =
    "The input file is not a FLAC file.\nNothing was decoded.";
inline constexpr const char* kFlacReadErrorMessage =
    "Error while reading the FLAC input file: it is damaged.\nThe WAV file holds what was "
    "decoded, with silence in place of the damaged frames.";
inline constexpr const char* kFlacMd5Message =
    "The decoded audio does not match the MD5 signature of the FLAC file: the file is "
    "damaged.\nThe WAV file holds what was decoded.";
inline constexpr const char* kFlacTooLongMessage =
    "The FLAC file holds more samples than its header says: it is damaged.\nThe WAV file holds "
    "what was decoded.";

// Whether decoding compares the samples with the MD5 signature the file holds. The check costs a
// pass of MD5 over every sample (about 2% of a conversion into Opus); without it, damage is still
// found by each frame's CRC and by the sample count the file's header gives.
enum class FlacSignatureCheck { on, off };

// The FLAC source of the decode loop.
std::unique_ptr<DecoderSource> MakeFlacSource(FlacSignatureCheck check = FlacSignatureCheck::on);

// The body of the decoding thread for a FLAC source, as OggDecodeThread is for an Ogg Vorbis
// one: decodes decodeSourcePath (the decode command's source, whatever its format) into
// wavSourcePath, with the same progress, questions, outcomes and return values. Samples of a
// width that is no whole number of bytes (20 bits) are widened to the next (24), shifted up.
int FlacDecodeThread(WorkerContext& context, Track& progress);

}  // namespace disctrove
