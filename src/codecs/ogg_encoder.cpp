#include "codecs/ogg_encoder.h"

#include <vorbis/codec.h>
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "audio/pcm_source.h"
#include "audio/sample_converter.h"
#include "audio/unique_file.h"
#include "codecs/encoder_sink.h"
#include "codecs/track_tags.h"
#include "disc/cover_picture.h"

namespace disctrove {

namespace {

constexpr int32_t kBlockFrames = 1024;

// The libogg and libvorbis state of one encode, released in the libraries' order.
struct VorbisState {
    vorbis_info info{};
    vorbis_comment comment{};
    vorbis_dsp_state dsp{};
    vorbis_block block{};
    ogg_stream_state stream{};
    bool infoReady = false;
    bool commentReady = false;
    bool dspReady = false;
    bool blockReady = false;
    bool streamReady = false;

    VorbisState() = default;
    VorbisState(const VorbisState&) = delete;
    VorbisState& operator=(const VorbisState&) = delete;
    ~VorbisState() {
        if (streamReady) {
            ogg_stream_clear(&stream);
        }
        if (blockReady) {
            vorbis_block_clear(&block);
        }
        if (dspReady) {
            vorbis_dsp_clear(&dsp);
        }
        if (infoReady) {
            vorbis_info_clear(&info);
        }
        if (commentReady) {
            vorbis_comment_clear(&comment);
        }
    }
};

// The quality of a slider position: 0.05 added `position` times, in single precision.
float QualityOf(int32_t position) {
    float quality = 0.0f;
    for (int32_t i = 0; i < position; ++i) {
        quality += 0.05f;
    }
    return quality;
}

// Sets up the encoder by mode: quality (VBR) first, then managed (BBR), else constant bit rate.
bool SetUp(vorbis_info& info, const OggFormat& format, int32_t channels, int32_t rate) {
    const auto kbps = [](int32_t index) { return TableEntry(kOggBitrates, index, 0) * 1000L; };
    if (format.useVbr) {
        return vorbis_encode_init_vbr(&info, channels, rate, QualityOf(format.vbr)) == 0;
    }
    if (format.useBbr) {
        return vorbis_encode_init(&info, channels, rate, kbps(format.maxBbrIndex),
                                  kbps(format.nominalBbrIndex), kbps(format.minBbrIndex)) == 0;
    }
    const long cbr = kbps(format.cbrIndex);
    return vorbis_encode_init(&info, channels, rate, cbr, cbr, cbr) == 0;
}

void AddComments(vorbis_comment& comment, const SinkOpening& opening) {
    const std::vector<uint8_t>& cover = opening.Cover();
    for (const TrackTag& tag : opening.Tags(TagSet::oggVorbis)) {
        vorbis_comment_add_tag(&comment, tag.name.c_str(), tag.value.c_str());
    }
    const std::string picture = MetadataBlockPicture(cover);
    if (!picture.empty()) {
        vorbis_comment_add_tag(&comment, "METADATA_BLOCK_PICTURE", picture.c_str());
    }
}

bool WritePage(std::FILE* out, const ogg_page& page) {
    return std::fwrite(page.header, 1, static_cast<size_t>(page.header_len), out) ==
               static_cast<size_t>(page.header_len) &&
           std::fwrite(page.body, 1, static_cast<size_t>(page.body_len), out) ==
               static_cast<size_t>(page.body_len);
}

class OggSink final : public EncoderSink {
  public:
    std::string Accept(const SinkOpening& opening, SampleFeed& feed) override;
    std::string Open(const SinkOpening& opening, SampleFeed& feed) override;
    std::string Write(const void* samples, size_t frames) override;
    std::string Finish(bool stopped) override;

  private:
    // Hands what libvorbis has made to the stream and its pages to the file.
    void Drain();
    std::string Close();

    OggFormat format_;
    int32_t channels_ = 0;
    int32_t rate_ = 0;
    std::string refused_;
    std::string outputPath_;
    std::unique_ptr<SampleConverter> converter_;
    UniqueFile out_;
    VorbisState state_;
    bool written_ = true;
    bool endOfStream_ = false;
};

std::string OggSink::Accept(const SinkOpening& opening, SampleFeed& feed) {
    format_ = opening.track.format.As<OggFormat>();
    channels_ = format_.channels == 0 ? 1 : format_.channels == 1 ? 2 : 6;
    rate_ = TableEntry(kSampleRates, format_.samplerateIndex, 0);
    const WavHeader& input = opening.input;
    if (!opening.fromRip) {
        channels_ = input.channels;
        if (rate_ == 0) {
            rate_ = static_cast<int32_t>(input.sampleRate);
        }
        if (input.bitsPerSample < 16) {
            return kOggLowBitsMessage;
        }
    }
    if (rate_ == 0) {
        rate_ = kCdSampleRate;
    }
    refused_ = "OGG Vorbis cannot encode " + std::to_string(channels_) + " channel(s) at " +
               std::to_string(rate_) +
               " Hz with these settings.\nPlease choose another sample rate, "
               "channel mode or bit rate.";
    // What the source holds (in a WAV file's channel order; CD audio is left, right) is converted
    // to what the stream declares, in Vorbis's channel order: never relabelled.
    converter_ = std::make_unique<SampleConverter>(
        SampleLayout{input.channels, static_cast<int32_t>(input.sampleRate), ChannelOrder::wav,
                     input.channelMask},
        (input.bitsPerSample + 7) / 8, SampleLayout{channels_, rate_, ChannelOrder::vorbis});
    feed.blockFrames = kBlockFrames;
    outputPath_ = opening.outputPath;
    return converter_->ok() ? "" : refused_;
}

std::string OggSink::Open(const SinkOpening& opening, SampleFeed&) {
    vorbis_info_init(&state_.info);
    state_.infoReady = true;
    // Set up before the destination is created, so a refused set-up leaves any old file alone.
    if (!SetUp(state_.info, format_, channels_, rate_)) {
        return refused_;
    }
    out_ = CreateWorkingFile(opening.writePath, "wb");
    if (!out_) {
        return kCannotCreateOutputMessage;
    }
    vorbis_comment_init(&state_.comment);
    state_.commentReady = true;
    AddComments(state_.comment, opening);
    vorbis_analysis_init(&state_.dsp, &state_.info);
    state_.dspReady = true;
    vorbis_block_init(&state_.dsp, &state_.block);
    state_.blockReady = true;
    ogg_stream_init(&state_.stream, static_cast<int>(std::random_device{}() & 0x7FFFFFFF));
    state_.streamReady = true;

    ogg_packet identification;
    ogg_packet comments;
    ogg_packet codebooks;
    vorbis_analysis_headerout(&state_.dsp, &state_.comment, &identification, &comments, &codebooks);
    ogg_stream_packetin(&state_.stream, &identification);
    ogg_stream_packetin(&state_.stream, &comments);
    ogg_stream_packetin(&state_.stream, &codebooks);
    ogg_page page;
    while (ogg_stream_flush(&state_.stream, &page) != 0) {
        written_ = written_ && WritePage(out_.get(), page);
    }
    return "";
}

std::string OggSink::Write(const void* samples, size_t frames) {
    const auto count = static_cast<int32_t>(frames);
    const int32_t room = converter_->OutputRoom(count);
    float** buffer = vorbis_analysis_buffer(&state_.dsp, room);
    const int32_t converted =
        converter_->Convert(static_cast<const uint8_t*>(samples), count, buffer, room);
    if (converted > 0) {  // 0 would mean the end of the stream
        vorbis_analysis_wrote(&state_.dsp, converted);
    }
    Drain();
    return written_ ? "" : Close();
}

std::string OggSink::Finish(bool stopped) {
    // At the end of the input: first what the resampler still holds, then the end mark. A
    // stopped stream gets no end: the file stays truncated.
    while (!stopped && !endOfStream_ && written_) {
        const int32_t room = kBlockFrames * 4;
        float** buffer = vorbis_analysis_buffer(&state_.dsp, room);
        vorbis_analysis_wrote(&state_.dsp, converter_->Flush(buffer, room));
        Drain();
    }
    return Close();
}

void OggSink::Drain() {
    while (vorbis_analysis_blockout(&state_.dsp, &state_.block) == 1) {
        vorbis_analysis(&state_.block, nullptr);
        vorbis_bitrate_addblock(&state_.block);
        ogg_packet packet;
        while (vorbis_bitrate_flushpacket(&state_.dsp, &packet) == 1) {
            ogg_stream_packetin(&state_.stream, &packet);
            ogg_page page;
            while (!endOfStream_ && ogg_stream_pageout(&state_.stream, &page) != 0) {
                written_ = written_ && WritePage(out_.get(), page);
                endOfStream_ = ogg_page_eos(&page) != 0;
            }
        }
    }
}

std::string OggSink::Close() {
    const bool closed = std::fclose(out_.release()) == 0;
    return written_ && closed ? "" : WriteFailedMessage(outputPath_);
}

}  // namespace

std::unique_ptr<EncoderSink> MakeOggSink() {
    return std::make_unique<OggSink>();
}

void OggEncode(WorkerContext& context, EncodeJob& job, bool fromRip) {
    RunEncode(context, job, fromRip, MakeOggSink());
}

}  // namespace disctrove
