#include "codecs/ogg_decoder.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "audio/channel_layout.h"
#include "audio/unique_file.h"
#include "audio/wav_file.h"
#include "codecs/decode_run.h"
#include "platform/system/environment.h"
#include "platform/system/files.h"
#include "work/file_names.h"

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

}  // namespace

int OggDecodeThread(WorkerContext& context, Track& progress) {
    Settings& settings = context.settings;
    DecodeRun run(context, progress);
    const std::string& source = run.source;
    const std::string& destination = run.destination;
    if (!run.DestinationIsNotTheSource()) {
        return -1;
    }

    UniqueFile in = OpenFile(source, "rb");
    if (!in) {
        context.questions.Inform(kCannotOpenOggMessage);
        progress.status = kStatusError;
        settings.finished = 1;
        context.notifications.WorkFinished();
        return -1;
    }
    // A decode writes one file, so All means Yes here; it does not reach the rip's overwriteAll
    // nor the next decode.
    if (!settings.Overwrite && platform::FileExists(destination) &&
        context.questions.Confirm(ConfirmTopic::overwrite, OverwriteQuestion(destination)) ==
            ConfirmAnswer::no) {
        return run.End(kStatusStopped, -1);
    }
    // Opened before the destination is made, so a file that is no Ogg Vorbis stream leaves no
    // empty WAV file behind (and an existing one untouched).
    std::fseek(in.get(), 0, SEEK_END);
    const long sourceBytes = std::max(std::ftell(in.get()), 1L);
    std::fseek(in.get(), 0, SEEK_SET);
    VorbisFile vorbis;
    if (ov_open(in.get(), &vorbis.file, nullptr, 0) != 0) {
        context.questions.Inform(kNotOggMessage);
        return run.End(kStatusError, -1);
    }
    vorbis.open = true;
    in.release();  // the decoder owns the stream now
    // vorbisfile leaves a chained file at its last link after looking it over; decoding starts
    // at the first.
    if (ov_seekable(&vorbis.file) != 0) {
        ov_pcm_seek(&vorbis.file, 0);
    }

    UniqueFile out = CreateWorkingFile(run.writePath, "wb");
    if (!out) {
        context.questions.Inform(kCannotCreateDecodeOutputMessage);
        return run.End(kStatusError, -1);
    }
    const vorbis_info* info = ov_info(&vorbis.file, -1);
    const int32_t channels = info->channels;
    const auto rate = static_cast<int32_t>(info->rate);
    const int32_t firstChannels = ov_info(&vorbis.file, 0)->channels;
    // Without a known length (an unseekable or damaged stream) progress follows the file.
    const ogg_int64_t frames = ov_pcm_total(&vorbis.file, -1);
    const bool lengthKnown = frames > 0;
    const uint64_t expected =
        lengthKnown ? static_cast<uint64_t>(frames) * static_cast<uint64_t>(firstChannels) * 2 : 1;
    progress.lengthSectors = static_cast<uint32_t>(std::min<uint64_t>(expected, UINT32_MAX));
    progress.format.words[0] = rate;
    progress.format.words[1] = channels;
    progress.format.words[2] = 1;  // 16 bits
    WriteWavHeader(out.get(), channels, rate, 1, 0);
    // ov_read hands out Vorbis's channel order; a WAV file keeps the same speakers in its own.
    const std::vector<int32_t> places = ChannelPermutation(
        SpeakersOf(channels, ChannelOrder::vorbis), SpeakersOf(channels, ChannelOrder::wav));
    const bool reorder = !std::ranges::is_sorted(places);

    std::array<char, kPieceBytes> piece{};
    uint64_t written = 0;
    int result = 0;
    int32_t status = 0;
    for (uint64_t count = 1;; ++count) {
        int link = 0;
        const long bytes =
            ov_read(&vorbis.file, piece.data(), static_cast<int>(piece.size()), 0, 2, 1, &link);
        if (bytes == OV_HOLE) {
            continue;  // a gap in the data: nothing to write
        }
        if (bytes < 0) {
            context.questions.Inform(kOggReadErrorMessage);
            status = kStatusError;
            result = kStatusError;
            break;
        }
        if (link != 0) {
            context.questions.Inform(kOneBitstreamMessage);
            status = kStatusError;
            result = kStatusError;
            break;
        }
        if (bytes == 0) {
            status = kStatusCompleted;
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
                    : static_cast<uint64_t>(std::max<ogg_int64_t>(ov_raw_tell(&vorbis.file), 0)) *
                          100 / static_cast<uint64_t>(sourceBytes);
            ReportStatus(context, progress, static_cast<int32_t>(std::min<uint64_t>(percent, 99)));
        }
        written += static_cast<uint64_t>(bytes);
        if (reorder) {
            Reorder(piece.data(), static_cast<size_t>(bytes), places);
        }
        if (std::fwrite(piece.data(), 1, static_cast<size_t>(bytes), out.get()) !=
            static_cast<size_t>(bytes)) {
            context.questions.Inform(kFullDiskMessage);
            run.writeFailed = true;
            status = kStatusError;
            result = kStatusError;
            break;
        }
    }
    // The header says exactly how much audio the file holds, whatever ended the loop.
    WriteWavHeader(out.get(), channels, rate, 1,
                   static_cast<uint32_t>(std::min<uint64_t>(written, UINT32_MAX - 36)));
    if (std::fclose(out.release()) != 0 && result == 0) {
        context.questions.Inform(kFullDiskMessage);
        run.writeFailed = true;
        status = kStatusError;
        result = kStatusError;
    }
    return run.End(status, result);
}

}  // namespace disctrove
