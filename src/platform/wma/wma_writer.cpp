#include "platform/wma/wma_writer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
}

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>

#include "platform/ffmpeg/ffmpeg_library.h"
#include "platform/system/files.h"

namespace disctrove::platform {

namespace {

// FFmpeg writes the file through these into a stream of ours (opened where every written file
// is, so that a failing write or close is seen the same way for every format).
#if LIBAVFORMAT_VERSION_MAJOR >= 61
int WritePacket(void* file, const uint8_t* bytes, int size) {
#else
int WritePacket(void* file, uint8_t* bytes, int size) {
#endif
    const auto count = static_cast<size_t>(size);
    return std::fwrite(bytes, 1, count, static_cast<std::FILE*>(file)) == count ? size
                                                                                : AVERROR(EIO);
}

int64_t SeekFile(void* opaque, int64_t offset, int whence) {
    auto* file = static_cast<std::FILE*>(opaque);
    if (whence == AVSEEK_SIZE) {
        return -1;  // not needed to write
    }
    return fseeko(file, static_cast<off_t>(offset), whence & ~AVSEEK_FORCE) == 0
               ? static_cast<int64_t>(ftello(file))
               : AVERROR(EIO);
}

struct FileClose {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

struct CodecFree {
    void operator()(AVCodecContext* c) const { Ffmpeg().avcodec_free_context(&c); }
};
using UniqueCodec = std::unique_ptr<AVCodecContext, CodecFree>;

// An opened wmav2 encoder for `format`; null when the encoder refuses it.
UniqueCodec OpenEncoder(const WmaCodecFormat& format) {
    if (std::string problem; !LoadFfmpeg(problem)) {
        return nullptr;  // no formats, and no file begun
    }
    const AVCodec* codec = Ffmpeg().avcodec_find_encoder(AV_CODEC_ID_WMAV2);
    if (codec == nullptr) {
        return nullptr;
    }
    UniqueCodec context(Ffmpeg().avcodec_alloc_context3(codec));
    if (!context) {
        return nullptr;
    }
    context->sample_fmt = AV_SAMPLE_FMT_FLTP;
    context->sample_rate = static_cast<int>(format.sampleRate);
    av_channel_layout_default(&context->ch_layout, format.channels);
    context->bit_rate = int64_t{format.averageBytesPerSecond} * 8;
    context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;  // the ASF header carries the codec's data
    av_log_set_level(AV_LOG_QUIET);  // refusals are results here, not news for the terminal
    if (Ffmpeg().avcodec_open2(context.get(), codec, nullptr) < 0) {
        return nullptr;
    }
    return context;
}

std::string FfmpegKey(const std::string& attribute) {
    // The ASF muxer writes these keys under the Windows Media names.
    if (attribute == "Author") {
        return "artist";
    }
    if (attribute == "WM/AlbumTitle") {
        return "album";
    }
    if (attribute == "WM/Genre") {
        return "genre";
    }
    if (attribute == "Title") {
        return "title";
    }
    if (attribute == "WM/TrackNumber") {
        return "track";
    }
    return attribute;
}

}  // namespace

const std::vector<WmaCodecFormat>& WmaCodecFormats() {
    static const std::vector<WmaCodecFormat> formats = [] {
        struct Classic {
            uint32_t rate;
            uint16_t channels;
            uint32_t kbps;
        };
        static constexpr Classic kClassic[] = {
            {48000, 2, 192}, {48000, 2, 160}, {48000, 2, 128}, {44100, 2, 192}, {44100, 2, 160},
            {44100, 2, 128}, {44100, 2, 96},  {44100, 2, 80},  {44100, 2, 64},  {44100, 2, 48},
            {44100, 2, 32},  {44100, 1, 48},  {44100, 1, 32},  {32000, 2, 48},  {32000, 2, 40},
            {32000, 2, 32},  {32000, 1, 20},  {22050, 2, 32},  {22050, 2, 22},  {22050, 2, 20},
            {22050, 1, 20},  {22050, 1, 16},  {16000, 2, 20},  {16000, 2, 16},  {16000, 1, 16},
            {16000, 1, 12},  {16000, 1, 10},  {11025, 1, 10},  {11025, 1, 8},   {8000, 2, 12},
            {8000, 1, 8},    {8000, 1, 6},    {8000, 1, 5},
        };
        std::vector<WmaCodecFormat> usable;
        for (const Classic& c : kClassic) {
            WmaCodecFormat format;
            format.channels = c.channels;
            format.sampleRate = c.rate;
            format.averageBytesPerSecond = c.kbps * 1000 / 8;
            if (const UniqueCodec encoder = OpenEncoder(format)) {
                format.blockAlign = static_cast<uint16_t>(encoder->block_align);
                usable.push_back(format);
            }
        }
        return usable;
    }();
    return formats;
}

struct WmaWriter::State {
    std::string path;
    WmaCodecFormat profile;
    std::vector<std::pair<std::string, std::string>> attributes;
    AVFormatContext* file = nullptr;
    std::unique_ptr<std::FILE, FileClose> out;
    AVIOContext* io = nullptr;
    UniqueCodec encoder;
    AVStream* stream = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    AVAudioFifo* fifo = nullptr;
    std::vector<std::vector<float>> planes;
    int64_t nextPts = 0;
    bool writing = false;
    bool failed = false;

    ~State() {
        av_audio_fifo_free(fifo);
        if (packet != nullptr) {
            Ffmpeg().av_packet_free(&packet);
        }
        av_frame_free(&frame);
        if (file != nullptr) {
            Ffmpeg().avformat_free_context(file);
        }
        if (io != nullptr) {
            av_freep(&io->buffer);
            Ffmpeg().avio_context_free(&io);
        }
    }

    // The file opened, and FFmpeg's way into it.
    bool Open() {
        constexpr int kBufferBytes = 64 * 1024;
        out.reset(CreateWorkingStream(path, "wb"));
        auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferBytes));
        if (!out || buffer == nullptr) {
            av_free(buffer);
            return false;
        }
        io = Ffmpeg().avio_alloc_context(buffer, kBufferBytes, 1, out.get(), nullptr, WritePacket,
                                         SeekFile);
        if (io == nullptr) {
            av_free(buffer);
            return false;
        }
        file->pb = io;
        file->flags |= AVFMT_FLAG_CUSTOM_IO;
        return true;
    }

    // Hands the encoder one frame (or nothing, to drain it) and writes what it gives back.
    bool Encode(AVFrame* input) {
        if (Ffmpeg().avcodec_send_frame(encoder.get(), input) < 0) {
            return false;
        }
        for (;;) {
            const int received = Ffmpeg().avcodec_receive_packet(encoder.get(), packet);
            if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) {
                return true;
            }
            if (received < 0) {
                return false;
            }
            Ffmpeg().av_packet_rescale_ts(packet, encoder->time_base, stream->time_base);
            packet->stream_index = stream->index;
            if (Ffmpeg().av_interleaved_write_frame(file, packet) < 0) {
                return false;
            }
        }
    }

    // Encodes whole frames from the FIFO; with `last`, also what is left, padded with silence.
    bool EncodeQueued(bool last) {
        const int size = encoder->frame_size;
        while (av_audio_fifo_size(fifo) >= size || (last && av_audio_fifo_size(fifo) > 0)) {
            if (av_frame_make_writable(frame) < 0) {
                return false;
            }
            const int got = av_audio_fifo_read(fifo, reinterpret_cast<void**>(frame->data), size);
            // A short last frame where the encoder takes one, else silence to fill it.
            const bool shortFrame =
                (encoder->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME) != 0;
            frame->nb_samples = shortFrame ? got : size;
            for (int c = 0; c < frame->ch_layout.nb_channels; ++c) {
                auto* plane = reinterpret_cast<float*>(frame->data[c]);
                std::fill(plane + got, plane + size, 0.0f);
            }
            frame->pts = nextPts;
            nextPts += got;
            if (!Encode(frame)) {
                return false;
            }
        }
        return true;
    }
};

WmaWriter::WmaWriter() : state_(std::make_unique<State>()) {}

WmaWriter::~WmaWriter() {
    if (state_->writing) {
        EndWriting();
    }
}

void WmaWriter::SetOutputFilename(const std::string& path) {
    state_->path = path;
}

void WmaWriter::SetProfile(const WmaCodecFormat& format) {
    state_->profile = format;
}

void WmaWriter::SetAttribute(const std::string& name, const std::string& value) {
    state_->attributes.emplace_back(name, value);
}

bool WmaWriter::BeginWriting(const WmaPcmFormat& input) {
    State& s = *state_;
    if (s.writing || input.channels != s.profile.channels ||
        input.sampleRate != s.profile.sampleRate || input.bitsPerSample != 16) {
        return false;
    }
    s.encoder = OpenEncoder(s.profile);
    if (!s.encoder ||
        Ffmpeg().avformat_alloc_output_context2(&s.file, nullptr, "asf", s.path.c_str()) < 0) {
        return false;
    }
    s.stream = Ffmpeg().avformat_new_stream(s.file, nullptr);
    if (s.stream == nullptr ||
        Ffmpeg().avcodec_parameters_from_context(s.stream->codecpar, s.encoder.get()) < 0) {
        return false;
    }
    s.stream->time_base = AVRational{1, static_cast<int>(s.profile.sampleRate)};
    for (const auto& [name, value] : s.attributes) {
        av_dict_set(&s.file->metadata, FfmpegKey(name).c_str(), value.c_str(), 0);
    }
    s.frame = av_frame_alloc();
    s.packet = Ffmpeg().av_packet_alloc();
    s.fifo = av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, input.channels, s.encoder->frame_size * 4);
    if (s.frame == nullptr || s.packet == nullptr || s.fifo == nullptr) {
        return false;
    }
    s.frame->nb_samples = s.encoder->frame_size;
    s.frame->format = AV_SAMPLE_FMT_FLTP;
    s.frame->sample_rate = s.encoder->sample_rate;
    if (av_channel_layout_copy(&s.frame->ch_layout, &s.encoder->ch_layout) < 0 ||
        av_frame_get_buffer(s.frame, 0) < 0 || !s.Open() ||
        Ffmpeg().avformat_write_header(s.file, nullptr) < 0) {
        return false;
    }
    s.planes.assign(input.channels, {});
    s.writing = true;
    return true;
}

bool WmaWriter::WriteSample(uint64_t /*time*/, const uint8_t* pcm, size_t bytes) {
    State& s = *state_;
    if (!s.writing || s.failed) {
        return false;
    }
    // The stream's clock counts samples; the time stamps only confirm where a block belongs.
    const size_t channels = s.planes.size();
    const size_t frames = bytes / (2 * channels);
    std::vector<void*> planes(channels);
    for (size_t c = 0; c < channels; ++c) {
        s.planes[c].resize(frames);
        const uint8_t* at = pcm + 2 * c;
        for (size_t i = 0; i < frames; ++i, at += 2 * channels) {
            s.planes[c][i] =
                static_cast<float>(static_cast<int16_t>(at[0] | (at[1] << 8))) / 32768.0f;
        }
        planes[c] = s.planes[c].data();
    }
    if (av_audio_fifo_write(s.fifo, planes.data(), static_cast<int>(frames)) <
            static_cast<int>(frames) ||
        !s.EncodeQueued(false)) {
        s.failed = true;
    }
    return !s.failed;
}

bool WmaWriter::Flush() {
    State& s = *state_;
    if (!s.writing) {
        return false;
    }
    Ffmpeg().avio_flush(s.file->pb);
    return s.file->pb->error >= 0;
}

bool WmaWriter::EndWriting() {
    State& s = *state_;
    if (!s.writing) {
        return false;
    }
    s.writing = false;
    bool ok = !s.failed && s.EncodeQueued(true) && s.Encode(nullptr);
    ok = Ffmpeg().av_write_trailer(s.file) == 0 && ok;
    Ffmpeg().avio_flush(s.io);
    ok = s.io->error >= 0 && ok;
    ok = std::fclose(s.out.release()) == 0 && ok;
    return ok;
}

}  // namespace disctrove::platform
