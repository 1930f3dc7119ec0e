#include "codecs/wma_encoder.h"

#include <algorithm>
#include <array>

#include "audio/int16_reader.h"
#include "audio/pcm_source.h"
#include "codecs/track_tags.h"
#include "disc/genres.h"

namespace disctrove {

namespace {

using platform::WmaCodecFormat;

constexpr size_t kBlockSamples = 8192;  // 16384 bytes a block
constexpr int kDivisors = 11;
constexpr uint32_t kFallbackBitrate = 128000;

// The attribute names of the tags that have one besides the album, artist, year and genre
// (ASF has no field for the total); the MusicBrainz ones as MusicBrainz's tagger and TagLib
// name them.
constexpr std::array<std::pair<const char*, const char*>, 8> kAttributeNames = {{
    {"TITLE", "Title"},
    {"TRACKNUMBER", "WM/TrackNumber"},
    {"ALBUMARTIST", "WM/AlbumArtist"},
    {"MUSICBRAINZ_ALBUMID", "MusicBrainz/Album Id"},
    {"MUSICBRAINZ_RELEASEGROUPID", "MusicBrainz/Release Group Id"},
    {"MUSICBRAINZ_TRACKID", "MusicBrainz/Track Id"},
    {"MUSICBRAINZ_ARTISTID", "MusicBrainz/Artist Id"},
    {"MUSICBRAINZ_ALBUMARTISTID", "MusicBrainz/Album Artist Id"},
}};

std::vector<std::pair<std::string, std::string>> MoreAttributes(const Settings& settings,
                                                                const Track& track, bool fromRip) {
    std::vector<std::pair<std::string, std::string>> attributes;
    for (const TrackTag& tag : TrackTags(settings, track, fromRip, TagSet::oggVorbis)) {
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

int32_t Encode(WorkerContext& context, EncodeJob& job, bool fromRip) {
    Settings& settings = context.settings;
    Track& track = *job.track;
    const auto fail = [&](const std::string& message) {
        context.questions.Inform(message);
        return kStatusError;
    };

    WmaFile file;
    PcmSource source = OpenEncodeSource(job, fromRip);
    if (source.error() != PcmSourceError::none) {
        return fail(std::string(PcmSourceMessage(source.error())));
    }
    const WavHeader& input = source.format();
    const uint64_t total = input.dataLength;
    const WmaFormat format = track.format.As<WmaFormat>();
    platform::WmaPcmFormat pcm;
    pcm.sampleRate = static_cast<uint32_t>(TableEntry(kSampleRates, format.samplerateIndex, 0));
    if (pcm.sampleRate == 0) {
        pcm.sampleRate = fromRip || input.sampleRate == 0 ? kCdSampleRate : input.sampleRate;
    }
    pcm.channels = format.channels == 1 ? 2 : 1;
    // The writer gets samples of the configured rate and channels, whatever the source has.
    Int16Reader reader(source, {pcm.channels, static_cast<int32_t>(pcm.sampleRate)});
    if (!reader.ok()) {
        return fail(kWmaFormatMessage);
    }
    if (!fromRip && !ConfirmOverwrite(context, job.outputPath)) {  // a rip asked before reading
        return kStatusStopped;
    }
    const uint32_t bitrate =
        static_cast<uint32_t>(TableEntry(kWmaBitrates, format.bitrateIndex, 6)) * 1000;
    // Only what is known: an empty text writes no attribute.
    if (!file.Create(context.questions, job.writePath, pcm, bitrate, settings.Album,
                     !track.artist.empty() ? track.artist : settings.Artist, settings.Year,
                     std::string(GenreNameOf(settings.Genre)),
                     MoreAttributes(settings, track, fromRip))) {
        return fail(kCannotCreateOutputMessage);
    }
    track.encodeNote = ChangedFormatNote(file.format(), bitrate, fromRip ? 0 : input.channels);
    std::vector<int16_t> block(kBlockSamples);
    int32_t outcome = kStatusCompleted;
    bool written = true;
    for (uint64_t count = 1;; ++count) {
        const size_t samples = reader.Read(block.data(), block.size());
        if (samples == 0) {
            break;
        }
        const size_t bytes = samples * 2;
        if (file.Write(reinterpret_cast<const uint8_t*>(block.data()), bytes) != bytes) {
            written = false;
            break;
        }
        if (!settings.ripping) {
            outcome = kStatusStopped;  // the file so far is ended normally and kept
            break;
        }
        if (count % 10 == 1 && total > 0) {
            const uint64_t share = reader.sourceBytesRead() * (fromRip ? 70 : 100) / total;
            ReportStatus(context, track,
                         std::min(static_cast<int32_t>((fromRip ? 30 : 0) + share), 99));
        }
    }
    if (!file.Close() || !written) {
        return fail(WriteFailedMessage(job.outputPath));
    }
    return outcome;
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

void WmaEncode(WorkerContext& context, EncodeJob& job, bool fromRip) {
    RunEncode(context, job, fromRip, [&] { return Encode(context, job, fromRip); });
}

}  // namespace disctrove
