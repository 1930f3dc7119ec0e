// What an encoder of one format is to the encode loop: a sink that is opened with the source's
// format and the track's tags, is handed the samples block by block, and finishes its file. The
// loop (RunEncode) owns the rest: the source, the overwrite question, the working file's name and
// its rename or removal, progress, Stop and errors.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/sample_converter.h"
#include "audio/wav_file.h"
#include "codecs/encode_job.h"

namespace disctrove {

namespace platform {
class LameLibrary;
}

// What a sink is opened with.
struct SinkOpening {
    WorkerContext& context;  // the settings for the tags, the questions for what a library says
    const Track& track;      // its format record and names
    const WavHeader& input;  // the source's format
    bool fromRip;            // the source is a rip's raw PCM (CD audio), else a WAV file
    const std::string& writePath;   // the working file the sink creates and writes
    const std::string& outputPath;  // the name the user knows the file by (for messages)
    // What the sink made otherwise than the settings or the source asked, because its library
    // could not; the sink sets it when it opens.
    std::string& note;

    // A conversion's tags and cover from its source; null: the disc's names and the rip's cover.
    const CarriedTags* carried = nullptr;

    // The front cover: a conversion's source's, or a rip's (waiting for its fetch); else empty.
    const std::vector<uint8_t>& Cover() const {
        return carried != nullptr ? carried->cover : RipCover(context, fromRip);
    }
    // The file's tags: a conversion's source's (with ENCODER, `encoder`, in place of the
    // source's), else those of the track on the disc.
    std::vector<TrackTag> Tags(TagSet set) const;
};

// How a sink wants its samples.
struct SampleFeed {
    // Interleaved 16-bit samples of `int16Layout` (converted from whatever the source holds),
    // else the source's own bytes, whole frames.
    bool int16 = false;
    SampleLayout int16Layout = {};
    size_t blockSamples = 0;    // samples (of all channels) a block holds, int16 only
    size_t blockFrames = 0;     // frames a block holds, source bytes only
    uint64_t reportEvery = 10;  // blocks between two progress notifications
    std::string refused;        // told when the source cannot be converted to int16Layout
};

class EncoderSink {
  public:
    virtual ~EncoderSink() = default;

    // Before the overwrite question: whether the source's format can be encoded ("" when it
    // can, else what to tell), and how the samples are to come.
    virtual std::string Accept(const SinkOpening& opening, SampleFeed& feed) = 0;
    // After the question: sets the encoder up (settings it refuses leave any old file alone) and
    // creates opening.writePath; it may still size the feed's blocks. "" or what to tell.
    virtual std::string Open(const SinkOpening& opening, SampleFeed& feed) = 0;
    // Encodes one block: `frames` frames at `samples` (as the feed asked). "" or what to tell.
    virtual std::string Write(const void* samples, size_t frames) = 0;
    // Ends the file after the last block, or after a Stop (`stopped`). "" or what to tell.
    virtual std::string Finish(bool stopped) = 0;
    // Whether the part a Stop leaves is a well-formed file worth keeping; else it is removed.
    virtual bool KeepsStoppedPart() const { return true; }
};

// The one encode loop: encodes job.sourcePath into job.outputPath through `sink`, then
// FinishEncode. `fromRip`: the source is a rip's raw PCM temporary file (progress 30 to 100, the
// file deleted afterwards, whatever happened; the rip asked the overwrite question already);
// otherwise a WAV file (progress 0 to 100). The outcome is the track's status: 100, 101 (stopped,
// or No at the overwrite question) or 102 (an error, told in an information box).
// The sink is released (its files closed) before the working file is renamed or removed.
void RunEncode(WorkerContext& context, EncodeJob& job, bool fromRip,
               std::unique_ptr<EncoderSink> sink);

// The sink for tracks of `kind` (an MP3 one encodes through `lame`), or null when there is
// none for it. Adding a format is adding its sink here.
std::unique_ptr<EncoderSink> MakeEncoderSink(EncoderKind kind, platform::LameLibrary* lame);

}  // namespace disctrove
