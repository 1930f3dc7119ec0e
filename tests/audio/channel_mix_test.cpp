// Rips and conversions into a format with another channel count or order, each result decoded
// by ffmpeg.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <stop_token>

#include "codecs/conversion_worker.h"
#include "codecs/encode_job.h"
#include "rip/naming.h"
#include "support/all_records.h"
#include "support/audio_files.h"
#include "support/scripted_worker.h"
#include "support/temp_dir.h"

namespace disctrove {
namespace {

using testing::ChannelRms;
using testing::DecodeWithFfmpeg;
using testing::MakeLevelsWav;
using testing::ReadWholeFile;
using testing::TempDir;
using testing::WriteWholeFile;

constexpr double kLoud = 0.891;  // -1 dBFS

// The RMS of a sine at `volume` of full scale, in 16-bit steps.
double SineRms(double volume) {
    return volume * 32768 / std::sqrt(2.0);
}

class ChannelMixTest : public ::testing::Test {
  protected:
    ChannelMixTest() {
        stop_ = std::stop_source();  // a new run
        context_.stop = stop_.get_token();
        settings_.Outfolder = dir_.path();
    }
    // The samples of `wav` through a user's job: a rip of them as CD audio (the rip's raw
    // temporary file), or the "Encode WAV file" command. Returns the file made.
    std::string Encode(EncoderKind kind, const TrackFormat& format, const std::string& wav,
                       bool rip) {
        if (!rip) {
            settings_.wavSourcePath = wav;
            settings_.WAVEncoder = kind;
            StoreTrackFormat(settings_.pageFormats, kind, format);
            TrackResult result;
            ConversionWorker(context_, track_, result);
            EXPECT_EQ(track_.status, kStatusCompleted);
            return ConvertOutputPath(settings_, wav);
        }
        const std::string raw = dir_.File("cddatmp001.pcm");
        WriteWholeFile(raw, ReadWholeFile(wav).substr(44));
        track_ = Track{};
        track_.index = 0;
        track_.encoder = kind;
        track_.format = format;
        EncodeJob job{&track_, raw, wav + ".ripped"};
        const auto encoder = MakeRipEncoder(kind);
        if (encoder && encoder->Ready(context_)) {
            encoder->Encode(context_, job);
        }
        EXPECT_EQ(track_.status, kStatusCompleted);
        return job.outputPath;
    }

    TempDir dir_;
    testing::AllRecords settings_;
    Track track_;
    testing::RecordingNotifications notes_;
    testing::ScriptedQuestions questions_;
    std::stop_source stop_;  // the Stop of the one who runs the worker
    WorkerContext context_{settings_, settings_,  settings_, settings_,
                           notes_,    questions_, {},        stop_.get_token()};
};

TEST_F(ChannelMixTest, MonoAndStereoKeepTheLevel) {
    // The same sine at -1 dBFS in every source channel. Summed at -3 dB each, a mono mix of
    // it would clip; copied at -3 dB into both sides, a mono source would lose half its power.
    struct Case {
        const char* name;
        EncoderKind kind;
        TrackFormat format;
        int sourceChannels;
        bool rip;
        int channels;
    };
    const Case cases[] = {
        {"mp3-mono", kEncoderMp3, TrackFormat::From(Mp3Format{.channels = 0}), 2, true, 1},
        {"ogg-mono", kEncoderOgg, TrackFormat::From(OggFormat{.channels = 0}), 2, true, 1},
        {"wma-mono", kEncoderWma, TrackFormat::From(WmaFormat{.channels = 0}), 2, true, 1},
        {"wma-from-mono", kEncoderWma, TrackFormat::From(WmaFormat{}), 1, false, 2},
        {"mp3-from-5.1", kEncoderMp3, TrackFormat::From(Mp3Format{}), 6, false, 2},
    };
    for (const Case& c : cases) {
        const std::string wav =
            MakeLevelsWav(dir_.path(), std::string(c.name) + ".wav",
                          std::vector<double>(static_cast<size_t>(c.sourceChannels), kLoud), 2);
        const auto decoded = DecodeWithFfmpeg(Encode(c.kind, c.format, wav, c.rip));
        ASSERT_FALSE(decoded.empty()) << c.name;
        const int peak = std::ranges::max(decoded, {}, [](int16_t s) { return std::abs(s); });
        EXPECT_LT(std::abs(peak), kLoud * 32768 * 1.06) << c.name;
        for (const double rms : ChannelRms(decoded, c.channels)) {
            EXPECT_NEAR(rms, SineRms(kLoud), SineRms(kLoud) * 0.06) << c.name;
        }
    }
}

TEST_F(ChannelMixTest, OggChannelsFeedTheirSpeakers) {
    // ffmpeg hands out a 5.1 stream as FL FR FC LFE BL BR, the order of a 5.1 WAV file.
    struct Case {
        const char* name;
        std::vector<double> source;
        bool rip;
        std::vector<double> speakers;
    };
    const Case cases[] = {
        // CD stereo ripped as "5.1": left to front left, right to front right, the rest silent.
        {"cd-as-5.1", {0.5, 0.25}, true, {0.5, 0.25, 0, 0, 0, 0}},
        // A 5.1 WAV file: every channel stays on its speaker. (libvorbis filters the LFE
        // channel, so it carries silence here.)
        {"wav-5.1", {0.1, 0.2, 0.3, 0, 0.4, 0.5}, false, {0.1, 0.2, 0.3, 0, 0.4, 0.5}},
    };
    const auto format = TrackFormat::From(OggFormat{.channels = 2});
    for (const Case& c : cases) {
        const std::string wav =
            MakeLevelsWav(dir_.path(), std::string(c.name) + ".wav", c.source, 2);
        const auto rms = ChannelRms(DecodeWithFfmpeg(Encode(kEncoderOgg, format, wav, c.rip)), 6);
        for (size_t k = 0; k < rms.size(); ++k) {
            EXPECT_NEAR(rms[k], SineRms(c.speakers[k]), SineRms(0.02)) << c.name << ", " << k;
        }
    }
}

}  // namespace
}  // namespace disctrove
