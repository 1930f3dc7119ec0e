#include "codecs/ogg_encoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <numbers>
#include <stop_token>

#include "audio/unique_file.h"
#include "audio/wav_file.h"
#include "support/all_records.h"
#include "support/audio_files.h"
#include "support/scripted_worker.h"
#include "support/temp_dir.h"

namespace disctrove {
namespace {

using testing::DecodeWithFfmpeg;
using testing::MakeSineWav;
using testing::OggComments;
using testing::OggInfoProblems;
using testing::OggInfoValue;
using testing::ReadWholeFile;
using testing::TempDir;
using testing::WriteWholeFile;

constexpr double kSineRms = 0.5 / std::numbers::sqrt2 * 32768;  // "vol 0.5"

class OggEncoderTest : public ::testing::Test {
  protected:
    OggEncoderTest() {
        stop_ = std::stop_source();  // a new run
        context_.stop = stop_.get_token();
        track_.index = -1;
        track_.status = 0;
        SetFormat(OggFormat{});  // quality 9, stereo, same rate as the source
    }
    void SetFormat(const OggFormat& format) { track_.format = TrackFormat::From(format); }
    int32_t Encode(const std::string& source, bool fromRip = false) {
        EncodeJob job{&track_, source, output_};
        OggEncode(context_, job, fromRip);
        return track_.status;
    }
    std::vector<int32_t> ProgressValues() const {
        std::vector<int32_t> values;
        for (const auto& [position, status] : notes_.progress) {
            values.push_back(status);
        }
        return values;
    }
    // A raw PCM file as a rip leaves it: CD audio, here a 440 Hz sine.
    std::string RawCdAudio(double seconds) {
        std::string bytes;
        const auto frames = static_cast<size_t>(seconds * 44100);
        for (size_t i = 0; i < frames; ++i) {
            const auto sample = static_cast<int16_t>(
                16384 * std::sin(2 * std::numbers::pi * 440 * static_cast<double>(i) / 44100));
            for (int channel = 0; channel < 2; ++channel) {
                bytes += static_cast<char>(sample & 0xFF);
                bytes += static_cast<char>((sample >> 8) & 0xFF);
            }
        }
        const std::string path = dir_.File("cddatmp001.pcm");
        WriteWholeFile(path, bytes);
        return path;
    }

    TempDir dir_;
    std::string output_ = dir_.File("out.ogg");
    testing::AllRecords settings_;
    Track track_;
    testing::RecordingNotifications notes_;
    testing::ScriptedQuestions questions_;
    std::stop_source stop_;  // the Stop of the one who runs the worker
    WorkerContext context_{settings_, settings_,  settings_, settings_,
                           notes_,    questions_, {},        stop_.get_token()};
};

TEST_F(OggEncoderTest, WavFileToOggWithItsComments) {
    const std::string wav = MakeSineWav(dir_.path(), "in.wav", 44100, 2, 16, 3);
    track_.title = "Song";
    settings_.Artist = "Artist";
    settings_.Album = "Album";
    settings_.Year = "1999";
    settings_.Genre = 18;
    ASSERT_EQ(Encode(wav), kStatusCompleted);
    EXPECT_TRUE(questions_.informed.empty());
    EXPECT_TRUE(OggInfoProblems(output_).empty());
    EXPECT_EQ(OggComments(output_),
              (std::set<std::string>{"ENCODER=Disctrove", "TITLE=Song", "ARTIST=Artist",
                                     "ALBUM=Album", "DATE=1999", "GENRE=Rock"}));
    // Quality position 9 is libvorbis's quality 0.45: 144 kbit/s nominal for CD audio.
    EXPECT_DOUBLE_EQ(OggInfoValue(output_, "Nominal bitrate"), 144.0);
    const auto decoded = DecodeWithFfmpeg(output_);
    EXPECT_NEAR(static_cast<double>(decoded.size() / 2), 3 * 44100.0, 2048);
    EXPECT_NEAR(testing::Rms(decoded), kSineRms, kSineRms * 0.05);
    EXPECT_EQ(track_.lengthSectors, 3u * 44100 * 4 / 2352);
    const auto progress = ProgressValues();
    ASSERT_GE(progress.size(), 2u);
    EXPECT_EQ(progress.front(), 0);
    EXPECT_EQ(progress.back(), 100);
    for (size_t i = 0; i + 1 < progress.size(); ++i) {
        EXPECT_LE(progress[i], 99);
    }
}

TEST_F(OggEncoderTest, OnlyTheEncoderCommentWhenNothingElseIsKnown) {
    const std::string wav = MakeSineWav(dir_.path(), "in.wav", 44100, 2, 16, 0.5);
    ASSERT_EQ(Encode(wav), kStatusCompleted);
    EXPECT_EQ(OggComments(output_), (std::set<std::string>{"ENCODER=Disctrove"}));
}

TEST_F(OggEncoderTest, BitRateModes) {
    const std::string wav = MakeSineWav(dir_.path(), "in.wav", 44100, 2, 16, 1);
    OggFormat managed;
    managed.useVbr = 0;
    managed.useBbr = 1;
    managed.maxBbrIndex = 3;      // 256
    managed.nominalBbrIndex = 2;  // 192
    managed.minBbrIndex = 0;      // 128
    SetFormat(managed);
    ASSERT_EQ(Encode(wav), kStatusCompleted);
    EXPECT_DOUBLE_EQ(OggInfoValue(output_, "Nominal bitrate"), 192.0);
    EXPECT_DOUBLE_EQ(OggInfoValue(output_, "Upper bitrate"), 256.0);
    EXPECT_DOUBLE_EQ(OggInfoValue(output_, "Lower bitrate"), 128.0);

    OggFormat constant;
    constant.useVbr = 0;
    constant.cbrIndex = 1;  // 160
    SetFormat(constant);
    ASSERT_EQ(Encode(wav), kStatusCompleted);
    EXPECT_DOUBLE_EQ(OggInfoValue(output_, "Nominal bitrate"), 160.0);
    EXPECT_DOUBLE_EQ(OggInfoValue(output_, "Upper bitrate"), 160.0);

    managed.useVbr = 1;  // quality wins over managed
    managed.vbr = 9;
    SetFormat(managed);
    ASSERT_EQ(Encode(wav), kStatusCompleted);
    EXPECT_DOUBLE_EQ(OggInfoValue(output_, "Nominal bitrate"), 144.0);
}

TEST_F(OggEncoderTest, RefusedSetUpIsToldAndLeavesNoFile) {
    const std::string wav = MakeSineWav(dir_.path(), "in.wav", 44100, 1, 16, 0.5);
    OggFormat format;
    format.useVbr = 0;
    format.cbrIndex = 4;  // 350 kbit/s is more than libvorbis does for mono
    SetFormat(format);
    WriteWholeFile(output_, "old");
    settings_.Overwrite = 1;
    EXPECT_EQ(Encode(wav), kStatusError);
    ASSERT_EQ(questions_.informed.size(), 1u);
    EXPECT_NE(questions_.informed[0].find("1 channel(s) at 44100 Hz"), std::string::npos);
    EXPECT_EQ(ReadWholeFile(output_), "old");
}

TEST_F(OggEncoderTest, LowRatesAndNarrowSamples) {
    const std::string low = MakeSineWav(dir_.path(), "low.wav", 22050, 2, 16, 1);
    EXPECT_EQ(Encode(low), kStatusCompleted);  // libvorbis encodes 22050 Hz as it is
    EXPECT_DOUBLE_EQ(OggInfoValue(output_, "Rate"), 22050);

    OggFormat resampled;
    resampled.samplerateIndex = 2;  // 44100 Hz
    SetFormat(resampled);
    EXPECT_EQ(Encode(low), kStatusCompleted);
    EXPECT_DOUBLE_EQ(OggInfoValue(output_, "Rate"), 44100);
    const auto decoded = DecodeWithFfmpeg(output_);
    EXPECT_NEAR(static_cast<double>(decoded.size() / 2), 44100.0, 2048);  // still one second
    EXPECT_NEAR(testing::Rms(decoded), kSineRms, kSineRms * 0.05);

    const std::string narrow = MakeSineWav(dir_.path(), "narrow.wav", 44100, 2, 8, 1);
    EXPECT_EQ(Encode(narrow), kStatusError);
    EXPECT_EQ(questions_.informed.back(), kOggLowBitsMessage);
}

TEST_F(OggEncoderTest, WideSamplesAreConvertedNotMisread) {
    for (const int bits : {24, 32}) {
        const std::string wav =
            MakeSineWav(dir_.path(), std::to_string(bits) + ".wav", 44100, 2, bits, 1);
        ASSERT_EQ(Encode(wav), kStatusCompleted) << bits;
        const auto decoded = DecodeWithFfmpeg(output_);
        EXPECT_NEAR(static_cast<double>(decoded.size() / 2), 44100.0, 2048) << bits;
        EXPECT_NEAR(testing::Rms(decoded), kSineRms, kSineRms * 0.05) << bits;
    }
}

TEST_F(OggEncoderTest, HeaderOnlyWavGivesAnEmptyButWholeStream) {
    {
        auto file = OpenFile(dir_.File("empty.wav"), "wb");
        WriteWavHeader(file.get(), 2, 44100, 1, 0);
    }
    ASSERT_EQ(Encode(dir_.File("empty.wav")), kStatusCompleted);
    EXPECT_TRUE(OggInfoProblems(output_).empty());
    EXPECT_TRUE(DecodeWithFfmpeg(output_).empty());
    EXPECT_EQ(ProgressValues(), std::vector<int32_t>{100});  // no percentage for no audio
}

TEST_F(OggEncoderTest, RipModeDeclaresTheChosenLayoutAndConvertsToIt) {
    struct Case {
        int32_t channels;
        int32_t rateIndex;
        double expectChannels;
        double expectRate;
    };
    for (const Case c : {Case{0, 3, 1, 48000}, Case{2, 0, 6, 44100}, Case{1, 1, 2, 32000}}) {
        OggFormat format;
        format.channels = c.channels;
        format.samplerateIndex = c.rateIndex;
        SetFormat(format);
        track_.lengthSectors = 2 * 75;
        notes_.progress.clear();
        const std::string raw = RawCdAudio(2);
        ASSERT_EQ(Encode(raw, true), kStatusCompleted);
        EXPECT_FALSE(std::ifstream(raw).good());  // the temporary file is gone
        EXPECT_TRUE(OggInfoProblems(output_).empty());
        EXPECT_EQ(OggInfoValue(output_, "Channels"), c.expectChannels);
        EXPECT_EQ(OggInfoValue(output_, "Rate"), c.expectRate);
        const auto decoded = DecodeWithFfmpeg(output_);
        EXPECT_NEAR(static_cast<double>(decoded.size()) / c.expectChannels, 2 * c.expectRate, 2048);
        EXPECT_EQ(ProgressValues().front(), 30);  // reading the disc was the first 30 percent
    }
}

TEST_F(OggEncoderTest, StopLeavesATruncatedFileAndNoTemporaryFile) {
    const std::string raw = RawCdAudio(10);
    track_.lengthSectors = 10 * 75;
    notes_.onProgress = [this](int32_t, int32_t status) {
        if (status >= 50 && status < 100) {
            stop_.request_stop();
        }
    };
    EXPECT_EQ(Encode(raw, true), kStatusStopped);
    EXPECT_FALSE(std::ifstream(raw).good());
    const auto problems = OggInfoProblems(output_);
    ASSERT_FALSE(problems.empty());
    EXPECT_NE(problems[0].find("EOS not set"), std::string::npos);
}

TEST_F(OggEncoderTest, OverwriteQuestion) {
    // A rip asks before it reads the track; a conversion asks here.
    const std::string wav = MakeSineWav(dir_.path(), "in.wav", 44100, 2, 16, 1);
    settings_.Overwrite = 0;
    WriteWholeFile(output_, "keep me");
    questions_.answers = {ConfirmAnswer::no};
    EXPECT_EQ(Encode(wav), kStatusStopped);
    EXPECT_EQ(ReadWholeFile(output_), "keep me");

    questions_.answers = {ConfirmAnswer::all};
    EXPECT_EQ(Encode(wav), kStatusCompleted);
    EXPECT_TRUE(context_.run.overwriteAll);
    EXPECT_TRUE(OggInfoProblems(output_).empty());
}

TEST_F(OggEncoderTest, SourcesThatCannotBeEncoded) {
    EXPECT_EQ(Encode(dir_.File("missing.wav")), kStatusError);
    EXPECT_EQ(questions_.informed.back(), "Cannot open PCM data file");
    WriteWholeFile(dir_.File("bad.wav"), "this is not a WAV file at all, not even a bit");
    EXPECT_EQ(Encode(dir_.File("bad.wav")), kStatusError);
    EXPECT_EQ(questions_.informed.back(), PcmSourceMessage(PcmSourceError::notWav));
    WriteWholeFile(dir_.File("cut.wav"), "RIFF\x24\0\0\0WAVEfmt ");  // cut inside its headers
    EXPECT_EQ(Encode(dir_.File("cut.wav")), kStatusError);
    EXPECT_EQ(questions_.informed.back(), "WAV file is corrupted");
    EXPECT_FALSE(std::ifstream(output_).good());

    output_ = "/dev/full";
    settings_.Overwrite = 1;
    EXPECT_EQ(Encode(MakeSineWav(dir_.path(), "in.wav", 44100, 2, 16, 1)), kStatusError);
    EXPECT_EQ(questions_.informed.back(), WriteFailedMessage("/dev/full"));
}

}  // namespace
}  // namespace disctrove
