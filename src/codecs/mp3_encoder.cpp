#include "codecs/mp3_encoder.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "audio/int16_reader.h"
#include "audio/pcm_source.h"
#include "audio/unique_file.h"
#include "codecs/tag_writer.h"
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

int32_t Encode(WorkerContext& context, LameLibrary& lame, EncodeJob& job, bool fromRip) {
    Settings& settings = context.settings;
    Track& track = *job.track;
    const auto fail = [&](const std::string& message) {
        context.questions.Inform(message);
        return kStatusError;
    };

    const Mp3Format format = track.format.As<Mp3Format>();
    PcmSource source = OpenEncodeSource(job, fromRip);
    if (source.error() != PcmSourceError::none) {
        return fail(std::string(PcmSourceMessage(source.error())));
    }
    const WavHeader& input = source.format();
    const auto inputRate = static_cast<uint32_t>(input.sampleRate);
    // Rates below 32000 Hz are MPEG-2 and 2.5, which LAME encodes; it says itself (at
    // beInitStream) what it cannot make.
    if (!fromRip && input.bitsPerSample < 16) {
        return fail(kLameLowBitsMessage);
    }
    const BeConfig config = Mp3Config(format, inputRate, input.channels);
    // LAME is handed what the stream declares (a mono preset makes it mono whatever the mode):
    // a stereo source for a mono MP3 is mixed down, wide samples are narrowed, not reinterpreted.
    const int32_t channels = platform::BeStreamChannels(config);
    Int16Reader reader(source, {channels, static_cast<int32_t>(inputRate)});
    if (!reader.ok()) {
        return fail(kLameLowBitsMessage);
    }
    if (!fromRip && !ConfirmOverwrite(context, job.outputPath)) {  // a rip asked before reading
        return kStatusStopped;
    }
    uint32_t chunkSamples = 0;
    uint32_t bufferSize = 0;
    BeStream stream = 0;
    // Opened before the destination is made, so settings LAME refuses leave any old file alone.
    if (lame.beInitStream(&config, &chunkSamples, &bufferSize, &stream) != kBeOk) {
        return fail("The LAME encoder cannot encode " + std::to_string(inputRate) + " Hz to " +
                    std::to_string(config.resampleRate ? config.resampleRate : inputRate) +
                    " Hz at " + std::to_string(config.bitrate) +
                    " kbit/s.\nPlease choose another sample rate, mode or bit rate.");
    }
    track.encodeNote = ChangedFormatNote(lame, stream, config);
    UniqueFile out = CreateWorkingFile(job.writePath, "wb");
    if (!out) {
        lame.beCloseStream(stream);
        return fail(kCannotCreateOutputMessage);
    }
    std::vector<int16_t> samples(chunkSamples);
    std::vector<uint8_t> encoded(bufferSize);
    const uint64_t total = input.dataLength;
    int32_t outcome = kStatusCompleted;
    std::string problem;
    uint32_t produced = 0;
    for (uint64_t chunk = 0;; ++chunk) {
        const size_t count = reader.Read(samples.data(), samples.size());
        if (count == 0) {
            break;
        }
        if (lame.beEncodeChunk(stream, static_cast<uint32_t>(count), samples.data(), encoded.data(),
                               &produced) != kBeOk) {
            problem = kLameFailedMessage;
            break;
        }
        if (std::fwrite(encoded.data(), 1, produced, out.get()) != produced) {
            problem = WriteFailedMessage(job.outputPath);
            break;
        }
        if (!settings.ripping) {
            outcome = kStatusStopped;  // what was encoded is kept, flushed and tagged
            break;
        }
        if (chunk % 10 == 0 && total > 0) {
            const uint64_t share = reader.sourceBytesRead() * (fromRip ? 70 : 100) / total;
            ReportStatus(context, track,
                         std::min(static_cast<int32_t>((fromRip ? 30 : 0) + share), 99));
        }
    }
    if (problem.empty()) {
        if (lame.beDeinitStream(stream, encoded.data(), &produced) != kBeOk) {
            problem = kLameFailedMessage;
        } else if (std::fwrite(encoded.data(), 1, produced, out.get()) != produced) {
            problem = WriteFailedMessage(job.outputPath);
        }
    }
    lame.beCloseStream(stream);
    if (std::fclose(out.release()) != 0 && problem.empty()) {
        problem = WriteFailedMessage(job.outputPath);
    }
    if (settings.Useid3) {
        UniqueFile tagged = OpenFile(job.writePath, "ab");
        if (tagged) {
            WriteId3v1Tag(tagged.get(), settings, track);
        }
        if (!tagged || std::fclose(tagged.release()) != 0) {
            problem = problem.empty() ? WriteFailedMessage(job.outputPath) : problem;
        }
    }
    if (!problem.empty()) {
        return fail(problem);
    }
    lame.beWriteVBRHeader(job.writePath.c_str());
    // Added once the info frame is in its place: TagLib moves the whole audio behind the tag.
    if (settings.Useid3 && settings.Id3v2 &&
        !WriteId3v2Tag(job.writePath, TrackTags(settings, track, fromRip, TagSet::oggVorbis),
                       RipCover(context, fromRip))) {
        return fail(WriteFailedMessage(job.outputPath));
    }
    return outcome;
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

std::array<uint8_t, 128> Id3v1Tag(const Settings& settings, const Track& track) {
    std::array<uint8_t, 128> tag{};
    std::memcpy(tag.data(), "TAG", 3);
    const uint8_t number = track.index < 0 ? 1 : static_cast<uint8_t>(track.index + 1);
    PutText(tag, 3, 30, track.title.empty() ? "Track " + platform::TwoDigits(number) : track.title);
    PutText(tag, 33, 30, settings.Artist.empty() ? "Unknown artist" : settings.Artist);
    PutText(tag, 63, 30, settings.Album.empty() ? "Unknown album" : settings.Album);
    PutText(tag, 93, 4, settings.Year.empty() ? "2000" : settings.Year);
    tag[125] = 0;
    tag[126] = number;
    tag[127] = settings.Genre < 0 ? 1 : static_cast<uint8_t>(settings.Genre - 1);
    return tag;
}

void WriteId3v1Tag(std::FILE* out, const Settings& settings, const Track& track) {
    const auto tag = Id3v1Tag(settings, track);
    std::fwrite(tag.data(), 1, tag.size(), out);
}

void EncodeMp3(WorkerContext& context, platform::LameLibrary& lame, EncodeJob& job, bool fromRip) {
    RunEncode(context, job, fromRip, [&] { return Encode(context, lame, job, fromRip); });
}

}  // namespace disctrove
