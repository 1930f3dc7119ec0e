// The FLAC encoder: PCM into a lossless FLAC file with an MD5 signature, a seek table, Vorbis
// comments and room for later tag edits.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "codecs/encode_job.h"
#include "codecs/track_tags.h"

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

// A track of a disc image's CUESHEET block.
struct FlacCueTrack {
    int number = 1;    // 1 to 99
    std::string isrc;  // 12 characters, or empty
    bool preEmphasis = false;
    // Index number and the sample (from the file's first) where it begins, in order; the first is
    // INDEX 00 or 01, and every one lies on a sector's first sample.
    std::vector<std::pair<int, uint64_t>> indexes;
};

// What the file of a whole disc carries besides its audio (CD audio, 44.1 kHz 16-bit stereo).
struct FlacImage {
    std::vector<TrackTag> tags;  // the album's Vorbis comments, CUESHEET among them
    std::string catalog;         // the disc's catalogue number, or empty
    std::vector<FlacCueTrack> tracks;
    uint64_t frames = 0;  // the image's length in samples: where the lead-out lies
};

// The FLAC sink of a disc image: the album's comments instead of a track's, and the CUESHEET
// block of a CD (lead-out track 170) that says where each track and index begins. Its Open
// refuses a sheet that libFLAC finds against the CD-DA rules, and says which.
std::unique_ptr<EncoderSink> MakeFlacImageSink(FlacImage image);

}  // namespace disctrove
