#include "codecs/mp3_encoder.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "audio/unique_file.h"
#include "codecs/encoder_sink.h"
#include "codecs/tag_writer.h"
#include "codecs/track_tags.h"
#include "platform/system/text.h"

namespace disctrove {

namespace {

using platform::BeConfig;
using platform::BeStream;
using platform::kBeOk;
using platform::LameLibrary;

constexpr const char* kLameFailedMessage =
    "The LAME encoder failed while encoding.\nThe MP3 file is incomplete.";

int32_t ModeOf(int32_t channels) {
    switch (channels) {
        case 0:
            return platform::kBeModeMono;
        case 2:
            return platform::kBeModeJointStereo;
        default:
            return platform::kBeModeStereo;
    }
}

// ID3 version 1 texts are ISO-8859-1: what it cannot hold becomes "?".
std::string Latin1(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        size_t length = 1;
        uint32_t value = lead;
        if (lead >= 0x80) {
            length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
            value = length == 2 && i + 1 < text.size()
                        ? ((lead & 0x1Fu) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu)
                        : '?';
        }
        out += static_cast<char>(value <= 0xFF ? value : '?');
        i += length;
    }
    return out;
}

void PutText(std::array<uint8_t, 128>& tag, size_t at, size_t width, std::string_view text) {
    const std::string latin1 = Latin1(text);
    std::memcpy(tag.data() + at, latin1.data(), std::min(width, latin1.size()));
}

// What the stream makes where it is not what `config` asked for: the rates of MPEG-2 and 2.5
// have lower bit rates than MPEG-1, and LAME takes the nearest it has. "" when all is as asked.
std::string ChangedFormatNote(LameLibrary& lame, BeStream stream, const BeConfig& config) {
    platform::BeStreamFormat made;
    if (!lame.beStreamFormat(stream, &made)) {
        return "";
    }
    std::string note;
    const uint32_t rate = config.resampleRate != 0 ? config.resampleRate : config.sampleRate;
    if (made.sampleRate != rate) {
        note = std::to_string(made.sampleRate) + " Hz, not " + std::to_string(rate);
    }
    if (made.bitrate != 0 && config.enableVbr == 0 && config.preset != 10 &&
        made.bitrate != config.bitrate) {
        note += (note.empty() ? "" : "; ") + std::to_string(made.bitrate) + " kbit/s, not " +
                std::to_string(config.bitrate);
    }
    return note.empty() ? note : "MP3 made at " + note;
}

class Mp3Sink final : public EncoderSink {
  public:
    explicit Mp3Sink(LameLibrary& lame) : lame_(lame) {}
    ~Mp3Sink() override {
        if (streamOpen_) {
            lame_.beCloseStream(stream_);
        }
    }
    Mp3Sink(const Mp3Sink&) = delete;
    Mp3Sink& operator=(const Mp3Sink&) = delete;

    std::string Accept(const SinkOpening& opening, SampleFeed& feed) override;
    std::string Open(const SinkOpening& opening, SampleFeed& feed) override;
    std::string Write(const void* samples, size_t frames) override;
    std::string Finish(bool stopped) override;

  private:
    // Appends the ID3 tags and LAME's info frame to the finished stream.
    std::string Tag();

    LameLibrary& lame_;
    const SinkOpening* opening_ = nullptr;
    BeConfig config_{};
    int32_t channels_ = 0;
    BeStream stream_ = 0;
    bool streamOpen_ = false;
    std::vector<uint8_t> encoded_;
    UniqueFile out_;
};

std::string Mp3Sink::Accept(const SinkOpening& opening, SampleFeed& feed) {
    const WavHeader& input = opening.input;
    const auto inputRate = static_cast<uint32_t>(input.sampleRate);
    // Rates below 32000 Hz are MPEG-2 and 2.5, which LAME encodes; it says itself (at
    // beInitStream) what it cannot make.
    if (!opening.fromRip && input.bitsPerSample < 16) {
        return kLameLowBitsMessage;
    }
    config_ = Mp3Config(opening.track.format.As<Mp3Format>(), inputRate, input.channels);
    // LAME is handed what the stream declares (a mono preset makes it mono whatever the mode):
    // a stereo source for a mono MP3 is mixed down, wide samples are narrowed, not reinterpreted.
    channels_ = platform::BeStreamChannels(config_);
    feed.int16 = true;
    feed.int16Layout = {channels_, static_cast<int32_t>(inputRate)};
    feed.refused = kLameLowBitsMessage;
    return "";
}

std::string Mp3Sink::Open(const SinkOpening& opening, SampleFeed& feed) {
    opening_ = &opening;
    uint32_t chunkSamples = 0;
    uint32_t bufferSize = 0;
    // Opened before the destination is made, so settings LAME refuses leave any old file alone.
    if (lame_.beInitStream(&config_, &chunkSamples, &bufferSize, &stream_) != kBeOk) {
        return "The LAME encoder cannot encode " + std::to_string(config_.sampleRate) + " Hz to " +
               std::to_string(config_.resampleRate ? config_.resampleRate : config_.sampleRate) +
               " Hz at " + std::to_string(config_.bitrate) +
               " kbit/s.\nPlease choose another sample rate, mode or bit rate.";
    }
    streamOpen_ = true;
    opening.note = ChangedFormatNote(lame_, stream_, config_);
    out_ = CreateWorkingFile(opening.writePath, "wb");
    if (!out_) {
        return kCannotCreateOutputMessage;
    }
    feed.blockSamples = chunkSamples;
    encoded_.resize(bufferSize);
    return "";
}

std::string Mp3Sink::Write(const void* samples, size_t frames) {
    uint32_t produced = 0;
    if (lame_.beEncodeChunk(stream_, static_cast<uint32_t>(frames * channels_),
                            static_cast<const int16_t*>(samples), encoded_.data(),
                            &produced) != kBeOk) {
        return kLameFailedMessage;
    }
    if (std::fwrite(encoded_.data(), 1, produced, out_.get()) != produced) {
        return WriteFailedMessage(opening_->outputPath);
    }
    return "";
}

// A stopped stream is flushed and tagged as a whole one: what was encoded is kept.
std::string Mp3Sink::Finish(bool) {
    std::string problem;
    uint32_t produced = 0;
    if (lame_.beDeinitStream(stream_, encoded_.data(), &produced) != kBeOk) {
        problem = kLameFailedMessage;
    } else if (std::fwrite(encoded_.data(), 1, produced, out_.get()) != produced) {
        problem = WriteFailedMessage(opening_->outputPath);
    }
    lame_.beCloseStream(stream_);
    streamOpen_ = false;
    if (std::fclose(out_.release()) != 0 && problem.empty()) {
        problem = WriteFailedMessage(opening_->outputPath);
    }
    return problem.empty() ? Tag() : problem;
}

std::string Mp3Sink::Tag() {
    const Options& options = opening_->context.options;
    const DiscState& disc = opening_->context.disc;
    const Track& track = opening_->track;
    const std::string& path = opening_->writePath;
    const Id3v2Version version = options.Id3v23 ? Id3v2Version::v23 : Id3v2Version::v24;
    if (opening_->carried != nullptr) {
        // A conversion's file carries its source's tags, all of them: an ID3v1 tag could hold
        // only a few, cut short, and would make up what the source did not have.
        lame_.beWriteVBRHeader(path.c_str());
        return WriteId3v2Tag(path, opening_->Tags(TagSet::full), opening_->Cover(), version)
                   ? ""
                   : WriteFailedMessage(opening_->outputPath);
    }
    if (options.Useid3) {
        UniqueFile tagged = OpenFile(path, "ab");
        if (tagged) {
            WriteId3v1Tag(tagged.get(), disc, track);
        }
        if (!tagged || std::fclose(tagged.release()) != 0) {
            return WriteFailedMessage(opening_->outputPath);
        }
    }
    lame_.beWriteVBRHeader(path.c_str());
    // Added once the info frame is in its place: TagLib moves the whole audio behind the tag.
    if (options.Useid3 && options.Id3v2 &&
        !WriteId3v2Tag(path, opening_->Tags(TagSet::oggVorbis), opening_->Cover(), version)) {
        return WriteFailedMessage(opening_->outputPath);
    }
    return "";
}

}  // namespace

std::unique_ptr<platform::LameLibrary> LoadLame(WorkerQuestions& questions) {
    LameLibrary::LoadError error = LameLibrary::LoadError::none;
    std::string reason;
    auto lame = LameLibrary::Load(error, reason);
    if (!lame) {
        questions.Inform(error == LameLibrary::LoadError::missingFunction
                             ? std::string(kLameBindingMessage)
                             : "Error loading LAME encoder dll\n" +
                                   std::string(platform::Utf8PrefixByBytes(reason, 127)));
    }
    return lame;
}

BeConfig Mp3Config(const Mp3Format& format, uint32_t inputRate, int32_t inputChannels) {
    BeConfig config{};
    config.configKind = platform::kBeConfigLame;
    config.structVersion = 1;
    config.structSize = sizeof(BeConfig);
    config.sampleRate = inputRate;
    const auto chosen = static_cast<uint32_t>(TableEntry(kSampleRates, format.samplerateIndex, 0));
    config.resampleRate = chosen != 0 && chosen != inputRate ? chosen : 0;
    config.mode = inputChannels == 1 ? platform::kBeModeMono : ModeOf(format.channels);
    config.bitrate = static_cast<uint32_t>(TableEntry(kMp3Bitrates, format.cbrIndex, 8));
    config.maxBitrate = static_cast<uint32_t>(TableEntry(kMp3Bitrates, format.vbrMaxIndex, 8));
    const int32_t preset = std::clamp<int32_t>(format.presetIndex, 0, 22);
    config.preset = preset <= 12 ? preset : (preset - 12) * 1000;
    config.mpegVersion = 1;
    config.original = 1;
    // Every file carries LAME's info frame (Xing in VBR, Info in CBR): players learn its length
    // and the encoder's delay and padding from it, so the decoded track is exactly as long as
    // the source (gapless).
    config.writeVbrHeader = 1;
    config.enableVbr = format.useVbr != 0 ? 1 : 0;
    config.vbrQuality = format.vbrQuality;
    config.noReservoir = 1;
    return config;
}

std::array<uint8_t, 128> Id3v1Tag(const DiscNames& names, const Track& track) {
    std::array<uint8_t, 128> tag{};
    std::memcpy(tag.data(), "TAG", 3);
    const uint8_t number = track.index < 0 ? 1 : static_cast<uint8_t>(track.Number());
    PutText(tag, 3, 30, track.title.empty() ? "Track " + platform::TwoDigits(number) : track.title);
    PutText(tag, 33, 30, names.Artist.empty() ? "Unknown artist" : names.Artist);
    PutText(tag, 63, 30, names.Album.empty() ? "Unknown album" : names.Album);
    PutText(tag, 93, 4, names.Year.empty() ? "2000" : names.Year);
    tag[125] = 0;
    tag[126] = number;
    tag[127] = names.Genre < 0 ? 1 : static_cast<uint8_t>(names.Genre - 1);
    return tag;
}

void WriteId3v1Tag(std::FILE* out, const DiscNames& names, const Track& track) {
    const auto tag = Id3v1Tag(names, track);
    std::fwrite(tag.data(), 1, tag.size(), out);
}

std::unique_ptr<EncoderSink> MakeMp3Sink(platform::LameLibrary& lame) {
    return std::make_unique<Mp3Sink>(lame);
}

void EncodeMp3(WorkerContext& context, platform::LameLibrary& lame, EncodeJob& job, bool fromRip) {
    RunEncode(context, job, fromRip, MakeMp3Sink(lame));
}

}  // namespace disctrove
