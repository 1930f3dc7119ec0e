#include "codecs/flac_decoder.h"

#include <FLAC/stream_decoder.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/unique_file.h"
#include "codecs/decoder_source.h"
#include "codecs/ogg_decoder.h"

namespace disctrove {

namespace {

struct DecoderDeleter {
    void operator()(FLAC__StreamDecoder* decoder) const { FLAC__stream_decoder_delete(decoder); }
};

// What the callbacks share with the decoding loop.
struct Decoding {
    bool begun = false;  // the metadata was read: frames may come
    bool streamInfo = false;
    uint32_t channels = 0;
    uint32_t rate = 0;
    uint32_t bits = 0;
    uint64_t totalFrames = 0;    // 0 when the file does not say
    uint64_t decodedFrames = 0;  // so far
    int32_t sampleBytes = 0;     // in the WAV file
    int32_t shift = 0;           // from FLAC's width up to the WAV file's
    bool damaged = false;
    std::vector<uint8_t> bytes;  // the last frame, as the WAV file holds it
};

// libFLAC's channels, one array each, into the WAV file's interleaved little-endian samples.
// The width is fixed at compile time: this loop is most of our own work in a conversion.
template <size_t Width>
void Interleave(const FLAC__int32* const buffer[], uint32_t count, uint32_t channels, int32_t shift,
                uint8_t* at) {
    for (uint32_t i = 0; i < count; ++i) {
        for (uint32_t c = 0; c < channels; ++c) {
            auto value = static_cast<uint32_t>(buffer[c][i]) << shift;
            if constexpr (Width == 1) {
                value += 128;  // WAV's 8-bit samples are unsigned
            }
            for (size_t b = 0; b < Width; ++b) {
                *at++ = static_cast<uint8_t>(value >> (8 * b));
            }
        }
    }
}

FLAC__StreamDecoderWriteStatus OnFrame(const FLAC__StreamDecoder*, const FLAC__Frame* frame,
                                       const FLAC__int32* const buffer[], void* data) {
    auto& decoding = *static_cast<Decoding*>(data);
    const uint32_t count = frame->header.blocksize;
    const uint32_t channels = frame->header.channels;
    if (!decoding.begun || channels != decoding.channels) {
        decoding.damaged = true;  // a frame that does not belong to the stream
        return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
    }
    decoding.decodedFrames += count;
    const auto width = static_cast<size_t>(decoding.sampleBytes);
    decoding.bytes.resize(size_t{count} * channels * width);
    switch (width) {
        case 1:
            Interleave<1>(buffer, count, channels, decoding.shift, decoding.bytes.data());
            break;
        case 2:
            Interleave<2>(buffer, count, channels, decoding.shift, decoding.bytes.data());
            break;
        case 3:
            Interleave<3>(buffer, count, channels, decoding.shift, decoding.bytes.data());
            break;
        default:
            Interleave<4>(buffer, count, channels, decoding.shift, decoding.bytes.data());
            break;
    }
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

// libFLAC reads through stdio, whose own buffer is a page: a larger one saves most of the read
// calls of a long file.
constexpr size_t kReadBuffer = 64 * 1024;

class FlacSource final : public DecoderSource {
  public:
    explicit FlacSource(FlacSignatureCheck check) : check_(check) {}

    const char* Open(const std::string& path) override {
        decoder_.reset(FLAC__stream_decoder_new());
        in_ = OpenFile(path, "rb");
        if (in_) {
            std::setvbuf(in_.get(), nullptr, _IOFBF, kReadBuffer);
        }
        return decoder_ && in_ ? nullptr : kCannotOpenFlacMessage;
    }
    const char* Begin() override;
    DecodedFormat Format() const override;
    DecodedPiece Read() override;

    std::optional<uint64_t> Percent(uint64_t written) override {
        if (decoding_.totalFrames == 0) {
            return std::nullopt;
        }
        const uint64_t frameBytes = uint64_t{decoding_.channels} * decoding_.sampleBytes;
        return written / frameBytes * 100 / decoding_.totalFrames;
    }
    uint64_t ReportEvery() const override { return 16; }
    const char* Check() override;

  private:
    FlacSignatureCheck check_;
    UniqueFile in_;
    Decoding decoding_;
    std::unique_ptr<FLAC__StreamDecoder, DecoderDeleter> decoder_;
};

const char* FlacSource::Begin() {
    FLAC__StreamDecoder* flac = decoder_.get();
    FLAC__stream_decoder_set_md5_checking(flac, check_ == FlacSignatureCheck::on);
    // The decoder closes the stream it is given, from here on.
    if (FLAC__stream_decoder_init_FILE(flac, in_.get(), OnFrame, OnMetadata, OnError, &decoding_) !=
        FLAC__STREAM_DECODER_INIT_STATUS_OK) {
        return kCannotOpenFlacMessage;
    }
    in_.release();
    // Read before the destination is made, so a file that is no FLAC stream leaves no empty WAV
    // file behind (and an existing one untouched).
    if (!FLAC__stream_decoder_process_until_end_of_metadata(flac) || !decoding_.streamInfo ||
        decoding_.channels == 0 || decoding_.sampleBytes > 4) {
        return kNotFlacMessage;
    }
    decoding_.begun = true;
    return nullptr;
}

DecodedFormat FlacSource::Format() const {
    DecodedFormat format;
    format.channels = static_cast<int32_t>(decoding_.channels);
    format.rate = static_cast<int32_t>(decoding_.rate);
    format.bits = decoding_.sampleBytes * 8;
    format.formatWord = format.bits;
    format.expectedBytes =
        std::max<uint64_t>(decoding_.totalFrames * decoding_.channels * decoding_.sampleBytes, 1);
    return format;
}

// One frame a call, as libFLAC decodes it.
DecodedPiece FlacSource::Read() {
    using Kind = DecodedPiece::Kind;
    decoding_.bytes.clear();
    const bool read = FLAC__stream_decoder_process_single(decoder_.get()) != 0;
    if (!decoding_.bytes.empty()) {
        return {Kind::samples, decoding_.bytes.data(), decoding_.bytes.size()};
    }
    const FLAC__StreamDecoderState state = FLAC__stream_decoder_get_state(decoder_.get());
    if (!read || state == FLAC__STREAM_DECODER_END_OF_STREAM ||
        state == FLAC__STREAM_DECODER_ABORTED) {
        return {Kind::end};
    }
    return {Kind::hole};
}

// Finishing compares the MD5 signature of what was decoded, when the file has one and the check
// is on. More samples than the header gives are damage too (frames repeated, or another file's
// frames after the end), which only the signature would otherwise show.
const char* FlacSource::Check() {
    const bool whole =
        FLAC__stream_decoder_get_state(decoder_.get()) == FLAC__STREAM_DECODER_END_OF_STREAM;
    const bool md5Agrees = FLAC__stream_decoder_finish(decoder_.get()) != 0;
    if (decoding_.damaged || !whole) {
        return kFlacReadErrorMessage;
    }
    if (!md5Agrees) {
        return kFlacMd5Message;
    }
    const bool tooLong =
        decoding_.totalFrames != 0 && decoding_.decodedFrames > decoding_.totalFrames;
    return tooLong ? kFlacTooLongMessage : nullptr;
}

}  // namespace

std::unique_ptr<DecoderSource> MakeFlacSource(FlacSignatureCheck check) {
    return std::make_unique<FlacSource>(check);
}

int FlacDecodeThread(WorkerContext& context, Track& progress) {
    return RunDecode(context, progress, MakeFlacSource());
}

}  // namespace disctrove
