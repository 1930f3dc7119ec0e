// The sink of every format, and the encoders the rip worker hands tracks to.
#include <memory>

#include "codecs/encode_job.h"
#include "codecs/encoder_sink.h"
#include "codecs/flac_encoder.h"
#include "codecs/mp3_encoder.h"
#include "codecs/ogg_encoder.h"
#include "codecs/opus_encoder.h"
#include "codecs/wma_encoder.h"
#include "disc/cover_art.h"

namespace disctrove {

namespace {

// LAME is loaded at the first MP3 track of a run (a failed load is tried again at the next
// one) and released when the run ends.
class SinkRipEncoder final : public RipEncoder {
  public:
    explicit SinkRipEncoder(EncoderKind kind) : kind_(kind) {}

    bool Ready(WorkerContext& context) override {
        if (kind_ == kEncoderMp3 && !lame_) {
            lame_ = LoadLame(context.questions);
        }
        return kind_ != kEncoderMp3 || lame_ != nullptr;
    }
    void Encode(WorkerContext& context, EncodeJob& job) override {
        if (auto sink = MakeEncoderSink(kind_, lame_.get())) {
            RunEncode(context, job, true, std::move(sink));
        } else {  // not Ready
            FinishEncode(context, job, true, kStatusError);
        }
    }

  private:
    EncoderKind kind_;
    std::unique_ptr<platform::LameLibrary> lame_;
};

}  // namespace

std::unique_ptr<EncoderSink> MakeEncoderSink(EncoderKind kind, platform::LameLibrary* lame) {
    switch (kind) {
        case kEncoderOgg:
            return MakeOggSink();
        case kEncoderMp3:
            return lame != nullptr ? MakeMp3Sink(*lame) : nullptr;
        case kEncoderWma:
            return MakeWmaSink();
        case kEncoderFlac:
            return MakeFlacSink();
        case kEncoderOpus:
            return MakeOpusSink();
        default:
            return nullptr;
    }
}

const std::vector<uint8_t>& RipCover(WorkerContext& context, bool fromRip) {
    static const std::vector<uint8_t> none;
    return fromRip && context.cover != nullptr ? context.cover->Wait() : none;
}

std::unique_ptr<RipEncoder> MakeRipEncoder(EncoderKind kind) {
    return MakeEncoderSink(kind, nullptr) != nullptr || kind == kEncoderMp3
               ? std::make_unique<SinkRipEncoder>(kind)
               : nullptr;
}

}  // namespace disctrove
