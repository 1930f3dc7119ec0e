#include "codecs/mp3_encoder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <stop_token>
#include <thread>

#include "support/all_records.h"
#include "support/audio_files.h"
#include "support/scoped_environment.h"
#include "support/scripted_worker.h"
#include "support/temp_dir.h"

namespace disctrove {
namespace {

using platform::BeConfig;
using testing::CommandOutput;
using testing::DecodeWithFfmpeg;
using testing::MakeSineWav;
using testing::ReadWholeFile;
using testing::TempDir;
using testing::WriteWholeFile;

// A value of ffprobe's report on the first audio stream, e.g. "bit_rate" or "channels".
std::string Probe(const std::string& path, const std::string& entry) {
    std::string value =
        CommandOutput("ffprobe -v error -select_streams a:0 -show_entries stream=" + entry +
                      " -of default=nw=1:nk=1 '" + path + "'");
    while (!value.empty() && (value.back() == '\n' || value.back() == '\r')) {
        value.pop_back();
    }
    return value;
}

double Duration(const std::string& path) {
    return std::atof(CommandOutput("ffprobe -v error -show_entries format=duration -of "
                                   "default=nw=1:nk=1 '" +
                                   path + "'")
                         .c_str());
}

TEST(Mp3Config, RecordFromTheSettings) {
    Mp3Format format;  // stereo, 128 kbit/s, "Very high", same rate as the input
    const BeConfig rip = Mp3Config(format, 44100, 2);
    EXPECT_EQ(rip.configKind, 256u);
    EXPECT_EQ(rip.structVersion, 1u);
    EXPECT_EQ(rip.structSize, 331u);
    EXPECT_EQ(rip.sampleRate, 44100u);
    EXPECT_EQ(rip.resampleRate, 0u);  // "Same as input"
    EXPECT_EQ(rip.mode, platform::kBeModeStereo);
    EXPECT_EQ(rip.bitrate, 128u);
    EXPECT_EQ(rip.maxBitrate, 192u);
    EXPECT_EQ(rip.preset, 5);
    EXPECT_EQ(rip.mpegVersion, 1u);
    EXPECT_EQ(rip.original, 1u);
    EXPECT_EQ(rip.noReservoir, 1u);
    EXPECT_EQ(rip.enableVbr, 0u);
    EXPECT_EQ(rip.writeVbrHeader, 1u);  // CBR too: the Info frame makes the file gapless

    format.samplerateIndex = 2;  // 44100 Hz from a 22050 Hz file
    format.channels = 2;
    format.presetIndex = 13;  // "Phone"
    format.useVbr = 1;
    format.vbrQuality = 4;
    const BeConfig upsampled = Mp3Config(format, 22050, 2);
    EXPECT_EQ(upsampled.sampleRate, 22050u);
    EXPECT_EQ(upsampled.resampleRate, 44100u);
    EXPECT_EQ(upsampled.mode, platform::kBeModeJointStereo);
    EXPECT_EQ(upsampled.preset, 1000);
    EXPECT_EQ(upsampled.enableVbr, 1u);
    EXPECT_EQ(upsampled.vbrQuality, 4);
    EXPECT_EQ(upsampled.writeVbrHeader, 1u);

    EXPECT_EQ(Mp3Config(format, 44100, 1).mode, platform::kBeModeMono);  // one channel in
    format.presetIndex = 22;
    EXPECT_EQ(Mp3Config(format, 44100, 2).preset, 10000);
    format.channels = 0;
    EXPECT_EQ(Mp3Config(format, 44100, 2).mode, platform::kBeModeMono);
}

TEST(Id3v1Tag, BytesWithFallbacks) {
    testing::AllRecords settings;
    Track track;
    track.index = 2;
    track.title = std::string(40, 't');
    settings.Artist = "Bj\xC3\xB6rk";
    settings.Genre = 18;
    auto tag = Id3v1Tag(settings, track);
    std::string expected = "TAG" + std::string(30, 't');
    expected += std::string("Bj\xF6rk") + std::string(25, '\0');
    expected += "Unknown album" + std::string(17, '\0');
    expected += "2000" + std::string(28, '\0') + '\0' + '\3' + '\x11';
    ASSERT_EQ(expected.size(), 128u);
    EXPECT_EQ(std::string(tag.begin(), tag.end()), expected);

    track.title.clear();
    track.index = -1;  // a conversion has no track number
    settings.Genre = 0;
    settings.Album = "A";
    settings.Year = "19999";
    tag = Id3v1Tag(settings, track);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&tag[3])), "Track 01");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&tag[93]), 4), "1999");
    EXPECT_EQ(tag[126], 1);
    EXPECT_EQ(tag[127], 255);  // no genre
}

class Mp3EncoderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        lame_ = LoadLame(questions_);
        ASSERT_TRUE(lame_) << (questions_.informed.empty() ? "" : questions_.informed[0]);
        stop_ = std::stop_source();  // a new run
        context_.stop = stop_.get_token();
        track_.index = 0;
        track_.title = "Song";
        SetFormat(Mp3Format{});
    }
    void SetFormat(const Mp3Format& format) { track_.format = TrackFormat::From(format); }
    int32_t Encode(const std::string& source, bool fromRip = false) {
        EncodeJob job{&track_, source, output_, {}, &result_};
        EncodeMp3(context_, *lame_, job, fromRip);
        return track_.status;
    }
    std::string RawCdAudio(double seconds) {
        const std::string wav = MakeSineWav(dir_.path(), "cd.wav", 44100, 2, 16, seconds);
        const std::string raw = dir_.File("cddatmp001.pcm");
        WriteWholeFile(raw, ReadWholeFile(wav).substr(44));
        return raw;
    }

    TempDir dir_;
    std::string output_ = dir_.File("out.mp3");
    testing::AllRecords settings_;
    Track track_;
    TrackResult result_;
    testing::RecordingNotifications notes_;
    testing::ScriptedQuestions questions_;
    std::stop_source stop_;  // the Stop of the one who runs the worker
    WorkerContext context_{settings_, settings_,  settings_, settings_,
                           notes_,    questions_, {},        stop_.get_token()};
    std::unique_ptr<platform::LameLibrary> lame_;
};

TEST_F(Mp3EncoderTest, ConstantBitRateFromAWavFileWithItsTag) {
    const std::string wav = MakeSineWav(dir_.path(), "in.wav", 44100, 2, 16, 3);
    ASSERT_EQ(Encode(wav), kStatusCompleted);
    EXPECT_TRUE(questions_.informed.empty());
    EXPECT_EQ(Probe(output_, "codec_name"), "mp3");
    EXPECT_EQ(Probe(output_, "bit_rate"), "128000");
    const auto decoded = DecodeWithFfmpeg(output_);
    EXPECT_NEAR(static_cast<double>(decoded.size() / 2), 3 * 44100.0, 3000);  // LAME's padding
    const std::string file = ReadWholeFile(output_);
    const auto tag = Id3v1Tag(settings_, track_);
    EXPECT_EQ(file.substr(file.size() - 128), std::string(tag.begin(), tag.end()));
    EXPECT_EQ(notes_.progress.front().second, 0);
    EXPECT_EQ(notes_.progress.back().second, 100);
}

// LAME's info frame (Info in CBR, Xing in VBR) tells a decoder the encoder's delay and padding:
// the decoded track is as long as the source, sample for sample, in every mode.
TEST_F(Mp3EncoderTest, EveryModeDecodesToTheSourceLength) {
    const std::string wav = MakeSineWav(dir_.path(), "in.wav", 44100, 2, 16, 2.5);
    for (const int32_t useVbr : {0, 1}) {
        for (const bool fromRip : {false, true}) {
            Mp3Format format;
            format.useVbr = useVbr;
            SetFormat(format);
            ASSERT_EQ(Encode(fromRip ? RawCdAudio(2.5) : wav, fromRip), kStatusCompleted);
            EXPECT_EQ(DecodeWithFfmpeg(output_).size(), 2 * 110250u)
                << (useVbr ? "VBR" : "CBR") << (fromRip ? ", rip" : "");
        }
    }
}

TEST_F(Mp3EncoderTest, VariableBitRateFileKnowsItsLength) {
    Mp3Format format;
    format.useVbr = 1;
    format.vbrQuality = 2;
    SetFormat(format);
    settings_.Useid3 = 0;
    // Quiet first, loud later: without LAME's info frame a player would guess the length from
    // the first frames' small bit rate (ffprobe says 8.9 s for these 10).
    const std::string wav = dir_.File("in.wav");
    ASSERT_EQ(testing::RunCommand("sox -n -r 44100 -c 2 -b 16 '" + wav +
                                  "' synth 2 sine 440 vol 0 : synth 8 sine 440 vol 0.5"),
              0);
    ASSERT_EQ(Encode(wav), kStatusCompleted);
    EXPECT_NEAR(Duration(output_), 10.0, 0.05);
    EXPECT_NE(ReadWholeFile(output_).substr(0, 400).find("Xing"), std::string::npos);
}

TEST_F(Mp3EncoderTest, RipModeAndChannelModes) {
    ASSERT_EQ(Encode(RawCdAudio(2), true), kStatusCompleted);
    EXPECT_FALSE(std::ifstream(dir_.File("cddatmp001.pcm")).good());
    EXPECT_EQ(Probe(output_, "channels"), "2");
    EXPECT_EQ(notes_.progress.front().second, 30);

    Mp3Format mono;
    mono.channels = 0;  // a mono MP3 from CD audio: mixed down, not read at double length
    SetFormat(mono);
    ASSERT_EQ(Encode(RawCdAudio(2), true), kStatusCompleted);
    EXPECT_EQ(Probe(output_, "channels"), "1");
    EXPECT_NEAR(static_cast<double>(DecodeWithFfmpeg(output_).size()), 2 * 44100.0, 3000);

    SetFormat(Mp3Format{});  // "Stereo", but a one-channel file makes the MP3 mono
    const std::string monoWav = MakeSineWav(dir_.path(), "mono.wav", 44100, 1, 16, 1);
    ASSERT_EQ(Encode(monoWav), kStatusCompleted);
    EXPECT_EQ(Probe(output_, "channels"), "1");
}

TEST_F(Mp3EncoderTest, MonoPresetsKeepTheLengthOfAStereoSource) {
    // These presets make LAME's stream mono: fed stereo frames as if they were mono samples,
    // the MP3 would last twice as long, an octave low.
    struct Case {
        int32_t presetIndex;
        bool fromRip;
    };
    const std::string wav = MakeSineWav(dir_.path(), "in.wav", 44100, 2, 16, 4);
    for (const Case c : {Case{3, false}, Case{13, false}, Case{14, false}, Case{15, false},
                         Case{17, false}, Case{13, true}}) {
        Mp3Format format;
        format.presetIndex = c.presetIndex;  // Voice, Phone, SW, AM, Voice (new)
        SetFormat(format);
        ASSERT_EQ(Encode(c.fromRip ? RawCdAudio(4) : wav, c.fromRip), kStatusCompleted);
        EXPECT_NEAR(Duration(output_), 4.0, 0.15)
            << "preset " << c.presetIndex << (c.fromRip ? ", rip" : "");
    }
}

TEST_F(Mp3EncoderTest, LowRatesAndNarrowSamples) {
    const std::string low = MakeSineWav(dir_.path(), "low.wav", 22050, 2, 16, 1);
    ASSERT_EQ(Encode(low), kStatusCompleted);  // MPEG-2, as LAME makes it
    EXPECT_EQ(Probe(output_, "sample_rate"), "22050");
    EXPECT_EQ(result_.encodeNote, "");

    Mp3Format resampled;
    resampled.samplerateIndex = 2;
    SetFormat(resampled);
    ASSERT_EQ(Encode(low), kStatusCompleted);
    EXPECT_EQ(Probe(output_, "sample_rate"), "44100");
    std::remove(output_.c_str());

    const std::string narrow = MakeSineWav(dir_.path(), "narrow.wav", 44100, 2, 8, 1);
    EXPECT_EQ(Encode(narrow), kStatusError);
    EXPECT_EQ(questions_.informed.back(), kLameLowBitsMessage);
    EXPECT_FALSE(std::ifstream(output_).good());
}

// LAME keeps its state per stream: two files encoded at once (as a rip's encoder threads do,
// each with its own library object) come out as they do alone, VBR info frame included.
TEST_F(Mp3EncoderTest, TwoEncodesAtOnceEqualLoneOnes) {
    Mp3Format vbr;
    vbr.useVbr = 1;
    SetFormat(vbr);
    const std::string sources[2] = {MakeSineWav(dir_.path(), "a.wav", 44100, 2, 16, 3),
                                    testing::MakeLevelsWav(dir_.path(), "b.wav", {0.3, 0.8}, 2)};
    std::string alone[2];
    for (int i = 0; i < 2; ++i) {
        output_ = dir_.File("alone" + std::to_string(i) + ".mp3");
        ASSERT_EQ(Encode(sources[i]), kStatusCompleted);
        alone[i] = ReadWholeFile(output_);
    }
    for (int round = 0; round < 3; ++round) {
        std::vector<std::thread> encoders;
        for (int i = 0; i < 2; ++i) {
            encoders.emplace_back([this, i, &sources] {
                testing::RecordingNotifications notes;
                testing::ScriptedQuestions questions;
                WorkerContext context{settings_, settings_, settings_, settings_, notes, questions};
                auto lame = LoadLame(questions);
                Track track = track_;
                EncodeJob job{&track, sources[i],
                              dir_.File("together" + std::to_string(i) + ".mp3")};
                EncodeMp3(context, *lame, job, false);
            });
        }
        for (std::thread& encoder : encoders) {
            encoder.join();
        }
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(ReadWholeFile(dir_.File("together" + std::to_string(i) + ".mp3")), alone[i])
                << i;
        }
    }
}

TEST_F(Mp3EncoderTest, OverwriteQuestionAndStop) {
    settings_.Overwrite = 0;
    WriteWholeFile(output_, "keep");
    questions_.answers = {ConfirmAnswer::no};
    // A rip asks before it reads the track; a conversion asks here.
    EXPECT_EQ(Encode(MakeSineWav(dir_.path(), "in.wav", 44100, 2, 16, 1)), kStatusStopped);
    EXPECT_EQ(ReadWholeFile(output_), "keep");

    settings_.Overwrite = 1;
    notes_.onProgress = [this](int32_t, int32_t status) {
        if (status >= 50 && status < 100) {
            stop_.request_stop();
        }
    };
    EXPECT_EQ(Encode(RawCdAudio(10), true), kStatusStopped);
    const auto decoded = DecodeWithFfmpeg(output_);  // what was encoded plays
    EXPECT_GT(decoded.size(), 0u);
    EXPECT_LT(decoded.size(), 10u * 44100 * 2);
}

TEST_F(Mp3EncoderTest, LibraryThatCannotBeLoadedOrBound) {
    std::optional<testing::ScopedEnvironment> lame;
    lame.emplace("DISCTROVE_LAME_LIBRARY", dir_.File("missing.so").c_str());
    EXPECT_FALSE(LoadLame(questions_));
    ASSERT_FALSE(questions_.informed.empty());
    EXPECT_EQ(questions_.informed.back().rfind("Error loading LAME encoder dll\n", 0), 0u);
    EXPECT_NE(questions_.informed.back().find("missing.so"), std::string::npos);

    lame.emplace("DISCTROVE_LAME_LIBRARY", "libvorbis.so.0");  // a library, but not LAME
    EXPECT_FALSE(LoadLame(questions_));
    EXPECT_EQ(questions_.informed.back(), kLameBindingMessage);
}

}  // namespace
}  // namespace disctrove
