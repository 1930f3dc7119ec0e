#include "audio/pcm_source.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/temp_dir.h"

namespace disctrove {
namespace {

using testing::ReadWholeFile;
using testing::RunCommand;
using testing::TempDir;
using testing::WriteWholeFile;

// Everything the source delivers, read in small pieces.
std::string ReadAll(PcmSource& source) {
    std::string data;
    std::vector<char> buffer(1000);
    while (const size_t n = source.Read(buffer.data(), buffer.size())) {
        data.append(buffer.data(), n);
    }
    return data;
}

TEST(PcmSourceRealFiles, WavFromSox) {
    TempDir dir;
    const std::string wav = dir.File("sox.wav");
    ASSERT_EQ(RunCommand("sox -n -r 32000 -c 1 -b 16 " + wav + " synth 0.3 sine 440"), 0);
    ASSERT_EQ(RunCommand("sox " + wav + " -t raw " + dir.File("sox.raw")), 0);
    auto source = PcmSource::OpenWav(wav);
    ASSERT_EQ(source.error(), PcmSourceError::none);
    EXPECT_EQ(source.format().channels, 1);
    EXPECT_EQ(source.format().sampleRate, 32000u);
    EXPECT_EQ(source.format().bitsPerSample, 16);
    EXPECT_EQ(source.totalBytes(), 9600u * 2);
    EXPECT_EQ(ReadAll(source), ReadWholeFile(dir.File("sox.raw")));
}

TEST(PcmSourceRealFiles, WavFromFfmpegWithItsListChunk) {
    TempDir dir;
    const std::string wav = dir.File("ffmpeg.wav");
    ASSERT_EQ(RunCommand("ffmpeg -v error -f lavfi -i sine=frequency=330:duration=0.25 -ac 2 "
                         "-ar 44100 -c:a pcm_s16le -y " +
                         wav),
              0);
    ASSERT_NE(ReadWholeFile(wav).find("LIST"), std::string::npos);
    ASSERT_EQ(RunCommand("ffmpeg -v error -i " + wav + " -f s16le -c:a pcm_s16le -y " +
                         dir.File("ffmpeg.raw")),
              0);
    auto source = PcmSource::OpenWav(wav);
    ASSERT_EQ(source.error(), PcmSourceError::none);
    EXPECT_EQ(source.format().channels, 2);
    EXPECT_EQ(source.format().sampleRate, 44100u);
    const std::string expected = ReadWholeFile(dir.File("ffmpeg.raw"));
    EXPECT_EQ(source.totalBytes(), expected.size());
    EXPECT_EQ(ReadAll(source), expected);
}

TEST(PcmSourceRealFiles, FloatWavFromFfmpegIsNotPcm) {
    TempDir dir;
    const std::string wav = dir.File("float.wav");
    ASSERT_EQ(RunCommand("ffmpeg -v error -f lavfi -i sine=duration=0.1 -c:a pcm_f32le -y " + wav),
              0);
    auto source = PcmSource::OpenWav(wav);
    EXPECT_EQ(source.error(), PcmSourceError::notPcm);
    char byte = 0;
    EXPECT_EQ(source.Read(&byte, 1), 0u);
}

TEST(PcmSourceWav, TrailingChunksAreNotAudio) {
    TempDir dir;
    const std::string path = dir.File("a.wav");
    {
        auto file = OpenFile(path, "wb");
        WriteWavHeader(file.get(), 2, 44100, 1, 0);
        std::fwrite("SAMPLES!", 1, 8, file.get());
        WriteWavHeader(file.get(), 2, 44100, 1, 8);
        std::fseek(file.get(), 0, SEEK_END);
        std::fwrite("id3 \x04\0\0\0TAGS", 1, 12, file.get());
    }
    auto source = PcmSource::OpenWav(path);
    ASSERT_EQ(source.error(), PcmSourceError::none);
    EXPECT_EQ(source.totalBytes(), 8u);
    EXPECT_EQ(ReadAll(source), "SAMPLES!");
}

TEST(PcmSourceWav, InterruptedWriterIsReadToTheEnd) {
    TempDir dir;
    const std::string path = dir.File("a.wav");
    {
        auto file = OpenFile(path, "wb");
        WriteWavHeader(file.get(), 2, 44100, 1, 0);  // the placeholder only
        std::fwrite("0123456789abcdef", 1, 16, file.get());
    }
    auto source = PcmSource::OpenWav(path);
    ASSERT_EQ(source.error(), PcmSourceError::none);
    EXPECT_EQ(source.totalBytes(), 16u);
    EXPECT_EQ(ReadAll(source), "0123456789abcdef");
}

TEST(PcmSourceErrors, MissingAndBrokenFilesAndTheirTexts) {
    TempDir dir;
    EXPECT_EQ(PcmSource::OpenWav(dir.File("none.wav")).error(), PcmSourceError::cannotOpen);
    EXPECT_EQ(PcmSource::OpenRaw(dir.File("none.pcm")).error(), PcmSourceError::cannotOpen);
    WriteWholeFile(dir.File("short.wav"), std::string("RIFF\x10\0\0\0WAVEfmt ", 16));
    EXPECT_EQ(PcmSource::OpenWav(dir.File("short.wav")).error(), PcmSourceError::corrupted);

    EXPECT_EQ(PcmSourceMessage(PcmSourceError::cannotOpen), "Cannot open PCM data file");
    EXPECT_EQ(PcmSourceMessage(PcmSourceError::corrupted), "WAV file is corrupted");
    EXPECT_FALSE(PcmSourceMessage(PcmSourceError::notPcm).empty());
}

TEST(PcmSourceRaw, WholeFileIsCdAudio) {
    TempDir dir;
    const std::string path = dir.File("cddatmp001.pcm");
    const std::string data(2352 * 3 + 100, 'p');
    WriteWholeFile(path, data);
    auto source = PcmSource::OpenRaw(path);
    ASSERT_EQ(source.error(), PcmSourceError::none);
    EXPECT_EQ(source.format().channels, 2);
    EXPECT_EQ(source.format().sampleRate, 44100u);
    EXPECT_EQ(source.format().bitsPerSample, 16);
    EXPECT_EQ(source.totalBytes(), data.size());
    EXPECT_EQ(ReadAll(source), data);
}

}  // namespace
}  // namespace disctrove
