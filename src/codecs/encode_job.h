// What an encoder is given, and how the rip worker reaches the encoder of each format.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/formats.h"
#include "audio/pcm_source.h"
#include "codecs/track_tags.h"
#include "codecs/worker_context.h"
#include "disc/disc_state.h"
#include "disc/track_result.h"
#include "platform/system/files.h"

namespace disctrove {

// Sets the status of `track` and posts the progress notification.
inline void ReportStatus(WorkerContext& context, Track& track, int32_t status) {
    track.status = status;
    context.notifications.TrackProgress(track.index, status);
}

struct EncodeJob {
    Track* track = nullptr;  // its format, title and length; its status tells the outcome
    std::string sourcePath;  // the raw PCM temporary file of a rip, or a WAV file
    std::string outputPath;  // the file the user gets
    // Where the encoder writes: a temporary file beside outputPath that takes its place once
    // the encoder is done with it, so a file under the output's name is never half written.
    std::string writePath = {};
    // Where the encoder's note goes (what it made otherwise than asked); none when null.
    TrackResult* result = nullptr;
    // A conversion from another format: opens the decoder's samples in place of sourcePath.
    std::function<PcmSource()> openSource = {};
    // A conversion's tags and cover, carried over from its source in place of the disc's names
    // and the rip's cover; null for a rip and for the "Encode WAV file" command.
    const CarriedTags* carried = nullptr;
    // A stopped encoding leaves nothing, whatever its sink could keep: a batch leaves whole
    // files only.
    bool wholeOrNothing = false;
};

// The encoder of one compressed format as the rip worker uses it. One object serves one encoder
// thread of a rip run, so what it loads for the run is released when the run ends.
class RipEncoder {
  public:
    virtual ~RipEncoder() = default;

    // Called before every track of this format; false when the encoder cannot work (its reason
    // already told the user): the track then gets no file and the run goes on.
    virtual bool Ready(WorkerContext& context) = 0;

    // Encodes the rip's raw PCM temporary file (job.sourcePath) into job.outputPath, sets the
    // track's final status, reports it, and deletes the temporary file. The rip has asked the
    // overwrite question already. Encoders of one kind may run on several threads at once, each
    // with an object of its own.
    virtual void Encode(WorkerContext& context, EncodeJob& job) = 0;
};

// Opens the source of `job`: the raw PCM temporary file of a rip (`fromRip`), or a WAV file,
// whose length in whole sectors then becomes the track's lengthSectors.
PcmSource OpenEncodeSource(EncodeJob& job, bool fromRip);

// How every encoding ends: what the encoder wrote takes the output's name (when it completed, or
// was stopped and kept its part) or is deleted, a rip's temporary file is deleted, then the
// track's final status `outcome` is set and reported.
void FinishEncode(WorkerContext& context, EncodeJob& job, bool fromRip, int32_t outcome);

// The front cover for the file of a rip (`fromRip`), waiting for its fetch; empty when the file
// gets none.
const std::vector<uint8_t>& RipCover(WorkerContext& context, bool fromRip);

// The encoder for tracks of `kind`, or null when there is none for it.
std::unique_ptr<RipEncoder> MakeRipEncoder(EncoderKind kind);

// The encoders one thread of a run uses, made when a track first needs one and released with
// the set at the end of the run.
class EncoderSet {
  public:
    // The encoder of `kind`, or null when there is none for it.
    RipEncoder* For(EncoderKind kind) {
        const auto index = static_cast<size_t>(kind);
        if (index >= encoders_.size()) {
            return nullptr;
        }
        if (!encoders_[index]) {
            encoders_[index] = MakeRipEncoder(kind);
        }
        return encoders_[index].get();
    }

  private:
    std::array<std::unique_ptr<RipEncoder>, kEncoderKinds> encoders_;
};

}  // namespace disctrove
