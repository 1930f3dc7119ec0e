#include "rip/image_file.h"

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include "audio/wav_file.h"
#include "codecs/encoder_sink.h"
#include "codecs/flac_encoder.h"
#include "codecs/track_tags.h"
#include "disc/disc.h"
#include "platform/system/files.h"
#include "rip/naming.h"

namespace disctrove {

namespace {

constexpr size_t kMaxNameBytes = 255;

// The album's tags of the image: those of its first track without what names a track alone.
std::vector<TrackTag> AlbumTags(const WorkerContext& context, const ImageLayout& layout,
                                const std::string& sheet) {
    std::vector<TrackTag> tags;
    if (!layout.tracks.empty()) {
        tags = TrackTags(context.options, context.disc, *layout.tracks.front().track, true,
                         TagSet::full, context.facts);
    }
    std::erase_if(tags, [](const TrackTag& tag) {
        return tag.name == "TITLE" || tag.name == "ARTIST" || tag.name == "TRACKNUMBER" ||
               tag.name == "MUSICBRAINZ_TRACKID" || tag.name == "MUSICBRAINZ_ARTISTID" ||
               tag.name == "MUSICBRAINZ_RELEASETRACKID" || tag.name == "ISRC";
    });
    if (!context.disc.Artist.empty()) {
        tags.push_back({"ARTIST", context.disc.Artist});
    }
    // The sheet as a comment is how players (foobar2000, DeaDBeeF) find the tracks of a FLAC
    // image and their titles and performers; the CUESHEET block has their places alone.
    tags.push_back({"CUESHEET", sheet});
    return tags;
}

FlacImage FlacImageOf(const WorkerContext& context, const ImageLayout& layout,
                      const std::string& sheet) {
    FlacImage image;
    image.tags = AlbumTags(context, layout, sheet);
    if (context.facts != nullptr) {
        image.catalog = context.facts->catalog;
    }
    image.frames = uint64_t(layout.sectors()) * kCdFramesPerSector;
    for (const ImageTrack& from : layout.tracks) {
        FlacCueTrack& track = image.tracks.emplace_back();
        track.number = from.number;
        if (context.facts != nullptr) {
            if (const platform::TrackFacts* own =
                    TrackFactsOf(context.options, context.disc, *context.facts, *from.track)) {
                track.isrc = own->isrc;
                track.preEmphasis = own->preEmphasis;
            }
        }
        for (const ImageIndex& index : from.indexes) {
            track.indexes.emplace_back(index.number, uint64_t(index.sector) * kCdFramesPerSector);
        }
    }
    return image;
}

}  // namespace

// Hands the encoder whole sample frames, keeping a frame's part until the rest of it comes.
class ImageFile::SinkStage final : public SampleStage {
  public:
    explicit SinkStage(EncoderSink& sink) : sink_(sink) {}

    bool Take(std::span<const uint8_t> bytes) override {
        pending_.insert(pending_.end(), bytes.begin(), bytes.end());
        const size_t frames = pending_.size() / kFrameBytes;
        if (frames > 0) {
            failure_ = sink_.Write(pending_.data(), frames);
            pending_.erase(pending_.begin(),
                           pending_.begin() + static_cast<std::ptrdiff_t>(frames * kFrameBytes));
        }
        return failure_.empty();
    }
    const std::string& failure() const { return failure_; }

  private:
    static constexpr size_t kFrameBytes = 4;  // 16-bit stereo
    EncoderSink& sink_;
    std::vector<uint8_t> pending_;
    std::string failure_;
};

std::string ImageFormatProblem(EncoderKind kind) {
    if (kind == kEncoderWav || kind == kEncoderFlac) {
        return "";
    }
    return "A disc image is written as WAV or FLAC, not as " +
           std::string(TableEntry(kEncoderNames, kind, 0)) +
           ".\nChoose WAV or FLAC as the encoder, or turn off \"One file for the whole disc\" "
           "(Options > Output).";
}

std::string ImagePath(const Options& options, const DiscState& disc, const std::string& folder,
                      EncoderKind kind) {
    std::string stem = PlaylistName(options, disc);
    stem.resize(stem.size() - 4);  // ".m3u"
    const std::string_view extension = ExtensionOf(kind);
    while (stem.size() + extension.size() > kMaxNameBytes) {
        stem.pop_back();
        while (!stem.empty() && (static_cast<unsigned char>(stem.back()) & 0xC0) == 0x80) {
            stem.pop_back();  // a character is cut whole
        }
    }
    return folder + stem + std::string(extension);
}

ImageFile::ImageFile(WorkerContext& context, ImageLayout layout, std::string path,
                     std::string sheet)
    : context_(context),
      layout_(std::move(layout)),
      path_(std::move(path)),
      sheet_(std::move(sheet)),
      kind_(context.options.Encoder) {}

ImageFile::~ImageFile() {
    Discard();
}

ImageFile::Opening ImageFile::Open() {
    if (!ConfirmOverwrite(context_, path_) || context_.stop.stop_requested()) {
        return Opening::declined;
    }
    writePath_ = platform::WritingPathFor(path_);
    const uint64_t bytes = uint64_t(layout_.sectors()) * kCdBytesPerSector;
    if (kind_ == kEncoderWav) {
        wav_ = CreateWorkingFile(writePath_, "wb");
        if (!wav_) {
            context_.questions.Inform(kCannotCreateOutputMessage);
            return Opening::failed;
        }
        open_ = true;
        WriteWavHeader(wav_.get(), kCdChannels, kCdSampleRate, 1, 0);
        wavWriter_ = std::make_unique<FileWriterStage>(wav_.get());
        return Opening::open;
    }
    Track track;  // the whole disc, as the encoder sees it
    track.title = context_.disc.Album;
    track.encoder = kEncoderFlac;
    track.format = TrackFormatFor(kEncoderFlac, context_.options.formats);
    WavHeader input;
    input.channels = kCdChannels;
    input.sampleRate = kCdSampleRate;
    input.bitsPerSample = 16;
    input.dataLength = bytes;
    std::string note;
    const SinkOpening opening{context_, track, input, true, writePath_, path_, note};
    sink_ = MakeFlacImageSink(FlacImageOf(context_, layout_, sheet_));
    SampleFeed feed;
    std::string refused = sink_->Accept(opening, feed);
    if (refused.empty()) {
        open_ = true;  // from here the working file may be there
        refused = sink_->Open(opening, feed);
    }
    if (!refused.empty()) {
        context_.questions.Inform(refused);
        Discard();
        return Opening::failed;
    }
    sinkStage_ = std::make_unique<SinkStage>(*sink_);
    return Opening::open;
}

SampleStage& ImageFile::stage() {
    if (sinkStage_) {
        return *sinkStage_;
    }
    return *wavWriter_;
}

std::string ImageFile::WriteFailure() const {
    return sinkStage_ && !sinkStage_->failure().empty() ? sinkStage_->failure()
                                                        : WriteFailedMessage(path_);
}

std::string ImageFile::Finish() {
    std::string failure;
    if (wav_) {
        // The header tells how much audio the file holds.
        WriteWavHeader(
            wav_.get(), kCdChannels, kCdSampleRate, 1,
            static_cast<uint32_t>(std::min<uint64_t>(wavWriter_->written(), UINT32_MAX - 36)));
        if (std::fclose(wav_.release()) != 0) {
            failure = WriteFailedMessage(path_);
        }
    } else if (sink_) {
        failure = sink_->Finish(false);
        sink_.reset();
    }
    if (failure.empty() && !platform::ReplaceFile(writePath_, path_)) {
        failure = kCannotCreateOutputMessage;
    }
    if (!failure.empty()) {
        Discard();
        return failure;
    }
    open_ = false;
    written_ = true;
    return "";
}

void ImageFile::Discard() {
    if (sink_) {
        sink_->Finish(true);
        sink_.reset();
    }
    wav_.reset();
    if (open_ && writePath_ != path_) {
        platform::RemoveFile(writePath_);
    }
    open_ = false;
}

}  // namespace disctrove
