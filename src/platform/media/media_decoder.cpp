#include "platform/media/media_decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstring>

#include "platform/ffmpeg/ffmpeg_library.h"

namespace disctrove::platform {

namespace {

struct FormatCloser {
    void operator()(AVFormatContext* context) const { Ffmpeg().avformat_close_input(&context); }
};
struct CodecFreer {
    void operator()(AVCodecContext* context) const { Ffmpeg().avcodec_free_context(&context); }
};
struct FrameFreer {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFreer {
    void operator()(AVPacket* packet) const { Ffmpeg().av_packet_free(&packet); }
};
// Options handed to FFmpeg, which takes them in and gives back those it did not know.
struct Dictionary {
    AVDictionary* entries = nullptr;
    Dictionary() = default;
    Dictionary(const Dictionary&) = delete;
    Dictionary& operator=(const Dictionary&) = delete;
    ~Dictionary() { av_dict_free(&entries); }
};
struct SwrFreer {
    void operator()(SwrContext* context) const { swr_free(&context); }
};

// The containers read: those of audio files, and of films whose sound may be wanted. Playlists
// and the like (HLS, concat, SDP) are not: a file a user hands us must not make us open other
// files, still less reach out over the network.
constexpr const char* kContainers =
    "mp3,asf,mov,aac,wav,w64,rf64,flac,ogg,matroska,aiff,ape,wv,tta,caf,au,amr,ac3,eac3,dts,"
    "dtshd,mpc,mpc8,tak,shn,dsf,loas,truehd,mlp,voc,avi,mpeg,mpegts,flv,rm,xwma";

std::string ErrorText(int error) {
    std::array<char, AV_ERROR_MAX_STRING_SIZE> text{};
    av_strerror(error, text.data(), text.size());
    return text.data();
}

MediaCodec CodecOf(AVCodecID id) {
    switch (id) {
        case AV_CODEC_ID_MP3:
        case AV_CODEC_ID_MP2:
        case AV_CODEC_ID_MP1:
            return MediaCodec::mp3;
        case AV_CODEC_ID_WMAV1:
        case AV_CODEC_ID_WMAV2:
        case AV_CODEC_ID_WMAPRO:
        case AV_CODEC_ID_WMALOSSLESS:
        case AV_CODEC_ID_WMAVOICE:
            return MediaCodec::wma;
        case AV_CODEC_ID_AAC:
        case AV_CODEC_ID_AAC_LATM:
            return MediaCodec::aac;
        case AV_CODEC_ID_ALAC:
            return MediaCodec::alac;
        case AV_CODEC_ID_FLAC:
            return MediaCodec::flac;
        case AV_CODEC_ID_VORBIS:
            return MediaCodec::vorbis;
        case AV_CODEC_ID_OPUS:
            return MediaCodec::opus;
        default:
            return id >= AV_CODEC_ID_FIRST_AUDIO && id < AV_CODEC_ID_ADPCM_IMA_QT
                       ? MediaCodec::pcm
                       : MediaCodec::other;
    }
}

// What the samples become: integer decoders keep their width, the rest are rounded to 16 bits.
AVSampleFormat OutputFormat(AVSampleFormat format) {
    switch (av_get_packed_sample_fmt(format)) {
        case AV_SAMPLE_FMT_U8:
            return AV_SAMPLE_FMT_U8;
        case AV_SAMPLE_FMT_S32:
            return AV_SAMPLE_FMT_S32;
        default:
            return AV_SAMPLE_FMT_S16;
    }
}

std::string Position(uint64_t frames, int32_t rate) {
    const uint64_t seconds = rate > 0 ? frames / static_cast<uint64_t>(rate) : 0;
    const uint64_t s = seconds % 60;
    return std::to_string(seconds / 60) + (s < 10 ? ":0" : ":") + std::to_string(s);
}

}  // namespace

struct MediaDecoder::State {
    std::unique_ptr<AVFormatContext, FormatCloser> container;
    std::unique_ptr<AVCodecContext, CodecFreer> codec;
    std::unique_ptr<AVFrame, FrameFreer> frame{av_frame_alloc()};
    std::unique_ptr<AVPacket, PacketFreer> packet{Ffmpeg().av_packet_alloc()};
    std::unique_ptr<SwrContext, SwrFreer> resampler;
    AVChannelLayout layout{};  // of the first frame: every frame must keep it
    AVSampleFormat sampleFormat = AV_SAMPLE_FMT_NONE;
    AVSampleFormat outputFormat = AV_SAMPLE_FMT_S16;
    int stream = -1;
    bool draining = false;
    MediaFormat format;
    uint64_t decodedFrames = 0;
    std::vector<uint8_t> first;  // the samples Open decoded
    bool firstPending = false;
    std::vector<uint8_t> converted;
    std::string failure;

    ~State() { av_channel_layout_uninit(&layout); }

    // 1: a frame is in `frame`; 0: the end; -1: failure (in `failure`).
    int NextFrame();
    // The samples of `frame` as the format says, into `out`; false when the frame does not fit
    // the stream.
    bool Convert(std::vector<uint8_t>& out);
    bool Fail(const std::string& why) {
        failure = "damaged at " + Position(decodedFrames, format.rate) + ": " + why;
        return false;
    }
};

int MediaDecoder::State::NextFrame() {
    for (;;) {
        const int received = Ffmpeg().avcodec_receive_frame(codec.get(), frame.get());
        if (received == 0) {
            return 1;
        }
        if (received == AVERROR_EOF) {
            return 0;
        }
        if (received != AVERROR(EAGAIN)) {
            Fail(ErrorText(received));
            return -1;
        }
        if (draining) {
            return 0;
        }
        const int read = Ffmpeg().av_read_frame(container.get(), packet.get());
        if (read == AVERROR_EOF) {
            // Flushing hands out what the decoder holds back, the end's padding trimmed.
            Ffmpeg().avcodec_send_packet(codec.get(), nullptr);
            draining = true;
            continue;
        }
        if (read < 0) {
            Fail(ErrorText(read));
            return -1;
        }
        if (packet->stream_index != stream) {
            Ffmpeg().av_packet_unref(packet.get());
            continue;
        }
        const int sent = Ffmpeg().avcodec_send_packet(codec.get(), packet.get());
        Ffmpeg().av_packet_unref(packet.get());
        // Damaged data is not passed over: the file converted would quietly lack its samples.
        if (sent < 0 && sent != AVERROR(EAGAIN)) {
            Fail(ErrorText(sent));
            return -1;
        }
    }
}

bool MediaDecoder::State::Convert(std::vector<uint8_t>& out) {
    AVFrame& in = *frame;
    if (!resampler) {
        av_channel_layout_uninit(&layout);
        if (in.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || in.ch_layout.nb_channels == 0) {
            av_channel_layout_default(
                &layout, std::max(in.ch_layout.nb_channels, codec->ch_layout.nb_channels));
        } else if (av_channel_layout_copy(&layout, &in.ch_layout) < 0) {
            return Fail("out of memory");
        }
        sampleFormat = static_cast<AVSampleFormat>(in.format);
        SwrContext* made = nullptr;
        if (layout.nb_channels <= 0 || in.sample_rate <= 0 ||
            swr_alloc_set_opts2(&made, &layout, outputFormat, in.sample_rate, &layout, sampleFormat,
                                in.sample_rate, 0, nullptr) < 0) {
            return Fail("its samples are of a kind that cannot be converted");
        }
        resampler.reset(made);
        if (swr_init(made) < 0) {
            return Fail("its samples are of a kind that cannot be converted");
        }
    }
    if (in.sample_rate != format.rate || in.ch_layout.nb_channels != format.channels ||
        in.format != sampleFormat) {
        return Fail("its sample rate or channels change along the way");
    }
    const auto count = static_cast<size_t>(std::max(in.nb_samples, 0));
    const size_t sampleBytes = static_cast<size_t>(av_get_bytes_per_sample(outputFormat));
    const size_t channels = static_cast<size_t>(format.channels);
    converted.resize(count * channels * sampleBytes);
    uint8_t* to = converted.data();
    const int made = swr_convert(resampler.get(), &to, in.nb_samples,
                                 const_cast<const uint8_t**>(in.extended_data), in.nb_samples);
    if (made < 0) {
        return Fail(ErrorText(made));
    }
    const auto frames = static_cast<size_t>(made);
    decodedFrames += frames;
    if (format.bits == 24) {
        // 24-bit samples come as the top three bytes of 32-bit ones.
        out.resize(frames * channels * 3);
        for (size_t i = 0; i < frames * channels; ++i) {
            std::memcpy(out.data() + i * 3, converted.data() + i * 4 + 1, 3);
        }
    } else {
        out.assign(converted.begin(), converted.begin() + static_cast<std::ptrdiff_t>(
                                                              frames * channels * sampleBytes));
    }
    return true;
}

MediaDecoder::MediaDecoder(std::unique_ptr<State> state) : state_(std::move(state)) {}
MediaDecoder::~MediaDecoder() = default;

const MediaFormat& MediaDecoder::format() const {
    return state_->format;
}

const std::string& MediaDecoder::failure() const {
    return state_->failure;
}

std::unique_ptr<MediaDecoder> MediaDecoder::Open(const std::string& path, std::string& problem) {
    if (!LoadFfmpeg(problem)) {
        return nullptr;
    }
    av_log_set_level(AV_LOG_QUIET);  // a damaged file is told as a result, not on the terminal
    auto state = std::make_unique<State>();
    if (!state->frame || !state->packet) {
        problem = "out of memory";
        return nullptr;
    }
    Dictionary options;
    av_dict_set(&options.entries, "protocol_whitelist", "file", 0);
    av_dict_set(&options.entries, "format_whitelist", kContainers, 0);
    AVFormatContext* opened = nullptr;
    // "file:" first, so a name with a colon in it is never taken for another protocol's address.
    const int open =
        Ffmpeg().avformat_open_input(&opened, ("file:" + path).c_str(), nullptr, &options.entries);
    if (open < 0) {
        problem = open == AVERROR(ENOENT) || open == AVERROR(EACCES) || open == AVERROR(EISDIR)
                      ? ErrorText(open)
                      : "it is not an audio file we can decode";
        return nullptr;
    }
    state->container.reset(opened);
    AVFormatContext& container = *opened;
    constexpr const char* kNotAudio = "it is not an audio file we can decode";
    if (Ffmpeg().avformat_find_stream_info(&container, nullptr) < 0) {
        problem = kNotAudio;
        return nullptr;
    }
    const AVCodec* decoder = nullptr;
    state->stream =
        Ffmpeg().av_find_best_stream(&container, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
    if (state->stream < 0 || decoder == nullptr) {
        problem = state->stream == AVERROR_DECODER_NOT_FOUND
                      ? "its audio is of a kind we cannot decode"
                      : kNotAudio;
        return nullptr;
    }
    for (unsigned i = 0; i < container.nb_streams; ++i) {
        if (static_cast<int>(i) != state->stream) {
            container.streams[i]->discard = AVDISCARD_ALL;  // cover pictures and the like
        }
    }
    AVStream& stream = *container.streams[state->stream];
    state->codec.reset(Ffmpeg().avcodec_alloc_context3(decoder));
    if (!state->codec ||
        Ffmpeg().avcodec_parameters_to_context(state->codec.get(), stream.codecpar) < 0) {
        problem = "out of memory";
        return nullptr;
    }
    state->codec->pkt_timebase = stream.time_base;
    if (Ffmpeg().avcodec_open2(state->codec.get(), decoder, nullptr) < 0) {
        problem = "its audio is of a kind we cannot decode";
        return nullptr;
    }
    // The format is what the first frame decoded says; a file that yields none is no audio.
    const int first = state->NextFrame();
    if (first <= 0) {
        problem = first == 0 ? "it holds no samples" : kNotAudio;
        return nullptr;
    }
    AVFrame& frame = *state->frame;
    MediaFormat& format = state->format;
    format.codec = CodecOf(decoder->id);
    format.channels = frame.ch_layout.nb_channels > 0 ? frame.ch_layout.nb_channels
                                                      : state->codec->ch_layout.nb_channels;
    format.rate = frame.sample_rate;
    state->outputFormat = OutputFormat(static_cast<AVSampleFormat>(frame.format));
    const int rawBits = state->codec->bits_per_raw_sample;
    format.bits = state->outputFormat == AV_SAMPLE_FMT_U8    ? 8
                  : state->outputFormat == AV_SAMPLE_FMT_S16 ? 16
                  : rawBits > 16 && rawBits <= 24            ? 24
                                                             : 32;
    if (frame.ch_layout.order == AV_CHANNEL_ORDER_NATIVE &&
        std::popcount(frame.ch_layout.u.mask) == format.channels &&
        frame.ch_layout.u.mask < (uint64_t{1} << 18)) {
        // FFmpeg's speaker bits are a WAV file's.
        format.channelMask = static_cast<uint32_t>(frame.ch_layout.u.mask);
    }
    if (stream.duration != AV_NOPTS_VALUE && stream.duration > 0 && format.rate > 0) {
        format.frames = static_cast<uint64_t>(
            av_rescale_q(stream.duration, stream.time_base, AVRational{1, format.rate}));
        format.framesStated = container.duration_estimation_method != AVFMT_DURATION_FROM_BITRATE;
    } else if (container.duration != AV_NOPTS_VALUE && container.duration > 0 && format.rate > 0) {
        format.frames = static_cast<uint64_t>(
            av_rescale_q(container.duration, AV_TIME_BASE_Q, AVRational{1, format.rate}));
    }
    if (format.channels <= 0 || format.rate <= 0 || !state->Convert(state->first)) {
        problem = kNotAudio;
        return nullptr;
    }
    av_frame_unref(&frame);
    state->firstPending = true;
    return std::unique_ptr<MediaDecoder>(new MediaDecoder(std::move(state)));
}

bool MediaDecoder::Decode(std::vector<uint8_t>& out) {
    State& state = *state_;
    if (state.firstPending) {
        state.firstPending = false;
        out.swap(state.first);
        return true;
    }
    out.clear();
    while (out.empty()) {
        if (!state.failure.empty() || state.NextFrame() <= 0) {
            return false;
        }
        const bool converted = state.Convert(out);
        av_frame_unref(state.frame.get());
        if (!converted) {
            return false;
        }
    }
    return true;
}

}  // namespace disctrove::platform
