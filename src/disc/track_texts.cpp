#include "disc/track_texts.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

#include "platform/system/text.h"

namespace disctrove {

namespace {

template <typename... Values>
std::string Format(const char* format, Values... values) {
    std::array<char, 128> text{};
    std::snprintf(text.data(), text.size(), format, values...);
    return text.data();
}

}  // namespace

int32_t OggQualityKbps(int32_t vbr) {
    static constexpr std::array<int32_t, 21> kKbps = {58,  73,  81,  85,  90,  95,  104,
                                                      114, 127, 141, 155, 169, 183, 196,
                                                      210, 225, 245, 274, 317, 382, 477};
    return vbr >= 0 && vbr < static_cast<int32_t>(kKbps.size()) ? kKbps[static_cast<size_t>(vbr)]
                                                                : 0;
}

std::string TrackTimeText(const Track& track) {
    return platform::TwoDigits(track.lengthSeconds / 60) + ":" +
           platform::TwoDigits(track.lengthSeconds % 60);
}

std::string TrackEncoderText(const Track& track) {
    switch (track.encoder) {
        case kEncoderWav: {
            const auto wav = track.format.As<WavFormat>();
            return wav.samplerateIndex == 0
                       ? "WAV - default sample rate"
                       : Format("WAV %d Hz", TableEntry(kSampleRates, wav.samplerateIndex, 0));
        }
        case kEncoderOgg: {
            const auto ogg = track.format.As<OggFormat>();
            if (ogg.useBbr) {
                return Format("OGG %d-%d kbps BBR",
                              TableEntry(kOggBitrates, ogg.nominalBbrIndex, 0),
                              TableEntry(kOggBitrates, ogg.maxBbrIndex, 0));
            }
            if (ogg.useVbr) {
                return Format("OGG VBR Q%.02f (%d kbps)", ogg.vbr * 0.05, OggQualityKbps(ogg.vbr));
            }
            return Format("OGG %d kbps", TableEntry(kOggBitrates, ogg.cbrIndex, 0));
        }
        case kEncoderMp3: {
            const auto mp3 = track.format.As<Mp3Format>();
            if (mp3.useVbr) {
                return Format("MP3 %d-%d kbps VBR Q%d", TableEntry(kMp3Bitrates, mp3.cbrIndex, 8),
                              TableEntry(kMp3Bitrates, mp3.vbrMaxIndex, 8), mp3.vbrQuality + 1);
            }
            return Format("MP3 %d kbps", TableEntry(kMp3Bitrates, mp3.cbrIndex, 8));
        }
        case kEncoderWma:
            return Format("WMA %d kbps",
                          TableEntry(kWmaBitrates, track.format.As<WmaFormat>().bitrateIndex, 6));
        case kEncoderFlac:
            return Format("FLAC level %d", track.format.As<FlacFormat>().level);
        case kEncoderOpus: {
            const auto opus = track.format.As<OpusFormat>();
            return Format("OPUS %d kbps %s", opus.bitrate,
                          std::string(TableEntry(kOpusModeNames, opus.mode, 0)).c_str());
        }
    }
    return "Unknown";
}

std::string SectorTimeText(int64_t sectors) {
    sectors = std::max<int64_t>(sectors, 0);
    const auto two = [](int64_t value) { return (value < 10 ? "0" : "") + std::to_string(value); };
    return two(sectors / (75 * 60)) + ":" + two(sectors / 75 % 60) + "." + two(sectors % 75);
}

std::vector<std::string> TrackDoubts(const TrackResult& result) {
    std::vector<std::string> doubts;
    if (result.testCrc && result.checks && *result.testCrc != result.checks->crc32) {
        doubts.push_back("test and copy differ");
    }
    if (!result.readErrors.empty()) {
        const size_t count = result.readErrors.size();
        doubts.push_back(std::to_string(count) + (count == 1 ? " read error" : " read errors"));
    }
    return doubts;
}

std::string TrackStatusText(int32_t status) {
    if (status < 0) {
        return "";
    }
    if (status < kStatusCompleted) {
        return std::to_string(status) + "%";
    }
    return status == kStatusCompleted ? "Completed"
           : status == kStatusStopped ? "Stopped"
                                      : "ERROR";
}

std::string TrackStatusText(int32_t status, const TrackResult* result) {
    std::string text = TrackStatusText(status);
    if (status < kStatusCompleted || result == nullptr) {
        return text;  // a verdict is only shown once the track is done
    }
    std::vector<std::string> findings;
    if (result->hidden) {
        findings.emplace_back("hidden track: no AccurateRip or CTDB entry");
    }
    if (result->verdict) {
        findings.push_back(VerdictSummary(*result->verdict));
    }
    if (result->ctdbVerdict) {
        findings.push_back("CTDB: " + CtdbVerdictText(*result->ctdbVerdict));
    }
    for (std::string& doubt : TrackDoubts(*result)) {
        findings.push_back(std::move(doubt));
    }
    if (result->preEmphasis) {
        findings.push_back("pre-emphasised (not de-emphasised)");
    }
    if (!result->encodeNote.empty()) {
        findings.push_back(result->encodeNote);
    }
    for (size_t i = 0; i < findings.size(); ++i) {
        text += (i == 0 ? " \u2014 " : ", ") + findings[i];
    }
    return text;
}

}  // namespace disctrove
