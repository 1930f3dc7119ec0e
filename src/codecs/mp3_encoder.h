// The MP3 encoder through the LAME library, the ID3 version 1 tag it appends and the ID3v2 tag
// it puts in front.
#pragma once

#include <array>
#include <cstdio>
#include <memory>

#include "codecs/encode_job.h"
#include "platform/lame/lame_library.h"

namespace disctrove {

inline constexpr const char* kLameLowBitsMessage =
    "LAME encoder does not support less than 16 bits per sample.";
inline constexpr const char* kLameBindingMessage = "Error binding encoding functions from LAME dll";

// Loads the LAME library for a run or a conversion; on failure tells the user why ("Error
// loading LAME encoder dll\n%s" with the loader's reason, or the binding message) and returns
// null.
std::unique_ptr<platform::LameLibrary> LoadLame(WorkerQuestions& questions);

// The configuration record for `format`, for samples at `inputRate` with `inputChannels`.
platform::BeConfig Mp3Config(const Mp3Format& format, uint32_t inputRate, int32_t inputChannels);

// The 128-byte ID3 version 1.1 tag of `track`.
std::array<uint8_t, 128> Id3v1Tag(const DiscNames& names, const Track& track);

// Appends the tag of `track` to `out` (open at the end of the file).
void WriteId3v1Tag(std::FILE* out, const DiscNames& names, const Track& track);

class EncoderSink;

// The MP3 sink of the encode loop, encoding through `lame` (which must outlive it).
std::unique_ptr<EncoderSink> MakeMp3Sink(platform::LameLibrary& lame);

// Encodes job.sourcePath into job.outputPath with the Mp3Format of the job's track. `fromRip`:
// the source is a rip's raw PCM temporary file (progress 30 to 100; deleted afterwards, whatever
// happened); otherwise a WAV file. The outcome is the track's status.
void EncodeMp3(WorkerContext& context, platform::LameLibrary& lame, EncodeJob& job, bool fromRip);

}  // namespace disctrove
