#include "codecs/opus_decoder.h"

#include <opusfile.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "audio/channel_layout.h"
#include "audio/unique_file.h"
#include "audio/wav_file.h"
#include "codecs/decode_run.h"
#include "codecs/ogg_decoder.h"
#include "platform/system/environment.h"
#include "platform/system/files.h"
#include "work/file_names.h"

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

}  // namespace

int OpusDecodeThread(WorkerContext& context, Track& progress) {
    Settings& settings = context.settings;
    DecodeRun run(context, progress);
    const std::string& source = run.source;
    const std::string& destination = run.destination;
    if (!run.DestinationIsNotTheSource()) {
        return -1;
    }
    // Looked over before the question and before the destination is made, so a file that is no
    // Opus stream leaves no empty WAV file behind (and an existing one untouched).
    int error = 0;
    UniqueOpusFile opus(op_open_file(source.c_str(), &error));
    if (!opus) {
        context.questions.Inform(error == OP_EFAULT ? kCannotOpenOpusMessage : kNotOpusMessage);
        return run.End(kStatusError, -1);
    }
    if (!settings.Overwrite && platform::FileExists(destination) &&
        context.questions.Confirm(ConfirmTopic::overwrite, OverwriteQuestion(destination)) ==
            ConfirmAnswer::no) {
        return run.End(kStatusStopped, -1);
    }
    UniqueFile out = CreateWorkingFile(run.writePath, "wb");
    if (!out) {
        context.questions.Inform(kCannotCreateDecodeOutputMessage);
        return run.End(kStatusError, -1);
    }
    const int channels = op_channel_count(opus.get(), 0);
    // Without a known length (an unseekable stream) progress follows the file.
    const ogg_int64_t frames = op_pcm_total(opus.get(), -1);
    const bool lengthKnown = frames > 0;
    const ogg_int64_t sourceBytes = std::max<ogg_int64_t>(op_raw_total(opus.get(), -1), 1);
    const uint64_t expected =
        lengthKnown ? static_cast<uint64_t>(frames) * static_cast<uint64_t>(channels) * 2 : 1;
    progress.lengthSectors = static_cast<uint32_t>(std::min<uint64_t>(expected, UINT32_MAX));
    progress.format.words[0] = kOpusRate;
    progress.format.words[1] = channels;
    progress.format.words[2] = 1;  // 16 bits
    WriteWavHeader(out.get(), channels, kOpusRate, 1, 0);
    // Families 0 and 1 hand out Vorbis's channel order; a WAV file keeps the same speakers in
    // its own.
    const std::vector<int32_t> places = ChannelPermutation(
        SpeakersOf(channels, ChannelOrder::vorbis), SpeakersOf(channels, ChannelOrder::wav));
    const bool reorder = !std::ranges::is_sorted(places);

    std::vector<opus_int16> piece(static_cast<size_t>(kPieceFrames) *
                                  static_cast<size_t>(channels));
    uint64_t written = 0;
    int result = 0;
    int32_t status = 0;
    const auto failed = [&](const char* message) {
        context.questions.Inform(message);
        status = kStatusError;
        result = kStatusError;
    };
    for (uint64_t count = 1;; ++count) {
        int link = 0;
        const int read = op_read(opus.get(), piece.data(), static_cast<int>(piece.size()), &link);
        if (read == OP_HOLE) {
            continue;  // a gap in the data: nothing to write
        }
        if (read < 0) {
            failed(kOpusReadErrorMessage);
            break;
        }
        if (read == 0) {
            status = kStatusCompleted;
            break;
        }
        if (op_channel_count(opus.get(), link) != channels) {
            failed(kOpusChannelsChangeMessage);
            break;
        }
        if (!settings.ripping) {
            status = kStatusStopped;
            break;
        }
        if (count % 5 == 1) {
            const uint64_t percent =
                lengthKnown
                    ? written * 100 / expected
                    : static_cast<uint64_t>(std::max<ogg_int64_t>(op_raw_tell(opus.get()), 0)) *
                          100 / static_cast<uint64_t>(sourceBytes);
            ReportStatus(context, progress, static_cast<int32_t>(std::min<uint64_t>(percent, 99)));
        }
        const auto readFrames = static_cast<size_t>(read);
        if (reorder) {
            Reorder(piece, readFrames, places);
        }
        const size_t bytes = readFrames * static_cast<size_t>(channels) * 2;
        if (std::fwrite(piece.data(), 1, bytes, out.get()) != bytes) {
            run.writeFailed = true;
            failed(kFullDiskMessage);
            break;
        }
        written += bytes;
    }
    // The header says exactly how much audio the file holds, whatever ended the loop.
    WriteWavHeader(out.get(), channels, kOpusRate, 1,
                   static_cast<uint32_t>(std::min<uint64_t>(written, UINT32_MAX - 36)));
    if (std::fclose(out.release()) != 0 && result == 0) {
        run.writeFailed = true;
        failed(kFullDiskMessage);
    }
    return run.End(status, result);
}

}  // namespace disctrove
