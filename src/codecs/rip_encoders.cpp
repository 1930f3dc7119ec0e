// The encoders the rip worker can hand a track to.
#include "codecs/encode_job.h"
#include "codecs/ogg_encoder.h"

namespace disctrove {

namespace {

class OggRipEncoder final : public RipEncoder {
  public:
    bool Ready(WorkerContext&) override { return true; }
    void Encode(WorkerContext& context, EncodeJob& job) override { OggEncode(context, job, true); }
};

}  // namespace

std::unique_ptr<RipEncoder> MakeRipEncoder(EncoderKind kind) {
    switch (kind) {
        case kEncoderOgg:
            return std::make_unique<OggRipEncoder>();
        default:
            return nullptr;
    }
}

}  // namespace disctrove
