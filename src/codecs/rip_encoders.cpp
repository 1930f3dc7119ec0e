// The encoders the rip worker can hand a track to, and what they share.
#include <algorithm>

#include "codecs/encode_job.h"
#include "codecs/flac_encoder.h"
#include "codecs/mp3_encoder.h"
#include "codecs/ogg_encoder.h"
#include "codecs/opus_encoder.h"
#include "codecs/wma_encoder.h"
#include "disc/cover_art.h"
#include "platform/system/environment.h"
#include "platform/system/files.h"

namespace disctrove {

namespace {

class OggRipEncoder final : public RipEncoder {
  public:
    bool Ready(WorkerContext&) override { return true; }
    void Encode(WorkerContext& context, EncodeJob& job) override { OggEncode(context, job, true); }
};

// LAME is loaded at the first MP3 track of a run (a failed load is tried again at the next
// one) and released when the run ends.
class Mp3RipEncoder final : public RipEncoder {
  public:
    bool Ready(WorkerContext& context) override {
        if (!lame_) {
            lame_ = LoadLame(context.questions);
        }
        return lame_ != nullptr;
    }
    void Encode(WorkerContext& context, EncodeJob& job) override {
        EncodeMp3(context, *lame_, job, true);
    }

  private:
    std::unique_ptr<platform::LameLibrary> lame_;
};

class WmaRipEncoder final : public RipEncoder {
  public:
    bool Ready(WorkerContext&) override { return true; }
    void Encode(WorkerContext& context, EncodeJob& job) override { WmaEncode(context, job, true); }
};

class FlacRipEncoder final : public RipEncoder {
  public:
    bool Ready(WorkerContext&) override { return true; }
    void Encode(WorkerContext& context, EncodeJob& job) override { FlacEncode(context, job, true); }
};

class OpusRipEncoder final : public RipEncoder {
  public:
    bool Ready(WorkerContext&) override { return true; }
    void Encode(WorkerContext& context, EncodeJob& job) override { OpusEncode(context, job, true); }
};

}  // namespace

void FinishEncode(WorkerContext& context, EncodeJob& job, bool fromRip, int32_t outcome) {
    if (!job.writePath.empty() && job.writePath != job.outputPath &&
        platform::FileExists(job.writePath)) {
        if (outcome != kStatusCompleted && outcome != kStatusStopped) {
            platform::RemoveFile(job.writePath);
        } else if (!platform::ReplaceFile(job.writePath, job.outputPath)) {
            context.questions.Inform(kCannotCreateOutputMessage);
            outcome = kStatusError;
        }
    }
    if (fromRip) {
        platform::RemoveFile(job.sourcePath);
    }
    ReportStatus(context, *job.track, outcome);
}

PcmSource OpenEncodeSource(EncodeJob& job, bool fromRip) {
    PcmSource source =
        fromRip ? PcmSource::OpenRaw(job.sourcePath) : PcmSource::OpenWav(job.sourcePath);
    if (!fromRip && source.error() == PcmSourceError::none) {
        job.track->lengthSectors = static_cast<uint32_t>(
            std::min<uint64_t>(source.format().dataLength / kCdBytesPerSector, UINT32_MAX));
    }
    return source;
}

const std::vector<uint8_t>& RipCover(WorkerContext& context, bool fromRip) {
    static const std::vector<uint8_t> none;
    return fromRip && context.cover != nullptr ? context.cover->Wait(context.settings.ripping)
                                               : none;
}

std::unique_ptr<RipEncoder> MakeRipEncoder(EncoderKind kind) {
    switch (kind) {
        case kEncoderOgg:
            return std::make_unique<OggRipEncoder>();
        case kEncoderMp3:
            return std::make_unique<Mp3RipEncoder>();
        case kEncoderWma:
            return std::make_unique<WmaRipEncoder>();
        case kEncoderFlac:
            return std::make_unique<FlacRipEncoder>();
        case kEncoderOpus:
            return std::make_unique<OpusRipEncoder>();
        default:
            return nullptr;
    }
}

}  // namespace disctrove
