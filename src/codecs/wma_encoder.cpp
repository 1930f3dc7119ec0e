#include "codecs/wma_encoder.h"

#include <algorithm>
#include <array>
#include <memory>

#include "app/genres.h"
#include "codecs/encoder_sink.h"
#include "codecs/tag_writer.h"
#include "codecs/track_tags.h"

namespace disctrove {

namespace {

using platform::WmaCodecFormat;

constexpr size_t kBlockSamples = 8192;  // 16384 bytes a block
constexpr int kDivisors = 11;
constexpr uint32_t kFallbackBitrate = 128000;

// The attribute names of the tags that have one besides the album, artist, year and genre
// (ASF has no field for the total); the MusicBrainz ones as MusicBrainz's tagger and TagLib
// name them.
constexpr std::array<std::pair<const char*, const char*>, 10> kAttributeNames = {{
    {"TITLE", "Title"},
    {"TRACKNUMBER", "WM/TrackNumber"},
    {"ALBUMARTIST", "WM/AlbumArtist"},
    {"MUSICBRAINZ_ALBUMID", "MusicBrainz/Album Id"},
    {"MUSICBRAINZ_RELEASEGROUPID", "MusicBrainz/Release Group Id"},
    {"MUSICBRAINZ_TRACKID", "MusicBrainz/Track Id"},
    {"MUSICBRAINZ_ARTISTID", "MusicBrainz/Artist Id"},
    {"MUSICBRAINZ_ALBUMARTISTID", "MusicBrainz/Album Artist Id"},
    {"ISRC", "WM/ISRC"},
    {"BARCODE", "WM/Barcode"},
}};

std::vector<std::pair<std::string, std::string>> MoreAttributes(const SinkOpening& opening) {
    std::vector<std::pair<std::string, std::string>> attributes;
    for (const TrackTag& tag : opening.Tags(TagSet::oggVorbis)) {
        for (const auto& [name, attribute] : kAttributeNames) {
            if (tag.name == name) {
                attributes.emplace_back(attribute, tag.value);
            }
        }
    }
    return attributes;
}

// What the chosen format makes otherwise than asked: another bit rate when the rate and
// channels have none near the one asked for, and stereo made of a mono source (`sourceChannels`;
// 0 for CD audio). "" when all is as asked.
std::string ChangedFormatNote(const WmaCodecFormat& chosen, uint32_t bitrate,
                              int32_t sourceChannels) {
    std::string note;
    if (chosen.channels == 2 && sourceChannels == 1) {
        note = "stereo from a mono source";
    }
    const uint32_t kbps = chosen.averageBytesPerSecond * 8 / 1000;
    if (kbps != bitrate / 1000) {
        note += (note.empty() ? "" : ", ") + std::to_string(kbps) + " kbit/s, not " +
                std::to_string(bitrate / 1000);
    }
    return note.empty() ? note : "WMA made " + note;
}

class WmaSink final : public EncoderSink {
  public:
    std::string Accept(const SinkOpening& opening, SampleFeed& feed) override;
    std::string Open(const SinkOpening& opening, SampleFeed& feed) override;
    std::string Write(const void* samples, size_t frames) override;
    // A stopped file is ended normally and kept.
    std::string Finish(bool) override;

  private:
    const SinkOpening* opening_ = nullptr;
    std::string outputPath_;
    platform::WmaPcmFormat pcm_;
    WmaFile file_;
};

std::string WmaSink::Accept(const SinkOpening& opening, SampleFeed& feed) {
    const WavHeader& input = opening.input;
    const WmaFormat format = opening.track.format.As<WmaFormat>();
    outputPath_ = opening.outputPath;
    pcm_.sampleRate = static_cast<uint32_t>(TableEntry(kSampleRates, format.samplerateIndex, 0));
    if (pcm_.sampleRate == 0) {
        pcm_.sampleRate =
            opening.fromRip || input.sampleRate == 0 ? kCdSampleRate : input.sampleRate;
    }
    pcm_.channels = format.channels == 1 ? 2 : 1;
    // The writer gets samples of the configured rate and channels, whatever the source has.
    feed.int16 = true;
    feed.int16Layout = {pcm_.channels, static_cast<int32_t>(pcm_.sampleRate)};
    feed.blockSamples = kBlockSamples;
    feed.refused = kWmaFormatMessage;
    return "";
}

std::string WmaSink::Open(const SinkOpening& opening, SampleFeed&) {
    const DiscState& disc = opening.context.disc;
    const Track& track = opening.track;
    const uint32_t bitrate = static_cast<uint32_t>(TableEntry(
                                 kWmaBitrates, track.format.As<WmaFormat>().bitrateIndex, 6)) *
                             1000;
    opening_ = &opening;
    // A rip's names, only those known (an empty text writes no attribute). A conversion's tags
    // are written once the file is whole (Finish), every one of them, which the writer cannot.
    std::string album, artist, year, genre;
    std::vector<std::pair<std::string, std::string>> more;
    if (opening.carried == nullptr) {
        album = disc.Album;
        artist = !track.artist.empty() ? track.artist : disc.Artist;
        year = disc.Year;
        genre = GenreNameOf(disc.Genre);
        more = MoreAttributes(opening);
    }
    if (!file_.Create(opening.context.questions, opening.writePath, pcm_, bitrate, album, artist,
                      year, genre, more)) {
        return kCannotCreateOutputMessage;
    }
    opening.note =
        ChangedFormatNote(file_.format(), bitrate, opening.fromRip ? 0 : opening.input.channels);
    return "";
}

std::string WmaSink::Finish(bool) {
    if (!file_.Close()) {
        return WriteFailedMessage(outputPath_);
    }
    // Every tag once the file is whole: the writer holds one value a name and no picture, so the
    // track's several artist IDs, the totals and the cover of a rip come in here too.
    if (opening_ != nullptr &&
        !WriteFileTags(opening_->writePath, opening_->Tags(TagSet::full), opening_->Cover())) {
        return WriteFailedMessage(outputPath_);
    }
    return "";
}

std::string WmaSink::Write(const void* samples, size_t frames) {
    const size_t bytes = frames * pcm_.channels * 2;
    if (file_.Write(static_cast<const uint8_t*>(samples), bytes) != bytes) {
        file_.Close();
        return WriteFailedMessage(outputPath_);
    }
    return "";
}

}  // namespace

std::optional<WmaCodecFormat> FindWmaFormat(const std::vector<WmaCodecFormat>& catalogue,
                                            const WmaFormatRequest& request) {
    std::optional<WmaCodecFormat> best;
    for (const WmaCodecFormat& format : catalogue) {
        const auto difference =
            static_cast<int32_t>(format.averageBytesPerSecond * 8 - request.bitrate);
        const bool candidate =
            format.formatTag == request.formatTag && format.channels == request.channels &&
            format.sampleRate == request.sampleRate && difference >= -249 && difference <= 249;
        if (candidate && (!best || format.blockAlign >= best->blockAlign)) {
            best = format;
        }
    }
    return best;
}

std::optional<WmaFormatChoice> SearchWmaFormat(const std::vector<WmaCodecFormat>& catalogue,
                                               uint32_t bitrate, uint32_t sampleRate,
                                               uint32_t channels) {
    for (const uint32_t base : {bitrate, kFallbackBitrate}) {
        for (uint32_t divisor = 1; divisor <= kDivisors; ++divisor) {
            const WmaFormatRequest request{base / divisor, platform::kWmaV2FormatTag, sampleRate,
                                           channels};
            if (const auto format = FindWmaFormat(catalogue, request)) {
                return WmaFormatChoice{*format, base};
            }
        }
    }
    return std::nullopt;
}

uint64_t WmaTimestampStep(uint64_t bytes, const platform::WmaPcmFormat& format) {
    const uint64_t bytesPerSecond =
        uint64_t{format.bitsPerSample} * format.channels * format.sampleRate / 8;
    return bytesPerSecond == 0 ? 0 : bytes * 10'000'000 / bytesPerSecond;
}

bool WmaFile::Create(WorkerQuestions& questions, const std::string& path,
                     const platform::WmaPcmFormat& pcm, uint32_t bitrate, const std::string& album,
                     const std::string& artist, const std::string& year, const std::string& genre,
                     const std::vector<std::pair<std::string, std::string>>& more) {
    writer_.SetOutputFilename(path);
    const auto choice =
        SearchWmaFormat(platform::WmaCodecFormats(), bitrate, pcm.sampleRate, pcm.channels);
    if (!choice) {
        questions.Inform(kWmaFormatMessage);
        return false;
    }
    format_ = choice->format;
    writer_.SetProfile(choice->format);
    writer_.SetAttribute("Bitrate", std::to_string(choice->bitrateAttribute));
    for (const auto& [name, value] :
         {std::pair<const char*, const std::string&>{"WM/AlbumTitle", album},
          {"WM/Genre", genre},
          {"WM/Year", year},
          {"Author", artist}}) {
        if (!value.empty()) {
            writer_.SetAttribute(name, value);
        }
    }
    for (const auto& [name, value] : more) {
        writer_.SetAttribute(name, value);
    }
    nextTime_ = 0;
    pcm_ = pcm;
    return writer_.BeginWriting(pcm);
}

size_t WmaFile::Write(const uint8_t* bytes, size_t length) {
    if (!writer_.WriteSample(nextTime_, bytes, length) || !writer_.Flush()) {
        return 0;
    }
    nextTime_ += WmaTimestampStep(length, pcm_);
    return length;
}

bool WmaFile::Close() {
    writer_.Flush();
    return writer_.EndWriting();
}

std::unique_ptr<EncoderSink> MakeWmaSink() {
    return std::make_unique<WmaSink>();
}

void WmaEncode(WorkerContext& context, EncodeJob& job, bool fromRip) {
    RunEncode(context, job, fromRip, MakeWmaSink());
}

}  // namespace disctrove
