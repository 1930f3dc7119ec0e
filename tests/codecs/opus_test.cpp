#include <gtest/gtest.h>

#include <filesystem>
#include <stop_token>

#include "audio/pcm_source.h"
#include "codecs/conversion_worker.h"
#include "codecs/opus_encoder.h"
#include "support/all_records.h"
#include "support/audio_files.h"
#include "support/scripted_worker.h"
#include "support/temp_dir.h"
#include "tools/music.h"

namespace disctrove {
namespace {

using testing::CommandOutput;
using testing::TempDir;

// A figure of opusinfo's report, e.g. "Channels" or "w/o overhead" (-1 when absent).
double OpusInfoValue(const std::string& path, const std::string& label) {
    const std::string report = CommandOutput("opusinfo '" + path + "'");
    const auto at = report.find(label + ":");
    return at == std::string::npos ? -1 : std::atof(report.c_str() + at + label.size() + 1);
}

class OpusTest : public ::testing::Test {
  protected:
    OpusTest() {
        stop_ = std::stop_source();  // a new run
        context_.stop = stop_.get_token();
        settings_.Overwrite = 1;
        track_.index = -1;
        track_.status = 0;
        track_.encoder = kEncoderOpus;
        testing::WriteStereoWav(music_, testing::SynthesizeMusic(4));
    }
    int32_t Encode(const std::string& source, const OpusFormat& format) {
        track_.format = TrackFormat::From(format);
        EncodeJob job{&track_, source, output_};
        OpusEncode(context_, job, false);
        return track_.status;
    }
    std::string Probe(const std::string& path, const std::string& entry) {
        return CommandOutput("ffprobe -v error -of default=nw=1:nk=1 -show_entries stream=" +
                             entry + " '" + path + "'");
    }

    TempDir dir_;
    std::string music_ = dir_.File("music.wav");
    std::string output_ = dir_.File("out.opus");
    testing::AllRecords settings_;
    Track track_;
    testing::RecordingNotifications notes_;
    testing::ScriptedQuestions questions_;
    std::stop_source stop_;  // the Stop of the one who runs the worker
    WorkerContext context_{settings_, settings_,  settings_, settings_,
                           notes_,    questions_, {},        stop_.get_token()};
};

// Each mode spends about what opusenc spends with the same settings; CBR keeps to the rate.
TEST_F(OpusTest, BitRateOfEachModeAsOpusencs) {
    const char* const flags[] = {"", "--cvbr", "--hard-cbr"};
    const std::string peer = dir_.File("opusenc.opus");
    for (const int32_t kbps : {64, 160}) {
        for (const int32_t mode : {0, 1, 2}) {
            const std::string name =
                std::string(kOpusModeNames[static_cast<size_t>(mode)]) + std::to_string(kbps);
            ASSERT_EQ(Encode(music_, {kbps, mode, 10}), kStatusCompleted) << name;
            EXPECT_EQ(CommandOutput("opusinfo '" + output_ + "' | grep -c -e WARN -e ERR"), "0\n");
            ASSERT_EQ(
                testing::RunCommand("opusenc --quiet " + std::string(flags[mode]) + " --bitrate " +
                                    std::to_string(kbps) + " '" + music_ + "' '" + peer + "'"),
                0);
            const double ours = OpusInfoValue(output_, "w/o overhead");
            EXPECT_NEAR(ours, OpusInfoValue(peer, "w/o overhead"), kbps * 0.05) << name;
            if (mode == 2) {
                EXPECT_NEAR(ours, kbps, kbps * 0.02) << name;
            }
        }
    }
}

// Told that its input is 16-bit, the encoder spends no bits on the noise at the last bit of
// the samples (the floor of a quiet passage): at 160 kbit/s VBR the file is no larger than
// opusenc makes it (without the depth: twice as large).
TEST_F(OpusTest, QuietPassageAsSmallAsOpusencs) {
    const std::string quiet = dir_.File("quiet.wav");
    const std::string peer = dir_.File("opusenc.opus");
    ASSERT_EQ(testing::RunCommand("sox -n -r 44100 -c 2 -b 16 '" + quiet +
                                  "' synth 3 whitenoise vol 0.00005"),
              0);
    ASSERT_EQ(Encode(quiet, {160, 0, 10}), kStatusCompleted);
    ASSERT_EQ(testing::RunCommand("opusenc --quiet --bitrate 160 '" + quiet + "' '" + peer + "'"),
              0);
    EXPECT_LT(OpusInfoValue(output_, "w/o overhead"), OpusInfoValue(peer, "w/o overhead") * 1.05);
}

TEST_F(OpusTest, ChannelsKeepTheirSpeakers) {
    for (const auto& [channels, layout] :
         {std::pair{1, "mono"}, std::pair{2, "stereo"}, std::pair{6, "5.1"}}) {
        const std::string wav = testing::MakeSineWav(dir_.path(), "in.wav", 32000, channels, 24, 1);
        ASSERT_EQ(Encode(wav, {}), kStatusCompleted) << channels;
        EXPECT_EQ(OpusInfoValue(output_, "Channels"), channels);
        EXPECT_EQ(OpusInfoValue(output_, "Original sample rate"), 32000);
        EXPECT_EQ(Probe(output_, "channel_layout"), std::string(layout) + "\n");
    }
}

TEST_F(OpusTest, DecodedLengthIsTheSourcesAt48kHz) {
    ASSERT_EQ(Encode(music_, {}), kStatusCompleted);
    settings_.decodeSourcePath = output_;
    settings_.wavSourcePath = dir_.File("decoded.wav");
    Track progress;
    EXPECT_EQ(DecodeWorker(context_, progress), 0);
    EXPECT_EQ(progress.status, kStatusCompleted);
    EXPECT_TRUE(questions_.informed.empty());
    auto decoded = PcmSource::OpenWav(settings_.wavSourcePath);
    ASSERT_EQ(decoded.error(), PcmSourceError::none);
    EXPECT_EQ(decoded.format().sampleRate, 48000u);
    EXPECT_EQ(decoded.format().channels, 2);
    const uint64_t frames = decoded.format().dataLength / 4;
    EXPECT_NEAR(static_cast<double>(frames), 4 * 48000.0, 960);  // one 20 ms frame
    EXPECT_EQ(Probe(settings_.wavSourcePath, "duration_ts"), std::to_string(frames) + "\n");

    // A WAV file under an Opus name.
    std::filesystem::copy_file(music_, dir_.File("music.opus"));
    settings_.decodeSourcePath = dir_.File("music.opus");
    settings_.wavSourcePath = dir_.File("not.wav");
    EXPECT_EQ(DecodeWorker(context_, progress), -1);
    EXPECT_EQ(progress.status, kStatusError);
    ASSERT_EQ(questions_.informed.size(), 1u);
    EXPECT_NE(questions_.informed[0].find("not an Opus file"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(settings_.wavSourcePath));
}

}  // namespace
}  // namespace disctrove
