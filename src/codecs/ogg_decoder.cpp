#include "codecs/ogg_decoder.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/channel_layout.h"
#include "audio/unique_file.h"
#include "codecs/decoder_source.h"

namespace disctrove {

namespace {

constexpr int kPieceBytes = 4096;

// The decoder state; ov_clear also closes the source stream it took over.
struct VorbisFile {
    OggVorbis_File file{};
    bool open = false;
    ~VorbisFile() {
        if (open) {
            ov_clear(&file);
        }
    }
};

// Puts the 16-bit frames of `samples` in the order `places` gives: channel c of a frame out is
// channel places[c] of the frame in.
void Reorder(char* samples, size_t bytes, const std::vector<int32_t>& places) {
    const size_t frameBytes = places.size() * 2;
    std::vector<char> frame(frameBytes);
    for (size_t at = 0; at + frameBytes <= bytes; at += frameBytes) {
        std::memcpy(frame.data(), samples + at, frameBytes);
        for (size_t c = 0; c < places.size(); ++c) {
            std::memcpy(samples + at + 2 * c, frame.data() + 2 * static_cast<size_t>(places[c]), 2);
        }
    }
}

class OggVorbisSource final : public DecoderSource {
  public:
    const char* Open(const std::string& path) override {
        in_ = OpenFile(path, "rb");
        return in_ ? nullptr : kCannotOpenOggMessage;
    }

    const char* Begin() override;
    DecodedFormat Format() const override { return format_; }
    DecodedPiece Read() override;

    std::optional<uint64_t> Percent(uint64_t written) override {
        // Without a known length (an unseekable or damaged stream) progress follows the file.
        if (lengthKnown_) {
            return written * 100 / format_.expectedBytes;
        }
        const auto at = std::max<ogg_int64_t>(ov_raw_tell(&vorbis_.file), 0);
        return static_cast<uint64_t>(at) * 100 / static_cast<uint64_t>(sourceBytes_);
    }

  private:
    UniqueFile in_;
    VorbisFile vorbis_;
    long sourceBytes_ = 1;
    bool lengthKnown_ = false;
    DecodedFormat format_;
    std::vector<int32_t> places_;  // WAV order from Vorbis's; empty when they agree
    std::array<char, kPieceBytes> piece_{};
};

// Opened before the destination is made, so a file that is no Ogg Vorbis stream leaves no empty
// WAV file behind (and an existing one untouched).
const char* OggVorbisSource::Begin() {
    std::fseek(in_.get(), 0, SEEK_END);
    sourceBytes_ = std::max(std::ftell(in_.get()), 1L);
    std::fseek(in_.get(), 0, SEEK_SET);
    if (ov_open(in_.get(), &vorbis_.file, nullptr, 0) != 0) {
        return kNotOggMessage;
    }
    vorbis_.open = true;
    in_.release();  // the decoder owns the stream now
    // vorbisfile leaves a chained file at its last link after looking it over; decoding starts
    // at the first.
    if (ov_seekable(&vorbis_.file) != 0) {
        ov_pcm_seek(&vorbis_.file, 0);
    }
    const vorbis_info* info = ov_info(&vorbis_.file, -1);
    format_.channels = info->channels;
    format_.rate = static_cast<int32_t>(info->rate);
    const int32_t firstChannels = ov_info(&vorbis_.file, 0)->channels;
    const ogg_int64_t frames = ov_pcm_total(&vorbis_.file, -1);
    lengthKnown_ = frames > 0;
    format_.expectedBytes =
        lengthKnown_ ? static_cast<uint64_t>(frames) * static_cast<uint64_t>(firstChannels) * 2 : 1;
    // ov_read hands out Vorbis's channel order; a WAV file keeps the same speakers in its own.
    places_ = ChannelPermutation(SpeakersOf(format_.channels, ChannelOrder::vorbis),
                                 SpeakersOf(format_.channels, ChannelOrder::wav));
    if (std::ranges::is_sorted(places_)) {
        places_.clear();
    }
    return nullptr;
}

DecodedPiece OggVorbisSource::Read() {
    using Kind = DecodedPiece::Kind;
    int link = 0;
    const long bytes =
        ov_read(&vorbis_.file, piece_.data(), static_cast<int>(piece_.size()), 0, 2, 1, &link);
    if (bytes == OV_HOLE) {
        return {Kind::hole};
    }
    if (bytes < 0) {
        return {Kind::failed, nullptr, 0, kOggReadErrorMessage};
    }
    if (link != 0) {
        return {Kind::failed, nullptr, 0, kOneBitstreamMessage};
    }
    if (bytes == 0) {
        return {Kind::end};
    }
    if (!places_.empty()) {
        Reorder(piece_.data(), static_cast<size_t>(bytes), places_);
    }
    return {Kind::samples, piece_.data(), static_cast<size_t>(bytes)};
}

}  // namespace

std::unique_ptr<DecoderSource> MakeOggVorbisSource() {
    return std::make_unique<OggVorbisSource>();
}

int OggDecodeThread(WorkerContext& context, Track& progress) {
    return RunDecode(context, progress, MakeOggVorbisSource());
}

}  // namespace disctrove
