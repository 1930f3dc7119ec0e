#include "codecs/wma_encoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <stop_token>

#include "support/all_records.h"
#include "support/audio_files.h"
#include "support/scripted_worker.h"
#include "support/temp_dir.h"

namespace disctrove {
namespace {

using platform::WmaCodecFormat;
using testing::CommandOutput;
using testing::DecodeWithFfmpeg;
using testing::MakeSineWav;
using testing::ReadWholeFile;
using testing::TempDir;
using testing::WriteWholeFile;

WmaCodecFormat Format(uint32_t rate, uint16_t channels, uint32_t bytesPerSecond,
                      uint16_t blockAlign) {
    WmaCodecFormat format;
    format.sampleRate = rate;
    format.channels = channels;
    format.averageBytesPerSecond = bytesPerSecond;
    format.blockAlign = blockAlign;
    return format;
}

TEST(WmaFormatSearch, BitRateWithin249) {
    const WmaFormatRequest request{96000, 0x161, 44100, 2};
    EXPECT_TRUE(FindWmaFormat({Format(44100, 2, 12000, 557)}, request));   // d = 0
    EXPECT_FALSE(FindWmaFormat({Format(44100, 2, 12032, 557)}, request));  // d = 256
    EXPECT_TRUE(FindWmaFormat({Format(44100, 2, 11969, 557)}, request));   // d = -248
    EXPECT_FALSE(FindWmaFormat({Format(48000, 2, 12000, 557)}, request));
    EXPECT_FALSE(FindWmaFormat({Format(44100, 1, 12000, 557)}, request));
    auto otherTag = Format(44100, 2, 12000, 557);
    otherTag.formatTag = 0x160;
    EXPECT_FALSE(FindWmaFormat({otherTag}, request));
}

TEST(WmaFormatSearch, LargestBlockAlignmentAndTheLaterOfEqualOnes) {
    const WmaFormatRequest request{96000, 0x161, 44100, 2};
    const auto small = Format(44100, 2, 12000, 4096);
    const auto large = Format(44100, 2, 12001, 8192);
    EXPECT_EQ(FindWmaFormat({small, large}, request), large);
    EXPECT_EQ(FindWmaFormat({large, small}, request), large);
    const auto first = Format(44100, 2, 12000, 4096);
    const auto second = Format(44100, 2, 12010, 4096);
    EXPECT_EQ(FindWmaFormat({first, second}, request), second);
}

TEST(WmaFormatSearch, DivisorsAndTheFallBackPass) {
    // Nothing at 96000 or any of its divisors, but a 64000 bit/s format.
    const std::vector<WmaCodecFormat> catalogue = {Format(44100, 2, 8000, 371)};
    const auto choice = SearchWmaFormat(catalogue, 96000, 44100, 2);
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->format.averageBytesPerSecond, 8000u);
    EXPECT_EQ(choice->bitrateAttribute, 128000u);  // found at divisor 2 of the second pass

    const auto half = SearchWmaFormat({Format(44100, 2, 6000, 278)}, 96000, 44100, 2);
    ASSERT_TRUE(half);
    EXPECT_EQ(half->bitrateAttribute, 96000u);  // 48000 is 96000 divided by 2
    EXPECT_FALSE(SearchWmaFormat(catalogue, 96000, 48000, 2));
}

TEST(WmaFormatSearch, TimeStampsAndTheRealCatalogue) {
    EXPECT_EQ(WmaTimestampStep(16384, {2, 44100, 16}), 928798u);
    const auto& catalogue = platform::WmaCodecFormats();
    ASSERT_FALSE(catalogue.empty());
    for (const auto& format : catalogue) {
        EXPECT_GE(format.averageBytesPerSecond * 8, 24000u);  // wmav2 refuses less
        EXPECT_GT(format.blockAlign, 0);
    }
    const auto cd = FindWmaFormat(catalogue, {96000, 0x161, 44100, 2});
    ASSERT_TRUE(cd);
    EXPECT_EQ(cd->blockAlign, 557);  // 96000 × 2048 ÷ (44100 × 8)
}

class WmaEncoderTest : public ::testing::Test {
  protected:
    WmaEncoderTest() {
        stop_ = std::stop_source();  // a new run
        context_.stop = stop_.get_token();
        track_.index = 0;
        track_.format = TrackFormat::From(WmaFormat{});  // stereo, 96 kbit/s, same rate
    }
    int32_t Encode(const std::string& source, bool fromRip = false) {
        EncodeJob job{&track_, source, output_};
        WmaEncode(context_, job, fromRip);
        return track_.status;
    }
    std::string Probe(const std::string& entries) {
        return CommandOutput("ffprobe -v error -show_entries " + entries + " -of default=nw=1 '" +
                             output_ + "'");
    }

    TempDir dir_;
    std::string output_ = dir_.File("out.wma");
    testing::AllRecords settings_;
    Track track_;
    testing::RecordingNotifications notes_;
    testing::ScriptedQuestions questions_;
    std::stop_source stop_;  // the Stop of the one who runs the worker
    WorkerContext context_{settings_, settings_,  settings_, settings_,
                           notes_,    questions_, {},        stop_.get_token()};
};

TEST_F(WmaEncoderTest, WavFileToWmaWithAttributes) {
    settings_.Artist = "Artist";
    settings_.Album = "Album";
    settings_.Year = "2001";
    settings_.Genre = 18;
    const std::string wav = MakeSineWav(dir_.path(), "in.wav", 44100, 2, 16, 3);
    ASSERT_EQ(Encode(wav), kStatusCompleted);
    const std::string stream = Probe("stream=codec_name,sample_rate,channels");
    EXPECT_NE(stream.find("codec_name=wmav2"), std::string::npos) << stream;
    EXPECT_NE(stream.find("sample_rate=44100"), std::string::npos);
    EXPECT_NE(stream.find("channels=2"), std::string::npos);
    const std::string tags = Probe("format_tags");
    EXPECT_NE(tags.find("TAG:album=Album"), std::string::npos) << tags;
    EXPECT_NE(tags.find("TAG:artist=Artist"), std::string::npos);
    EXPECT_NE(tags.find("TAG:genre=Rock"), std::string::npos);
    EXPECT_NE(tags.find("TAG:WM/Year=2001"), std::string::npos);
    EXPECT_NE(tags.find("TAG:Bitrate=96000"), std::string::npos);
    const auto decoded = DecodeWithFfmpeg(output_);
    EXPECT_NEAR(static_cast<double>(decoded.size() / 2), 3 * 44100.0, 4096);
    EXPECT_NEAR(testing::Rms(decoded), 0.5 / std::sqrt(2.0) * 32768, 1500);

    settings_.Genre = 0;
    settings_.Artist.clear();
    settings_.Year.clear();
    ASSERT_EQ(Encode(wav), kStatusCompleted);
    const std::string unknown = Probe("format_tags");  // what is not known is not written
    EXPECT_EQ(unknown.find("TAG:genre"), std::string::npos) << unknown;
    EXPECT_EQ(unknown.find("TAG:artist"), std::string::npos);
    EXPECT_EQ(unknown.find("TAG:WM/Year"), std::string::npos);
}

TEST_F(WmaEncoderTest, SamplesAreConvertedToTheConfiguredLayout) {
    WmaFormat format;
    format.channels = 0;         // mono
    format.samplerateIndex = 3;  // 48000 Hz
    format.bitrateIndex = 3;     // 48 kbit/s: no such format, half of it neither...
    track_.format = TrackFormat::From(format);
    const std::string wav = MakeSineWav(dir_.path(), "in.wav", 44100, 2, 16, 2);
    // Mono at 48000 Hz has no format at all: the search fails and says so.
    EXPECT_EQ(Encode(wav), kStatusError);
    EXPECT_EQ(questions_.informed,
              (std::vector<std::string>{kWmaFormatMessage, kCannotCreateOutputMessage}));

    format.samplerateIndex = 2;  // 44100 Hz mono, 48 kbit/s
    track_.format = TrackFormat::From(format);
    ASSERT_EQ(Encode(wav), kStatusCompleted);
    const std::string stream = Probe("stream=sample_rate,channels");
    EXPECT_NE(stream.find("channels=1"), std::string::npos) << stream;
    EXPECT_NEAR(static_cast<double>(DecodeWithFfmpeg(output_).size()), 2 * 44100.0, 4096);

    format.channels = 1;
    format.samplerateIndex = 3;  // CD audio at 48000 Hz: resampled, still two seconds
    format.bitrateIndex = 7;     // 128 kbit/s
    track_.format = TrackFormat::From(format);
    const std::string raw = dir_.File("cddatmp001.pcm");
    WriteWholeFile(raw, ReadWholeFile(wav).substr(44));
    ASSERT_EQ(Encode(raw, true), kStatusCompleted);
    EXPECT_FALSE(std::ifstream(raw).good());
    EXPECT_NE(Probe("stream=sample_rate").find("sample_rate=48000"), std::string::npos);
    EXPECT_NEAR(static_cast<double>(DecodeWithFfmpeg(output_).size() / 2), 2 * 48000.0, 4096);
}

TEST_F(WmaEncoderTest, StoppedEncodeLeavesAPlayableFile) {
    const std::string wav = MakeSineWav(dir_.path(), "in.wav", 44100, 2, 16, 10);
    notes_.onProgress = [this](int32_t, int32_t status) {
        if (status >= 30 && status < 100) {
            stop_.request_stop();
        }
    };
    EXPECT_EQ(Encode(wav), kStatusStopped);
    const auto decoded = DecodeWithFfmpeg(output_);
    EXPECT_GT(decoded.size(), 44100u);
    EXPECT_LT(decoded.size(), 10u * 44100 * 2);
}

TEST_F(WmaEncoderTest, EmptySourceAndUnwritableDestination) {
    { WriteWholeFile(dir_.File("empty.pcm"), ""); }
    ASSERT_EQ(Encode(dir_.File("empty.pcm"), true), kStatusCompleted);
    EXPECT_TRUE(std::ifstream(output_).good());

    output_ = "/dev/full";
    settings_.Overwrite = 1;
    EXPECT_EQ(Encode(MakeSineWav(dir_.path(), "in.wav", 44100, 2, 16, 2)), kStatusError);
}

}  // namespace
}  // namespace disctrove
