#include "codecs/opus_encoder.h"

#include <opusenc.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "audio/pcm_source.h"
#include "audio/sample_converter.h"
#include "audio/unique_file.h"
#include "codecs/cover_picture.h"
#include "codecs/encode_job.h"
#include "codecs/track_tags.h"
#include "platform/system/files.h"

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

// Everything between opening the source and closing the destination; returns the final status.
int32_t Encode(WorkerContext& context, EncodeJob& job, bool fromRip) {
    Settings& settings = context.settings;
    Track& track = *job.track;
    Sink sink;
    bool created = false;  // the destination was begun: an error removes it
    const auto fail = [&](const std::string& message) {
        if (created) {
            sink.file.reset();
            platform::RemoveFile(job.writePath);
        }
        context.questions.Inform(message);
        return kStatusError;
    };

    PcmSource source = OpenEncodeSource(job, fromRip);
    if (source.error() != PcmSourceError::none) {
        return fail(std::string(PcmSourceMessage(source.error())));
    }
    const WavHeader& input = source.format();
    const int32_t channels = input.channels;
    const auto rate = static_cast<int32_t>(input.sampleRate);
    const int32_t sampleBytes = (input.bitsPerSample + 7) / 8;
    // Channels keep their speakers: the WAV order becomes the Vorbis order family 1 declares.
    // Beyond eight channels no layout is agreed, so they go as they are, unnamed (family 255).
    SampleConverter converter({channels, rate, ChannelOrder::wav, input.channelMask}, sampleBytes,
                              {channels, rate, ChannelOrder::vorbis});
    // libopusenc resamples to 48 kHz and asserts (ending the process) on rates far below any
    // audio; what it cannot take is refused before anything is made.
    if (rate < kMinOpusRate || rate > kMaxOpusRate) {
        return fail("Opus cannot encode samples at " + std::to_string(rate) +
                    " Hz.\nThe sample rate must be between " + std::to_string(kMinOpusRate) +
                    " and " + std::to_string(kMaxOpusRate) + " Hz.");
    }
    if (!converter.ok() || channels > 255) {
        return fail("Opus cannot encode " + std::to_string(channels) + " channel(s) of " +
                    std::to_string(input.bitsPerSample) + "-bit samples at " +
                    std::to_string(rate) + " Hz.");
    }
    if (!fromRip && !ConfirmOverwrite(context, job.outputPath)) {  // a rip asked before reading
        return kStatusStopped;
    }

    UniqueComments comments(ope_comments_create());
    if (!comments) {
        return fail(LibraryError("creating the comments", OPE_ALLOC_FAIL));
    }
    for (const TrackTag& tag : TrackTags(settings, track, fromRip, TagSet::full)) {
        ope_comments_add(comments.get(), tag.name.c_str(), tag.value.c_str());
    }
    // Built here rather than by libopusenc, which reads pictures from files.
    const std::string picture = MetadataBlockPicture(RipCover(context, fromRip));
    if (!picture.empty()) {
        ope_comments_add(comments.get(), "METADATA_BLOCK_PICTURE", picture.c_str());
    }
    const int family = channels <= 2 ? 0 : channels <= kMaxMappedChannels ? 1 : 255;
    const OpusEncCallbacks callbacks{WritePages, CloseNothing};
    int error = OPE_OK;
    // Nothing is written before the first samples, so a refused set-up leaves any old file alone.
    UniqueOpusEncoder encoder(ope_encoder_create_callbacks(&callbacks, &sink, comments.get(), rate,
                                                           channels, family, &error));
    if (!encoder) {
        return fail(LibraryError("setting up the encoder", error));
    }
    // A stream serial of its own (libopusenc takes rand()'s, the same in every run), so files
    // joined into one chain stay apart.
    ope_encoder_ctl(encoder.get(),
                    OPE_SET_SERIALNO(static_cast<int>(std::random_device{}() & 0x7FFFFFFF)));
    error = ApplyFormat(encoder.get(), track.format.As<OpusFormat>(), input.bitsPerSample);
    if (error != OPE_OK) {
        return fail(LibraryError("setting the bit rate, mode and complexity", error));
    }
    sink.file = CreateWorkingFile(job.writePath, "wb");
    if (!sink.file) {
        return fail(kCannotCreateOutputMessage);
    }
    created = true;

    const size_t frameBytes = static_cast<size_t>(channels) * static_cast<size_t>(sampleBytes);
    std::vector<uint8_t> pcm(frameBytes * kBlockFrames);
    std::vector<std::vector<float>> planes(static_cast<size_t>(channels),
                                           std::vector<float>(kBlockFrames));
    std::vector<float*> planePointers;
    for (auto& plane : planes) {
        planePointers.push_back(plane.data());
    }
    std::vector<float> interleaved(static_cast<size_t>(channels) * kBlockFrames);
    const uint64_t total = source.totalBytes();
    uint64_t bytesRead = 0;
    int32_t outcome = kStatusCompleted;
    for (uint64_t block = 1;; ++block) {
        const size_t bytes = source.Read(pcm.data(), pcm.size());
        const auto frames = static_cast<int32_t>(bytes / frameBytes);
        if (frames == 0) {
            break;
        }
        bytesRead += bytes;
        if (!settings.ripping) {
            outcome = kStatusStopped;  // the stream is ended below and kept with what it holds
            break;
        }
        if (block % 10 == 1 && total > 0) {
            const uint64_t share = bytesRead * (fromRip ? 70 : 100) / total;
            ReportStatus(context, track,
                         std::min(static_cast<int32_t>((fromRip ? 30 : 0) + share), 99));
        }
        const int32_t converted =
            converter.Convert(pcm.data(), frames, planePointers.data(), kBlockFrames);
        for (int32_t i = 0; i < converted; ++i) {
            for (int32_t c = 0; c < channels; ++c) {
                interleaved[static_cast<size_t>(i * channels + c)] =
                    planes[static_cast<size_t>(c)][static_cast<size_t>(i)];
            }
        }
        error = ope_encoder_write_float(encoder.get(), interleaved.data(), converted);
        if (error != OPE_OK || sink.failed) {
            return fail(sink.failed ? WriteFailedMessage(job.outputPath)
                                    : LibraryError("encoding", error));
        }
    }
    error = ope_encoder_drain(encoder.get());
    if (error != OPE_OK || sink.failed) {
        return fail(sink.failed ? WriteFailedMessage(job.outputPath)
                                : LibraryError("ending the stream", error));
    }
    if (std::fclose(sink.file.release()) != 0) {
        return fail(WriteFailedMessage(job.outputPath));
    }
    return outcome;
}

}  // namespace

void OpusEncode(WorkerContext& context, EncodeJob& job, bool fromRip) {
    RunEncode(context, job, fromRip, [&] { return Encode(context, job, fromRip); });
}

}  // namespace disctrove
