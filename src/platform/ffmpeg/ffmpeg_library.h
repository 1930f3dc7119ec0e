// FFmpeg's codec and container libraries (libavcodec, libavformat), loaded on first use instead of
// linked. Linked, they and the hundred libraries they pull in cost every start of either program
// about 25 ms, though most runs never decode an MP3 or write a WMA file. libavutil and
// libswresample, which are cheap to load, stay linked.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <string>

namespace disctrove::platform {

// The functions of libavcodec and libavformat that the media decoder and the WMA writer call.
#define DISCTROVE_FFMPEG_FUNCTIONS(F)  \
    F(av_packet_alloc)                 \
    F(av_packet_free)                  \
    F(av_packet_rescale_ts)            \
    F(av_packet_unref)                 \
    F(avcodec_alloc_context3)          \
    F(avcodec_find_encoder)            \
    F(avcodec_free_context)            \
    F(avcodec_open2)                   \
    F(avcodec_parameters_from_context) \
    F(avcodec_parameters_to_context)   \
    F(avcodec_receive_frame)           \
    F(avcodec_receive_packet)          \
    F(avcodec_send_frame)              \
    F(avcodec_send_packet)             \
    F(av_find_best_stream)             \
    F(av_interleaved_write_frame)      \
    F(av_read_frame)                   \
    F(av_write_trailer)                \
    F(avformat_alloc_output_context2)  \
    F(avformat_close_input)            \
    F(avformat_find_stream_info)       \
    F(avformat_free_context)           \
    F(avformat_new_stream)             \
    F(avformat_open_input)             \
    F(avformat_write_header)           \
    F(avio_alloc_context)              \
    F(avio_context_free)               \
    F(avio_flush)

struct FfmpegFunctions {
#define DISCTROVE_FFMPEG_POINTER(name) decltype(&::name) name = nullptr;
    DISCTROVE_FFMPEG_FUNCTIONS(DISCTROVE_FFMPEG_POINTER)
#undef DISCTROVE_FFMPEG_POINTER
};

// Loads the libraries once, whichever thread asks first; the same answer every later call. False,
// with what the loader said in `problem`, when they cannot be loaded.
bool LoadFfmpeg(std::string& problem);

// The functions, once LoadFfmpeg has returned true.
const FfmpegFunctions& Ffmpeg();

}  // namespace disctrove::platform
