#include "codecs/flac_decoder.h"

#include <FLAC/stream_decoder.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "audio/unique_file.h"
#include "audio/wav_file.h"
#include "codecs/decode_run.h"
#include "codecs/ogg_decoder.h"
#include "platform/system/environment.h"
#include "platform/system/files.h"
#include "work/file_names.h"

namespace disctrove {

namespace {

struct DecoderDeleter {
    void operator()(FLAC__StreamDecoder* decoder) const { FLAC__stream_decoder_delete(decoder); }
};

// What the callbacks share with the decoding loop.
struct Decoding {
    std::FILE* out = nullptr;  // null until the destination is made
    bool streamInfo = false;
    uint32_t channels = 0;
    uint32_t rate = 0;
    uint32_t bits = 0;
    uint64_t totalFrames = 0;  // 0 when the file does not say
    int32_t sampleBytes = 0;   // in the WAV file
    int32_t shift = 0;         // from FLAC's width up to the WAV file's
    uint64_t written = 0;      // sample bytes in the WAV file
    uint64_t frames = 0;
    bool damaged = false;
    bool writeFailed = false;
    std::vector<uint8_t> bytes;
};

FLAC__StreamDecoderWriteStatus OnFrame(const FLAC__StreamDecoder*, const FLAC__Frame* frame,
                                       const FLAC__int32* const buffer[], void* data) {
    auto& decoding = *static_cast<Decoding*>(data);
    const uint32_t count = frame->header.blocksize;
    const uint32_t channels = frame->header.channels;
    if (decoding.out == nullptr || channels != decoding.channels) {
        decoding.damaged = true;  // a frame that does not belong to the stream
        return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
    }
    const auto width = static_cast<size_t>(decoding.sampleBytes);
    decoding.bytes.resize(size_t{count} * channels * width);
    uint8_t* at = decoding.bytes.data();
    for (uint32_t i = 0; i < count; ++i) {
        for (uint32_t c = 0; c < channels; ++c) {
            auto value = static_cast<uint32_t>(buffer[c][i]) << decoding.shift;
            if (width == 1) {
                value += 128;  // WAV's 8-bit samples are unsigned
            }
            for (size_t b = 0; b < width; ++b) {
                *at++ = static_cast<uint8_t>(value >> (8 * b));
            }
        }
    }
    if (std::fwrite(decoding.bytes.data(), 1, decoding.bytes.size(), decoding.out) !=
        decoding.bytes.size()) {
        decoding.writeFailed = true;
        return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
    }
    decoding.written += decoding.bytes.size();
    decoding.frames += count;
    return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
}

void OnMetadata(const FLAC__StreamDecoder*, const FLAC__StreamMetadata* block, void* data) {
    auto& decoding = *static_cast<Decoding*>(data);
    if (block->type == FLAC__METADATA_TYPE_STREAMINFO) {
        const FLAC__StreamMetadata_StreamInfo& info = block->data.stream_info;
        decoding.streamInfo = true;
        decoding.channels = info.channels;
        decoding.rate = info.sample_rate;
        decoding.bits = info.bits_per_sample;
        decoding.totalFrames = info.total_samples;
        decoding.sampleBytes = static_cast<int32_t>((info.bits_per_sample + 7) / 8);
        decoding.shift = decoding.sampleBytes * 8 - static_cast<int32_t>(info.bits_per_sample);
    }
}

void OnError(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus, void* data) {
    static_cast<Decoding*>(data)->damaged = true;
}

}  // namespace

int FlacDecodeThread(WorkerContext& context, Track& progress) {
    Settings& settings = context.settings;
    DecodeRun run(context, progress);
    const std::string& source = run.source;
    const std::string& destination = run.destination;
    if (!run.DestinationIsNotTheSource()) {
        return -1;
    }

    const std::unique_ptr<FLAC__StreamDecoder, DecoderDeleter> decoder(FLAC__stream_decoder_new());
    UniqueFile in = OpenFile(source, "rb");
    if (!decoder || !in) {
        context.questions.Inform(kCannotOpenFlacMessage);
        return run.End(kStatusError, -1);
    }
    // A decode writes one file, so All means Yes here.
    if (!settings.Overwrite && platform::FileExists(destination) &&
        context.questions.Confirm(ConfirmTopic::overwrite, OverwriteQuestion(destination)) ==
            ConfirmAnswer::no) {
        return run.End(kStatusStopped, -1);
    }
    Decoding decoding;
    FLAC__StreamDecoder* flac = decoder.get();
    FLAC__stream_decoder_set_md5_checking(flac, true);
    // The decoder closes the stream it is given, from here on.
    if (FLAC__stream_decoder_init_FILE(flac, in.get(), OnFrame, OnMetadata, OnError, &decoding) !=
        FLAC__STREAM_DECODER_INIT_STATUS_OK) {
        context.questions.Inform(kCannotOpenFlacMessage);
        return run.End(kStatusError, -1);
    }
    in.release();
    // Read before the destination is made, so a file that is no FLAC stream leaves no empty WAV
    // file behind (and an existing one untouched).
    if (!FLAC__stream_decoder_process_until_end_of_metadata(flac) || !decoding.streamInfo ||
        decoding.channels == 0 || decoding.sampleBytes > 4) {
        context.questions.Inform(kNotFlacMessage);
        return run.End(kStatusError, -1);
    }

    UniqueFile out = CreateWorkingFile(run.writePath, "wb");
    if (!out) {
        context.questions.Inform(kCannotCreateDecodeOutputMessage);
        return run.End(kStatusError, -1);
    }
    const auto channels = static_cast<int32_t>(decoding.channels);
    const auto rate = static_cast<int32_t>(decoding.rate);
    const int32_t wavBits = decoding.sampleBytes * 8;
    progress.lengthSectors = static_cast<uint32_t>(std::min<uint64_t>(
        std::max<uint64_t>(decoding.totalFrames * decoding.channels * decoding.sampleBytes, 1),
        UINT32_MAX));
    progress.format.words[0] = rate;
    progress.format.words[1] = channels;
    progress.format.words[2] = wavBits;
    WritePcmWavHeader(out.get(), channels, rate, wavBits, 0);
    decoding.out = out.get();

    int32_t status = kStatusCompleted;
    for (uint64_t count = 1;; ++count) {
        if (!settings.ripping) {
            status = kStatusStopped;
            break;
        }
        if (count % 16 == 1 && decoding.totalFrames > 0) {
            ReportStatus(context, progress,
                         static_cast<int32_t>(
                             std::min<uint64_t>(decoding.frames * 100 / decoding.totalFrames, 99)));
        }
        const bool read = FLAC__stream_decoder_process_single(flac) != 0;
        const FLAC__StreamDecoderState state = FLAC__stream_decoder_get_state(flac);
        if (!read || state == FLAC__STREAM_DECODER_END_OF_STREAM ||
            state == FLAC__STREAM_DECODER_ABORTED) {
            break;
        }
    }
    // Finishing compares the MD5 signature of what was decoded, when the file has one.
    const bool whole = status == kStatusCompleted &&
                       FLAC__stream_decoder_get_state(flac) == FLAC__STREAM_DECODER_END_OF_STREAM;
    const bool md5Agrees = FLAC__stream_decoder_finish(flac) != 0;
    int result = 0;
    if (decoding.writeFailed) {
        context.questions.Inform(kFullDiskMessage);
        run.writeFailed = true;
        status = kStatusError;
    } else if (status == kStatusCompleted && (decoding.damaged || !whole)) {
        context.questions.Inform(kFlacReadErrorMessage);
        status = kStatusError;
    } else if (status == kStatusCompleted && !md5Agrees) {
        context.questions.Inform(kFlacMd5Message);
        status = kStatusError;
    }
    // RIFF chunks are of even length; the header says exactly how much audio the file holds.
    const uint32_t length =
        static_cast<uint32_t>(std::min<uint64_t>(decoding.written, UINT32_MAX - 37));
    bool closed = (length & 1u) == 0 || std::fputc(0, out.get()) != EOF;
    WritePcmWavHeader(out.get(), channels, rate, wavBits, length);
    closed = std::fclose(out.release()) == 0 && closed;
    if (!closed && status != kStatusError) {
        context.questions.Inform(kFullDiskMessage);
        run.writeFailed = true;
        status = kStatusError;
    }
    if (status == kStatusError) {
        result = kStatusError;
    }
    return run.End(status, result);
}

}  // namespace disctrove
