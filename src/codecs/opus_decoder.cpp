#include "codecs/opus_decoder.h"

#include <opusfile.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/channel_layout.h"
#include "codecs/decoder_source.h"
#include "codecs/ogg_decoder.h"

namespace disctrove {

namespace {

constexpr int32_t kOpusRate = 48000;
constexpr int kPieceFrames = 5760;  // 120 ms, the longest packet: op_read never holds one back

struct OpusFileDeleter {
    void operator()(OggOpusFile* file) const { op_free(file); }
};
using UniqueOpusFile = std::unique_ptr<OggOpusFile, OpusFileDeleter>;

// The frames of `samples` in the order `places` gives: channel c out is channel places[c] in.
void Reorder(std::vector<opus_int16>& samples, size_t frames, const std::vector<int32_t>& places) {
    const size_t channels = places.size();
    std::vector<opus_int16> frame(channels);
    for (size_t f = 0; f < frames; ++f) {
        opus_int16* at = samples.data() + f * channels;
        std::copy(at, at + channels, frame.begin());
        for (size_t c = 0; c < channels; ++c) {
            at[c] = frame[static_cast<size_t>(places[c])];
        }
    }
}

// Looked over in Open, before the question and before the destination is made, so a file that
// is no Opus stream leaves no empty WAV file behind (and an existing one untouched).
class OpusSource final : public DecoderSource {
  public:
    const char* Open(const std::string& path) override;
    DecodedFormat Format() const override { return format_; }
    DecodedPiece Read() override;

    std::optional<uint64_t> Percent(uint64_t written) override {
        // Without a known length (an unseekable stream) progress follows the file.
        if (lengthKnown_) {
            return written * 100 / format_.expectedBytes;
        }
        const auto at = std::max<ogg_int64_t>(op_raw_tell(opus_.get()), 0);
        return static_cast<uint64_t>(at) * 100 / static_cast<uint64_t>(sourceBytes_);
    }

  private:
    UniqueOpusFile opus_;
    ogg_int64_t sourceBytes_ = 1;
    bool lengthKnown_ = false;
    DecodedFormat format_;
    std::vector<int32_t> places_;  // WAV order from Vorbis's; empty when they agree
    std::vector<opus_int16> piece_;
};

const char* OpusSource::Open(const std::string& path) {
    int error = 0;
    opus_.reset(op_open_file(path.c_str(), &error));
    if (!opus_) {
        return error == OP_EFAULT ? kCannotOpenOpusMessage : kNotOpusMessage;
    }
    const int channels = op_channel_count(opus_.get(), 0);
    const ogg_int64_t frames = op_pcm_total(opus_.get(), -1);
    lengthKnown_ = frames > 0;
    sourceBytes_ = std::max<ogg_int64_t>(op_raw_total(opus_.get(), -1), 1);
    format_.channels = channels;
    format_.rate = kOpusRate;
    format_.expectedBytes =
        lengthKnown_ ? static_cast<uint64_t>(frames) * static_cast<uint64_t>(channels) * 2 : 1;
    // Families 0 and 1 hand out Vorbis's channel order; a WAV file keeps the same speakers in
    // its own.
    places_ = ChannelPermutation(SpeakersOf(channels, ChannelOrder::vorbis),
                                 SpeakersOf(channels, ChannelOrder::wav));
    if (std::ranges::is_sorted(places_)) {
        places_.clear();
    }
    piece_.resize(static_cast<size_t>(kPieceFrames) * static_cast<size_t>(channels));
    return nullptr;
}

DecodedPiece OpusSource::Read() {
    using Kind = DecodedPiece::Kind;
    int link = 0;
    const int read = op_read(opus_.get(), piece_.data(), static_cast<int>(piece_.size()), &link);
    if (read == OP_HOLE) {
        return {Kind::hole};
    }
    if (read < 0) {
        return {Kind::failed, nullptr, 0, kOpusReadErrorMessage};
    }
    if (read == 0) {
        return {Kind::end};
    }
    if (op_channel_count(opus_.get(), link) != format_.channels) {
        return {Kind::failed, nullptr, 0, kOpusChannelsChangeMessage};
    }
    const auto frames = static_cast<size_t>(read);
    if (!places_.empty()) {
        Reorder(piece_, frames, places_);
    }
    return {Kind::samples, piece_.data(), frames * static_cast<size_t>(format_.channels) * 2};
}

}  // namespace

std::unique_ptr<DecoderSource> MakeOpusSource() {
    return std::make_unique<OpusSource>();
}

int OpusDecodeThread(WorkerContext& context, Track& progress) {
    return RunDecode(context, progress, MakeOpusSource());
}

}  // namespace disctrove
