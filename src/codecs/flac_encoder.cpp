#include "codecs/flac_encoder.h"

#include <FLAC/metadata.h>
#include <FLAC/stream_encoder.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "audio/unique_file.h"
#include "codecs/encoder_sink.h"
#include "codecs/track_tags.h"
#include "disc/cover_picture.h"
#include "platform/system/files.h"

namespace disctrove {

namespace {

constexpr uint32_t kBlockFrames = 4096;
constexpr uint32_t kSeekPointSeconds = 10;
constexpr uint32_t kPaddingBytes = 8192;  // room for tags added later without a rewrite
// The widest WAV samples libFLAC takes.
constexpr int32_t kMaxSampleBytes = FLAC__MAX_BITS_PER_SAMPLE >= 32 ? 4 : 3;

struct EncoderDeleter {
    void operator()(FLAC__StreamEncoder* encoder) const { FLAC__stream_encoder_delete(encoder); }
};
struct MetadataDeleter {
    void operator()(FLAC__StreamMetadata* block) const { FLAC__metadata_object_delete(block); }
};
using UniqueMetadata = std::unique_ptr<FLAC__StreamMetadata, MetadataDeleter>;

// The blocks written after STREAMINFO: the seek table (when the length is known), the comments,
// the front cover (when there is one), then the padding, last so a tag editor can grow the comments
// into it.
struct MetadataBlocks {
    std::vector<UniqueMetadata> owned;
    std::vector<FLAC__StreamMetadata*> order;

    bool Add(FLAC__StreamMetadata* block) {
        if (block == nullptr) {
            return false;
        }
        owned.emplace_back(block);
        order.push_back(block);
        return true;
    }
};

// A PICTURE block holding `cover` as the front cover.
bool AddCover(MetadataBlocks& blocks, const std::vector<uint8_t>& cover) {
    const auto info = InspectPicture(cover);
    if (!info) {
        return true;  // no picture to embed
    }
    FLAC__StreamMetadata* picture = FLAC__metadata_object_new(FLAC__METADATA_TYPE_PICTURE);
    if (!blocks.Add(picture)) {
        return false;
    }
    picture->data.picture.type = FLAC__STREAM_METADATA_PICTURE_TYPE_FRONT_COVER;
    picture->data.picture.width = info->width;
    picture->data.picture.height = info->height;
    picture->data.picture.depth = info->depth;
    std::string mimeType = info->mimeType;
    std::vector<FLAC__byte> data(cover.begin(), cover.end());
    return FLAC__metadata_object_picture_set_mime_type(picture, mimeType.data(), true) &&
           FLAC__metadata_object_picture_set_data(picture, data.data(),
                                                  static_cast<FLAC__uint32>(data.size()), true);
}

// The CUESHEET block of a disc image; "" when it was added, else what libFLAC finds wrong.
std::string AddCueSheet(MetadataBlocks& blocks, const FlacImage& image) {
    FLAC__StreamMetadata* sheet = FLAC__metadata_object_new(FLAC__METADATA_TYPE_CUESHEET);
    if (!blocks.Add(sheet)) {
        return "Out of memory while preparing the FLAC cue sheet.";
    }
    FLAC__StreamMetadata_CueSheet& cue = sheet->data.cue_sheet;
    const size_t catalogRoom = sizeof cue.media_catalog_number - 1;
    image.catalog.copy(cue.media_catalog_number, std::min(image.catalog.size(), catalogRoom));
    cue.lead_in = 2 * 44100;  // the 2 s before a CD's first track
    cue.is_cd = true;
    const auto total = static_cast<uint32_t>(image.tracks.size() + 1);
    if (!FLAC__metadata_object_cuesheet_resize_tracks(sheet, total)) {
        return "Out of memory while preparing the FLAC cue sheet.";
    }
    for (uint32_t i = 0; i + 1 < total; ++i) {
        const FlacCueTrack& from = image.tracks[i];
        FLAC__StreamMetadata_CueSheet_Track& track = cue.tracks[i];
        track.number = static_cast<FLAC__byte>(from.number);
        from.isrc.copy(track.isrc, std::min(from.isrc.size(), sizeof track.isrc - 1));
        track.type = 0;  // audio
        track.pre_emphasis = from.preEmphasis ? 1 : 0;
        // A track begins at its first index; its indexes are counted from there.
        track.offset = from.indexes.empty() ? 0 : from.indexes.front().second;
        if (!FLAC__metadata_object_cuesheet_track_resize_indices(
                sheet, i, static_cast<uint32_t>(from.indexes.size()))) {
            return "Out of memory while preparing the FLAC cue sheet.";
        }
        for (size_t j = 0; j < from.indexes.size(); ++j) {
            track.indices[j].number = static_cast<FLAC__byte>(from.indexes[j].first);
            track.indices[j].offset = from.indexes[j].second - track.offset;
        }
    }
    cue.tracks[total - 1].number = 170;  // the lead-out
    cue.tracks[total - 1].offset = image.frames;
    const char* violation = nullptr;
    if (!FLAC__metadata_object_cuesheet_is_legal(sheet, true, &violation)) {
        return std::string("The disc's cue sheet cannot go into the FLAC file: ") +
               (violation != nullptr ? violation : "it breaks the rules of a CD");
    }
    return "";
}

bool BuildMetadata(MetadataBlocks& blocks, const std::vector<TrackTag>& tags,
                   const std::vector<uint8_t>& cover, uint32_t rate, uint64_t totalFrames) {
    if (totalFrames > 0) {
        FLAC__StreamMetadata* table = FLAC__metadata_object_new(FLAC__METADATA_TYPE_SEEKTABLE);
        if (!blocks.Add(table) ||
            !FLAC__metadata_object_seektable_template_append_spaced_points_by_samples(
                table, rate * kSeekPointSeconds, totalFrames) ||
            !FLAC__metadata_object_seektable_template_sort(table, true)) {
            return false;
        }
    }
    FLAC__StreamMetadata* comments = FLAC__metadata_object_new(FLAC__METADATA_TYPE_VORBIS_COMMENT);
    if (!blocks.Add(comments)) {
        return false;
    }
    for (const TrackTag& tag : tags) {
        FLAC__StreamMetadata_VorbisComment_Entry entry{};
        if (!FLAC__metadata_object_vorbiscomment_entry_from_name_value_pair(
                &entry, tag.name.c_str(), tag.value.c_str())) {
            return false;
        }
        // Taken over by the block, which frees it.
        if (!FLAC__metadata_object_vorbiscomment_append_comment(comments, entry, false)) {
            std::free(entry.entry);
            return false;
        }
    }
    if (!AddCover(blocks, cover)) {
        return false;
    }
    FLAC__StreamMetadata* padding = FLAC__metadata_object_new(FLAC__METADATA_TYPE_PADDING);
    if (!blocks.Add(padding)) {
        return false;
    }
    padding->length = kPaddingBytes;
    return true;
}

// libFLAC writes through these into a file of ours, so that a failed write or close is seen (its
// own files are closed without a look at the outcome).
FLAC__StreamEncoderWriteStatus WriteBytes(const FLAC__StreamEncoder*, const FLAC__byte buffer[],
                                          size_t bytes, uint32_t, uint32_t, void* file) {
    return std::fwrite(buffer, 1, bytes, static_cast<std::FILE*>(file)) == bytes
               ? FLAC__STREAM_ENCODER_WRITE_STATUS_OK
               : FLAC__STREAM_ENCODER_WRITE_STATUS_FATAL_ERROR;
}

FLAC__StreamEncoderSeekStatus SeekTo(const FLAC__StreamEncoder*, FLAC__uint64 offset, void* file) {
    return fseeko(static_cast<std::FILE*>(file), static_cast<off_t>(offset), SEEK_SET) == 0
               ? FLAC__STREAM_ENCODER_SEEK_STATUS_OK
               : FLAC__STREAM_ENCODER_SEEK_STATUS_ERROR;
}

FLAC__StreamEncoderTellStatus TellWhere(const FLAC__StreamEncoder*, FLAC__uint64* offset,
                                        void* file) {
    const off_t at = ftello(static_cast<std::FILE*>(file));
    if (at < 0) {
        return FLAC__STREAM_ENCODER_TELL_STATUS_ERROR;
    }
    *offset = static_cast<FLAC__uint64>(at);
    return FLAC__STREAM_ENCODER_TELL_STATUS_OK;
}

// Widens little-endian WAV samples of `sampleBytes` bytes (8-bit ones unsigned) to libFLAC's
// signed 32-bit ones.
void Widen(const uint8_t* in, size_t count, int32_t sampleBytes, std::vector<FLAC__int32>& out) {
    out.resize(count);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* at = in + i * static_cast<size_t>(sampleBytes);
        switch (sampleBytes) {
            case 1:
                out[i] = static_cast<FLAC__int32>(at[0]) - 128;
                break;
            case 2:
                out[i] = static_cast<int16_t>(at[0] | (at[1] << 8));
                break;
            case 3:
                out[i] = static_cast<FLAC__int32>(static_cast<uint32_t>(at[0]) << 8 |
                                                  static_cast<uint32_t>(at[1]) << 16 |
                                                  static_cast<uint32_t>(at[2]) << 24) >>
                         8;
                break;
            default:
                out[i] = static_cast<FLAC__int32>(
                    static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
                    static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24);
                break;
        }
    }
}

// What went wrong inside the encoder, for the user.
std::string EncoderFailure(const FLAC__StreamEncoder* encoder, const std::string& outputPath) {
    const FLAC__StreamEncoderState state = FLAC__stream_encoder_get_state(encoder);
    if (state == FLAC__STREAM_ENCODER_VERIFY_MISMATCH_IN_AUDIO_DATA) {
        FLAC__uint64 sample = 0;
        uint32_t frame = 0;
        uint32_t channel = 0;
        uint32_t inFrame = 0;
        FLAC__int32 expected = 0;
        FLAC__int32 got = 0;
        FLAC__stream_encoder_get_verify_decoder_error_stats(encoder, &sample, &frame, &channel,
                                                            &inFrame, &expected, &got);
        return std::string(kFlacVerifyMessage) + "\n(sample " + std::to_string(sample) +
               ", channel " + std::to_string(channel + 1) + ": " + std::to_string(expected) +
               " was decoded as " + std::to_string(got) + ")";
    }
    if (state == FLAC__STREAM_ENCODER_IO_ERROR || state == FLAC__STREAM_ENCODER_CLIENT_ERROR) {
        return WriteFailedMessage(outputPath);
    }
    return std::string("The FLAC encoder failed: ") +
           FLAC__stream_encoder_get_resolved_state_string(encoder);
}

class FlacSink final : public EncoderSink {
  public:
    FlacSink() = default;
    explicit FlacSink(FlacImage image) : image_(std::move(image)) {}

    std::string Accept(const SinkOpening& opening, SampleFeed& feed) override;
    std::string Open(const SinkOpening& opening, SampleFeed& feed) override;
    std::string Write(const void* samples, size_t frames) override;
    std::string Finish(bool stopped) override;
    bool KeepsStoppedPart() const override { return false; }

  private:
    std::optional<FlacImage> image_;  // the file is a disc image
    std::string outputPath_;
    int32_t sampleBytes_ = 0;
    uint32_t channels_ = 0;
    std::vector<FLAC__int32> samples_;
    MetadataBlocks blocks_;
    UniqueFile out_;  // declared before the encoder, which writes into it until it is deleted
    std::unique_ptr<FLAC__StreamEncoder, EncoderDeleter> encoder_;
};

std::string FlacSink::Accept(const SinkOpening& opening, SampleFeed& feed) {
    // A lossless copy keeps what the WAV file holds; samples narrower than their container (20
    // bits in 3 bytes) are stored at the container's width, which FLAC packs as tightly.
    const WavHeader& input = opening.input;
    sampleBytes_ = (input.bitsPerSample + 7) / 8;
    channels_ = input.channels;
    outputPath_ = opening.outputPath;
    feed.blockFrames = kBlockFrames;
    feed.reportEvery = 4;
    if (sampleBytes_ > kMaxSampleBytes) {
        return "FLAC cannot encode " + std::to_string(input.bitsPerSample) +
               "-bit samples.\nOnly WAV files of 8 to " + std::to_string(kMaxSampleBytes * 8) +
               " bits can be encoded.";
    }
    if (input.channels > FLAC__MAX_CHANNELS) {
        return "FLAC cannot encode more than " + std::to_string(FLAC__MAX_CHANNELS) + " channels.";
    }
    if (FLAC__format_sample_rate_is_valid(input.sampleRate) == 0) {
        return "FLAC cannot encode a sample rate of " + std::to_string(input.sampleRate) + " Hz.";
    }
    return "";
}

std::string FlacSink::Open(const SinkOpening& opening, SampleFeed&) {
    const WavHeader& input = opening.input;
    const uint64_t totalFrames = input.dataLength / (size_t{channels_} * sampleBytes_);
    if (image_) {
        if (std::string refused = AddCueSheet(blocks_, *image_); !refused.empty()) {
            return refused;
        }
    }
    if (!BuildMetadata(blocks_, image_ ? image_->tags : opening.Tags(TagSet::full), opening.Cover(),
                       input.sampleRate, totalFrames)) {
        return "Out of memory while preparing the FLAC tags.";
    }
    encoder_.reset(FLAC__stream_encoder_new());
    if (!encoder_) {
        return "Out of memory while preparing the FLAC encoder.";
    }
    FLAC__StreamEncoder* flac = encoder_.get();
    const FlacFormat format = opening.track.format.As<FlacFormat>();
    FLAC__stream_encoder_set_channels(flac, channels_);
    FLAC__stream_encoder_set_bits_per_sample(flac, static_cast<uint32_t>(sampleBytes_) * 8);
    FLAC__stream_encoder_set_sample_rate(flac, input.sampleRate);
    FLAC__stream_encoder_set_compression_level(
        flac, static_cast<uint32_t>(std::clamp(format.level, 0, 8)));
    FLAC__stream_encoder_set_verify(flac, format.verify != 0);
    FLAC__stream_encoder_set_total_samples_estimate(flac, totalFrames);
    FLAC__stream_encoder_set_metadata(flac, blocks_.order.data(),
                                      static_cast<uint32_t>(blocks_.order.size()));
    out_ = CreateWorkingFile(opening.writePath, "w+b");
    if (!out_) {
        return kCannotCreateOutputMessage;
    }
    const FLAC__StreamEncoderInitStatus init =
        FLAC__stream_encoder_init_stream(flac, WriteBytes, SeekTo, TellWhere, nullptr, out_.get());
    if (init == FLAC__STREAM_ENCODER_INIT_STATUS_OK) {
        return "";
    }
    if (init == FLAC__STREAM_ENCODER_INIT_STATUS_ENCODER_ERROR &&
        FLAC__stream_encoder_get_state(flac) == FLAC__STREAM_ENCODER_CLIENT_ERROR) {
        return WriteFailedMessage(outputPath_);
    }
    return std::string("The FLAC encoder refused these settings: ") +
           FLAC__StreamEncoderInitStatusString[init];
}

std::string FlacSink::Write(const void* samples, size_t frames) {
    Widen(static_cast<const uint8_t*>(samples), frames * channels_, sampleBytes_, samples_);
    if (!FLAC__stream_encoder_process_interleaved(encoder_.get(), samples_.data(),
                                                  static_cast<uint32_t>(frames))) {
        return EncoderFailure(encoder_.get(), outputPath_);
    }
    return "";
}

std::string FlacSink::Finish(bool stopped) {
    // Finishing writes the MD5 signature and seek points into the file's head, and checks the
    // last frames when verifying.
    std::string failure;
    if (!FLAC__stream_encoder_finish(encoder_.get()) && !stopped) {
        failure = EncoderFailure(encoder_.get(), outputPath_);
    }
    if (std::fclose(out_.release()) != 0 && failure.empty() && !stopped) {
        failure = WriteFailedMessage(outputPath_);
    }
    return failure;
}

}  // namespace

std::unique_ptr<EncoderSink> MakeFlacSink() {
    return std::make_unique<FlacSink>();
}

std::unique_ptr<EncoderSink> MakeFlacImageSink(FlacImage image) {
    return std::make_unique<FlacSink>(std::move(image));
}

void FlacEncode(WorkerContext& context, EncodeJob& job, bool fromRip) {
    RunEncode(context, job, fromRip, MakeFlacSink());
}

}  // namespace disctrove
