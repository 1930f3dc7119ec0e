#include "codecs/opus_encoder.h"

#include <opusenc.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "audio/sample_converter.h"
#include "audio/unique_file.h"
#include "codecs/encoder_sink.h"
#include "codecs/track_tags.h"
#include "disc/cover_picture.h"

namespace disctrove {

namespace {

constexpr int32_t kBlockFrames = 4096;
constexpr int32_t kMaxMappedChannels = 8;  // the most the Vorbis layout (family 1) names
// The rates libopusenc takes (opusenc's own bounds).
constexpr int32_t kMinOpusRate = 100;
constexpr int32_t kMaxOpusRate = 768000;

struct CommentsDeleter {
    void operator()(OggOpusComments* comments) const { ope_comments_destroy(comments); }
};
struct EncoderDeleter {
    void operator()(OggOpusEnc* encoder) const { ope_encoder_destroy(encoder); }
};
using UniqueComments = std::unique_ptr<OggOpusComments, CommentsDeleter>;
using UniqueOpusEncoder = std::unique_ptr<OggOpusEnc, EncoderDeleter>;

// Where libopusenc's pages go: our own file, so a failed write is noticed and the file is ours
// to remove.
struct Sink {
    UniqueFile file;
    bool failed = false;
};

int WritePages(void* user, const unsigned char* bytes, opus_int32 length) {
    auto& sink = *static_cast<Sink*>(user);
    const auto size = static_cast<size_t>(length);
    if (!sink.file || std::fwrite(bytes, 1, size, sink.file.get()) != size) {
        sink.failed = true;
        return 1;
    }
    return 0;
}

int CloseNothing(void*) {
    return 0;  // the file is closed by us, where its result can be checked
}

std::string LibraryError(const char* what, int error) {
    return std::string("Opus: ") + what + " failed: " + ope_strerror(error) + ".";
}

// Bit rate, mode and complexity, each kept to the range the settings allow, and the depth of
// the source's samples: told that its input is 16-bit, the encoder spends no bits on noise
// below what the source can hold (quiet music comes out markedly smaller).
int ApplyFormat(OggOpusEnc* encoder, const OpusFormat& format, int32_t sourceBits) {
    const int32_t kbps = std::clamp(format.bitrate, 6, 510);
    const int32_t mode = std::clamp(format.mode, 0, 2);
    int error = ope_encoder_ctl(encoder, OPUS_SET_LSB_DEPTH(std::clamp(sourceBits, 8, 24)));
    if (error == OPE_OK) {
        error = ope_encoder_ctl(encoder, OPUS_SET_BITRATE(kbps * 1000));
    }
    if (error == OPE_OK) {
        error = ope_encoder_ctl(encoder, OPUS_SET_VBR(mode == 2 ? 0 : 1));
    }
    if (error == OPE_OK && mode != 2) {
        error = ope_encoder_ctl(encoder, OPUS_SET_VBR_CONSTRAINT(mode == 1 ? 1 : 0));
    }
    if (error == OPE_OK) {
        error = ope_encoder_ctl(encoder, OPUS_SET_COMPLEXITY(std::clamp(format.complexity, 0, 10)));
    }
    return error;
}

class OpusSink final : public EncoderSink {
  public:
    std::string Accept(const SinkOpening& opening, SampleFeed& feed) override;
    std::string Open(const SinkOpening& opening, SampleFeed& feed) override;
    std::string Write(const void* samples, size_t frames) override;
    std::string Finish(bool stopped) override;

  private:
    std::string outputPath_;
    int32_t channels_ = 0;
    std::unique_ptr<SampleConverter> converter_;
    bool direct16_ = false;  // 16-bit samples of one or two channels: no converter needed
    std::vector<std::vector<float>> planes_;
    std::vector<float*> planePointers_;
    std::vector<float> interleaved_;
    Sink sink_;  // declared before the encoder, which writes into it
    UniqueComments comments_;
    UniqueOpusEncoder encoder_;
};

std::string OpusSink::Accept(const SinkOpening& opening, SampleFeed& feed) {
    const WavHeader& input = opening.input;
    channels_ = input.channels;
    const auto rate = static_cast<int32_t>(input.sampleRate);
    outputPath_ = opening.outputPath;
    feed.blockFrames = kBlockFrames;
    direct16_ = input.bitsPerSample == 16 && channels_ >= 1 && channels_ <= 2;
    // Channels keep their speakers: the WAV order becomes the Vorbis order family 1 declares.
    // Beyond eight channels no layout is agreed, so they go as they are, unnamed (family 255).
    converter_ = std::make_unique<SampleConverter>(
        SampleLayout{channels_, rate, ChannelOrder::wav, input.channelMask},
        (input.bitsPerSample + 7) / 8, SampleLayout{channels_, rate, ChannelOrder::vorbis});
    // libopusenc resamples to 48 kHz and asserts (ending the process) on rates far below any
    // audio; what it cannot take is refused before anything is made.
    if (rate < kMinOpusRate || rate > kMaxOpusRate) {
        return "Opus cannot encode samples at " + std::to_string(rate) +
               " Hz.\nThe sample rate must be between " + std::to_string(kMinOpusRate) + " and " +
               std::to_string(kMaxOpusRate) + " Hz.";
    }
    if (!converter_->ok() || channels_ > 255) {
        return "Opus cannot encode " + std::to_string(channels_) + " channel(s) of " +
               std::to_string(input.bitsPerSample) + "-bit samples at " + std::to_string(rate) +
               " Hz.";
    }
    return "";
}

std::string OpusSink::Open(const SinkOpening& opening, SampleFeed&) {
    comments_.reset(ope_comments_create());
    if (!comments_) {
        return LibraryError("creating the comments", OPE_ALLOC_FAIL);
    }
    for (const TrackTag& tag : opening.Tags(TagSet::full)) {
        ope_comments_add(comments_.get(), tag.name.c_str(), tag.value.c_str());
    }
    // Built here rather than by libopusenc, which reads pictures from files.
    const std::string picture = MetadataBlockPicture(opening.Cover());
    if (!picture.empty()) {
        ope_comments_add(comments_.get(), "METADATA_BLOCK_PICTURE", picture.c_str());
    }
    const int family = channels_ <= 2 ? 0 : channels_ <= kMaxMappedChannels ? 1 : 255;
    const OpusEncCallbacks callbacks{WritePages, CloseNothing};
    int error = OPE_OK;
    // Nothing is written before the first samples, so a refused set-up leaves any old file alone.
    encoder_.reset(ope_encoder_create_callbacks(&callbacks, &sink_, comments_.get(),
                                                static_cast<int32_t>(opening.input.sampleRate),
                                                channels_, family, &error));
    if (!encoder_) {
        return LibraryError("setting up the encoder", error);
    }
    // A stream serial of its own (libopusenc takes rand()'s, the same in every run), so files
    // joined into one chain stay apart.
    ope_encoder_ctl(encoder_.get(),
                    OPE_SET_SERIALNO(static_cast<int>(std::random_device{}() & 0x7FFFFFFF)));
    error = ApplyFormat(encoder_.get(), opening.track.format.As<OpusFormat>(),
                        opening.input.bitsPerSample);
    if (error != OPE_OK) {
        return LibraryError("setting the bit rate, mode and complexity", error);
    }
    sink_.file = CreateWorkingFile(opening.writePath, "wb");
    if (!sink_.file) {
        return kCannotCreateOutputMessage;
    }
    planes_.assign(static_cast<size_t>(channels_), std::vector<float>(kBlockFrames));
    for (auto& plane : planes_) {
        planePointers_.push_back(plane.data());
    }
    interleaved_.resize(static_cast<size_t>(channels_) * kBlockFrames);
    return "";
}

std::string OpusSink::Write(const void* samples, size_t frames) {
    int32_t converted = 0;
    if (direct16_) {
        // CD audio, and any 16-bit mono or stereo: one multiplication a sample, no reordering.
        converted = static_cast<int32_t>(std::min<size_t>(frames, kBlockFrames));
        const auto* bytes = static_cast<const uint8_t*>(samples);
        const size_t count = static_cast<size_t>(converted) * static_cast<size_t>(channels_);
        for (size_t i = 0; i < count; ++i) {
            const auto sample =
                static_cast<int16_t>(static_cast<uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8)));
            interleaved_[i] = static_cast<float>(sample) * (1.0F / 32768.0F);
        }
    } else {
        converted =
            converter_->Convert(static_cast<const uint8_t*>(samples), static_cast<int32_t>(frames),
                                planePointers_.data(), kBlockFrames);
        for (int32_t i = 0; i < converted; ++i) {
            for (int32_t c = 0; c < channels_; ++c) {
                interleaved_[static_cast<size_t>(i * channels_ + c)] =
                    planes_[static_cast<size_t>(c)][static_cast<size_t>(i)];
            }
        }
    }
    const int error = ope_encoder_write_float(encoder_.get(), interleaved_.data(), converted);
    if (error != OPE_OK || sink_.failed) {
        return sink_.failed ? WriteFailedMessage(outputPath_) : LibraryError("encoding", error);
    }
    return "";
}

// A stopped stream is ended as a whole one and kept with what it holds.
std::string OpusSink::Finish(bool) {
    const int error = ope_encoder_drain(encoder_.get());
    if (error != OPE_OK || sink_.failed) {
        return sink_.failed ? WriteFailedMessage(outputPath_)
                            : LibraryError("ending the stream", error);
    }
    if (std::fclose(sink_.file.release()) != 0) {
        return WriteFailedMessage(outputPath_);
    }
    return "";
}

}  // namespace

std::unique_ptr<EncoderSink> MakeOpusSink() {
    return std::make_unique<OpusSink>();
}

void OpusEncode(WorkerContext& context, EncodeJob& job, bool fromRip) {
    RunEncode(context, job, fromRip, MakeOpusSink());
}

}  // namespace disctrove
