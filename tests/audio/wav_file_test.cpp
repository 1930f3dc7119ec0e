#include "audio/wav_file.h"

#include <gtest/gtest.h>

#include "audio/unique_file.h"
#include "support/temp_dir.h"

namespace disctrove {
namespace {

using testing::ReadWholeFile;
using testing::TempDir;
using testing::WriteWholeFile;

std::string Le32(uint32_t v) {
    return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
            static_cast<char>(v >> 24)};
}
std::string Le16(uint32_t v) {
    return {static_cast<char>(v), static_cast<char>(v >> 8)};
}

// A "fmt " chunk body of 16 bytes.
std::string FormatBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
    const uint32_t align = channels * (bits / 8u);
    return Le16(tag) + Le16(channels) + Le32(rate) + Le32(rate * align) + Le16(align) + Le16(bits);
}

std::string Chunk(const std::string& id, const std::string& body) {
    std::string chunk = id + Le32(static_cast<uint32_t>(body.size())) + body;
    if (body.size() % 2 == 1) {
        chunk += '\0';  // pad byte
    }
    return chunk;
}

std::string Riff(const std::string& chunks) {
    return "RIFF" + Le32(static_cast<uint32_t>(chunks.size() + 4)) + "WAVE" + chunks;
}

TEST(WriteWavHeader, RipHeaderBytes) {
    TempDir dir;
    const std::string path = dir.File("a.wav");
    {
        auto file = OpenFile(path, "wb");
        WriteWavHeader(file.get(), 2, 44100, 1, 10 * 2352);
    }
    const std::string expected = "RIFF" + Le32(10 * 2352 + 36) + "WAVEfmt " + Le32(16) +
                                 FormatBody(1, 2, 44100, 16) + "data" + Le32(10 * 2352);
    ASSERT_EQ(expected.size(), 44u);
    EXPECT_EQ(ReadWholeFile(path), expected);
    EXPECT_EQ(expected.substr(28, 4), Le32(176400));
}

TEST(WriteWavHeader, EightBitMono32000) {
    TempDir dir;
    const std::string path = dir.File("a.wav");
    {
        auto file = OpenFile(path, "wb");
        WriteWavHeader(file.get(), 1, 32000, 0, 7);
    }
    const std::string header = ReadWholeFile(path);
    EXPECT_EQ(header.substr(22, 2), Le16(1));
    EXPECT_EQ(header.substr(28, 4), Le32(32000));  // byte rate
    EXPECT_EQ(header.substr(32, 2), Le16(1));      // block align
    EXPECT_EQ(header.substr(34, 2), Le16(8));
}

TEST(WriteWavHeader, PlaceholderThenFinalLengthAndNullStream) {
    WriteWavHeader(nullptr, 2, 44100, 1, 0);  // does nothing
    TempDir dir;
    const std::string path = dir.File("a.wav");
    {
        auto file = OpenFile(path, "wb");
        WriteWavHeader(file.get(), 2, 44100, 1, 0);
        std::fwrite("abcdefgh", 1, 8, file.get());
        WriteWavHeader(file.get(), 2, 44100, 1, 8);
    }
    const std::string bytes = ReadWholeFile(path);
    ASSERT_EQ(bytes.size(), 52u);
    EXPECT_EQ(bytes.substr(4, 4), Le32(44));
    EXPECT_EQ(bytes.substr(40, 4), Le32(8));
    EXPECT_EQ(bytes.substr(44), "abcdefgh");
}

class ReadWavHeaderTest : public ::testing::Test {
  protected:
    WavHeaderResult Read(const std::string& bytes) {
        WriteWholeFile(dir_.File("in.wav"), bytes);
        auto file = OpenFile(dir_.File("in.wav"), "rb");
        const auto result = ReadWavHeader(file.get(), header_);
        position_ = std::ftell(file.get());
        return result;
    }
    TempDir dir_;
    WavHeader header_;
    long position_ = 0;
};

TEST_F(ReadWavHeaderTest, CanonicalHeaderLeavesTheStreamAtTheFirstSample) {
    const std::string file =
        Riff(Chunk("fmt ", FormatBody(1, 2, 44100, 16)) + Chunk("data", "12345678"));
    ASSERT_EQ(Read(file), WavHeaderResult::ok);
    EXPECT_EQ(position_, 44);
    EXPECT_EQ(header_.channels, 2);
    EXPECT_EQ(header_.sampleRate, 44100u);
    EXPECT_EQ(header_.bitsPerSample, 16);
    EXPECT_EQ(header_.dataLength, 8u);
    EXPECT_FALSE(header_.readToEnd);
}

TEST_F(ReadWavHeaderTest, InconsistentByteRateAndSizesStillPass) {
    std::string file =
        Riff(Chunk("fmt ", FormatBody(1, 1, 22050, 8)) + Chunk("data", std::string(6, 'x')));
    file.replace(4, 4, Le32(5));          // RIFF size
    file.replace(28, 4, Le32(12345678));  // byte rate
    ASSERT_EQ(Read(file), WavHeaderResult::ok);
    EXPECT_EQ(header_.sampleRate, 22050u);
    EXPECT_EQ(header_.bitsPerSample, 8);
}

TEST_F(ReadWavHeaderTest, ChunksBeforeDataAndALongFormatChunkAreSkipped) {
    const std::string file = Riff(Chunk("fmt ", FormatBody(1, 2, 48000, 16) + Le16(0)) +
                                  Chunk("LIST", std::string("INFOISFT\x03\0\0\0abc", 15)) +
                                  Chunk("fact", Le32(2)) + Chunk("data", "abcd"));
    ASSERT_EQ(Read(file), WavHeaderResult::ok);
    EXPECT_EQ(header_.sampleRate, 48000u);
    EXPECT_EQ(header_.dataLength, 4u);
    EXPECT_EQ(static_cast<size_t>(position_), file.size() - 4);
}

TEST_F(ReadWavHeaderTest, ExtensibleFormat) {
    const std::string guidTail("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
    const auto extensible = [&](uint16_t subFormat) {
        return Riff(Chunk("fmt ", FormatBody(0xFFFE, 2, 44100, 24) + Le16(22) + Le16(24) + Le32(3) +
                                      Le16(subFormat) + guidTail) +
                    Chunk("data", std::string(12, '\0')));
    };
    ASSERT_EQ(Read(extensible(1)), WavHeaderResult::ok);
    EXPECT_EQ(header_.bitsPerSample, 24);
    EXPECT_EQ(header_.formatTag, 1);
    EXPECT_EQ(Read(extensible(3)), WavHeaderResult::notPcm);  // float samples
}

TEST_F(ReadWavHeaderTest, NonPcmSamplesAreTold) {
    EXPECT_EQ(Read(Riff(Chunk("fmt ", FormatBody(3, 2, 44100, 32)) + Chunk("data", "abcd"))),
              WavHeaderResult::notPcm);
    EXPECT_EQ(Read(Riff(Chunk("fmt ", FormatBody(2, 2, 44100, 4)) + Chunk("data", "abcd"))),
              WavHeaderResult::notPcm);
}

// A 44-byte header may claim what no reader can afford to take on trust.
TEST_F(ReadWavHeaderTest, HeadersBeyondTheLimitsAreRefused) {
    EXPECT_EQ(Read(Riff(Chunk("fmt ", FormatBody(1, 65535, 44100, 512)) + Chunk("data", ""))),
              WavHeaderResult::unsupported);
    EXPECT_EQ(Read(Riff(Chunk("fmt ", FormatBody(1, 256, 44100, 16)) + Chunk("data", "ab"))),
              WavHeaderResult::unsupported);
    EXPECT_EQ(Read(Riff(Chunk("fmt ", FormatBody(1, 2, 44100, 40)) + Chunk("data", "ab"))),
              WavHeaderResult::unsupported);
    EXPECT_EQ(Read(Riff(Chunk("fmt ", FormatBody(1, 255, 44100, 32)) + Chunk("data", "ab"))),
              WavHeaderResult::ok);
}

TEST_F(ReadWavHeaderTest, BrokenFilesAreCorrupted) {
    const std::string good =
        Riff(Chunk("fmt ", FormatBody(1, 2, 44100, 16)) + Chunk("data", "abcd"));
    EXPECT_EQ(Read(""), WavHeaderResult::corrupted);
    EXPECT_EQ(Read(good.substr(0, 30)), WavHeaderResult::corrupted);  // cut inside the headers
    EXPECT_EQ(Read("RIFX" + good.substr(4)), WavHeaderResult::notWav);
    EXPECT_EQ(Read(good.substr(0, 8) + "AVI " + good.substr(12)), WavHeaderResult::notWav);
    EXPECT_EQ(Read(Riff(Chunk("fmt ", FormatBody(1, 2, 44100, 16)))),
              WavHeaderResult::corrupted);                                     // no data chunk
    EXPECT_EQ(Read(Riff(Chunk("data", "abcd"))), WavHeaderResult::corrupted);  // no format
    EXPECT_EQ(Read(Riff(Chunk("fmt ", FormatBody(1, 2, 44100, 16).substr(0, 14)) +
                        Chunk("data", "abcd"))),
              WavHeaderResult::corrupted);  // format chunk too short
    EXPECT_EQ(Read(Riff(Chunk("fmt ", FormatBody(1, 0, 44100, 16)) + Chunk("data", "abcd"))),
              WavHeaderResult::corrupted);  // no channels
    // A chunk that claims more than the file holds before any data.
    EXPECT_EQ(Read(Riff(Chunk("fmt ", FormatBody(1, 2, 44100, 16)) + "LIST" + Le32(1000))),
              WavHeaderResult::corrupted);
}

TEST_F(ReadWavHeaderTest, DataLengthOfZeroOrPastTheEndReadsToTheEndOfTheFile) {
    std::string interrupted =
        Riff(Chunk("fmt ", FormatBody(1, 2, 44100, 16)) + Chunk("data", std::string(16, 's')));
    interrupted.replace(40, 4, Le32(0));
    ASSERT_EQ(Read(interrupted), WavHeaderResult::ok);
    EXPECT_TRUE(header_.readToEnd);
    EXPECT_EQ(header_.dataLength, 16u);

    std::string streamed = interrupted;
    streamed.replace(40, 4, Le32(0xFFFFFFFF));
    ASSERT_EQ(Read(streamed), WavHeaderResult::ok);
    EXPECT_TRUE(header_.readToEnd);
    EXPECT_EQ(header_.dataLength, 16u);
}

}  // namespace
}  // namespace disctrove
