// What a conversion reads: audio files of any format we decode, and the tracks of disc images,
// found in the files and folders the user gives.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "audio/pcm_source.h"
#include "codecs/flac_decoder.h"

namespace disctrove {

// One thing a conversion reads: a file, or one track of a disc image (a .cue sheet, or a FLAC
// file that holds its own sheet).
struct ConvertSource {
    std::string path;
    int32_t track = 0;  // the image's track number (0 the hidden track); -1: the whole file
    // The folder given by the user that this source was found in ("" for a file given by
    // itself): its place below that folder is what --keep-tree mirrors.
    std::string root;
};

// What a source's samples were coded as: lossy sources lose more in a lossy target.
enum class SourceCodec { wav, flac, oggVorbis, opus, mp3, wma, aac, alac, other };
SourceCodec SourceCodecOf(const ConvertSource& source);
bool IsLossy(SourceCodec codec);

// How a source is shown to the user: "song.flac", "Album.cue, track 03".
std::string SourceDisplayName(const ConvertSource& source);

// Opens the samples of `source`: the whole file, exactly as many samples as it holds (an MP3's
// encoder delay and padding and an Opus file's pre-skip trimmed), or the track's sectors of an
// image. Null, with `error` saying why, when the file cannot be read or decoded. A FLAC source is
// compared with its MD5 signature only when `flacCheck` asks: as other converters do, a conversion
// trusts each frame's CRC and the file's sample count by default.
std::unique_ptr<PcmStream> OpenConvertStream(
    const ConvertSource& source, std::string& error,
    FlacSignatureCheck flacCheck = FlacSignatureCheck::off);

struct SourceListing {
    std::vector<ConvertSource> sources;
    // What was given or found that cannot be converted: (path, reason).
    std::vector<std::pair<std::string, std::string>> refused;
};

// The sources in `paths`, in the order given: a file is itself (whatever its extension); a folder
// is every file below it whose extension names a format we decode, in name order, recursively.
// A .cue sheet becomes one source per audio track, and the audio files it names are not listed
// again; so does a FLAC file that holds a sheet with more than one track. A path that does not
// exist or cannot be read is refused.
SourceListing ListConvertSources(const std::vector<std::string>& paths);

}  // namespace disctrove
