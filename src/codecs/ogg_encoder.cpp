#include "codecs/ogg_encoder.h"

#include <vorbis/codec.h>
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "audio/pcm_source.h"
#include "audio/sample_converter.h"
#include "audio/unique_file.h"
#include "codecs/cover_picture.h"
#include "codecs/encode_job.h"
#include "codecs/track_tags.h"

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

void AddComments(vorbis_comment& comment, const Settings& settings, const Track& track,
                 bool fromRip, const std::vector<uint8_t>& cover) {
    for (const TrackTag& tag : TrackTags(settings, track, fromRip, TagSet::oggVorbis)) {
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

// Everything between opening the source and closing the destination; returns the final
// status (100, 101 or 102).
int32_t Encode(WorkerContext& context, EncodeJob& job, bool fromRip) {
    Settings& settings = context.settings;
    Track& track = *job.track;
    const auto fail = [&](const std::string& message) {
        context.questions.Inform(message);
        return kStatusError;
    };

    const OggFormat format = track.format.As<OggFormat>();
    int32_t channels = format.channels == 0 ? 1 : format.channels == 1 ? 2 : 6;
    int32_t rate = TableEntry(kSampleRates, format.samplerateIndex, 0);

    PcmSource source = OpenEncodeSource(job, fromRip);
    if (source.error() != PcmSourceError::none) {
        return fail(std::string(PcmSourceMessage(source.error())));
    }
    const WavHeader& input = source.format();
    if (!fromRip) {
        channels = input.channels;
        if (rate == 0) {
            rate = static_cast<int32_t>(input.sampleRate);
        }
        if (input.bitsPerSample < 16) {
            return fail(kOggLowBitsMessage);
        }
    }
    if (rate == 0) {
        rate = kCdSampleRate;
    }
    const std::string refused = "OGG Vorbis cannot encode " + std::to_string(channels) +
                                " channel(s) at " + std::to_string(rate) +
                                " Hz with these settings.\nPlease choose another sample rate, "
                                "channel mode or bit rate.";
    // What the source holds (in a WAV file's channel order; CD audio is left, right) is converted
    // to what the stream declares, in Vorbis's channel order: never relabelled.
    const int32_t sampleBytes = (input.bitsPerSample + 7) / 8;
    SampleConverter converter({input.channels, static_cast<int32_t>(input.sampleRate),
                               ChannelOrder::wav, input.channelMask},
                              sampleBytes, {channels, rate, ChannelOrder::vorbis});
    if (!converter.ok()) {
        return fail(refused);
    }
    if (!fromRip && !ConfirmOverwrite(context, job.outputPath)) {  // a rip asked before reading
        return kStatusStopped;
    }

    VorbisState state;
    vorbis_info_init(&state.info);
    state.infoReady = true;
    // Set up before the destination is created, so a refused set-up leaves any old file alone.
    if (!SetUp(state.info, format, channels, rate)) {
        return fail(refused);
    }
    UniqueFile out = CreateWorkingFile(job.writePath, "wb");
    if (!out) {
        return fail(kCannotCreateOutputMessage);
    }
    vorbis_comment_init(&state.comment);
    state.commentReady = true;
    AddComments(state.comment, settings, track, fromRip, RipCover(context, fromRip));
    vorbis_analysis_init(&state.dsp, &state.info);
    state.dspReady = true;
    vorbis_block_init(&state.dsp, &state.block);
    state.blockReady = true;
    ogg_stream_init(&state.stream, static_cast<int>(std::random_device{}() & 0x7FFFFFFF));
    state.streamReady = true;

    bool written = true;
    ogg_packet identification;
    ogg_packet comments;
    ogg_packet codebooks;
    vorbis_analysis_headerout(&state.dsp, &state.comment, &identification, &comments, &codebooks);
    ogg_stream_packetin(&state.stream, &identification);
    ogg_stream_packetin(&state.stream, &comments);
    ogg_stream_packetin(&state.stream, &codebooks);
    ogg_page page;
    while (ogg_stream_flush(&state.stream, &page) != 0) {
        written = written && WritePage(out.get(), page);
    }

    const size_t frameBytes =
        static_cast<size_t>(input.channels) * static_cast<size_t>(sampleBytes);
    std::vector<uint8_t> pcm(frameBytes * kBlockFrames);
    const uint64_t total = uint64_t{track.lengthSectors} * kCdBytesPerSector;
    uint64_t bytesRead = 0;
    bool inputEnded = false;
    bool endOfStream = false;
    int32_t outcome = kStatusCompleted;
    for (uint64_t block = 1; !endOfStream && written; ++block) {
        const size_t bytes = inputEnded ? 0 : source.Read(pcm.data(), pcm.size());
        bytesRead += bytes;
        const auto frames = static_cast<int32_t>(bytes / frameBytes);
        if (!settings.ripping) {
            outcome = kStatusStopped;  // no end of stream: the file stays truncated
            break;
        }
        if (frames == 0) {
            // The end of the input: first what the resampler still holds, then the end mark.
            inputEnded = true;
            const int32_t room = kBlockFrames * 4;
            float** buffer = vorbis_analysis_buffer(&state.dsp, room);
            vorbis_analysis_wrote(&state.dsp, converter.Flush(buffer, room));
        } else {
            if (block % 10 == 1 && total > 0) {
                const uint64_t share = bytesRead * (fromRip ? 70 : 100) / total;
                const auto percent = static_cast<int32_t>((fromRip ? 30 : 0) + share);
                ReportStatus(context, track, std::min(percent, 99));
            }
            const int32_t room = converter.OutputRoom(frames);
            float** buffer = vorbis_analysis_buffer(&state.dsp, room);
            const int32_t converted = converter.Convert(pcm.data(), frames, buffer, room);
            if (converted > 0) {  // 0 would mean the end of the stream
                vorbis_analysis_wrote(&state.dsp, converted);
            }
        }
        while (vorbis_analysis_blockout(&state.dsp, &state.block) == 1) {
            vorbis_analysis(&state.block, nullptr);
            vorbis_bitrate_addblock(&state.block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&state.dsp, &packet) == 1) {
                ogg_stream_packetin(&state.stream, &packet);
                while (!endOfStream && ogg_stream_pageout(&state.stream, &page) != 0) {
                    written = written && WritePage(out.get(), page);
                    endOfStream = ogg_page_eos(&page) != 0;
                }
            }
        }
    }
    const bool closed = std::fclose(out.release()) == 0;
    return written && closed ? outcome : fail(WriteFailedMessage(job.outputPath));
}

}  // namespace

void OggEncode(WorkerContext& context, EncodeJob& job, bool fromRip) {
    RunEncode(context, job, fromRip, [&] { return Encode(context, job, fromRip); });
}

}  // namespace disctrove
