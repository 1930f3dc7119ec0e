#include "codecs/convert_source.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "codecs/disc_image_files.h"
#include "support/temp_dir.h"
#include "tools/music.h"

namespace disctrove {
namespace {

using testing::ReadWholeFile;
using testing::RunCommand;
using testing::TempDir;
using testing::WriteWholeFile;

struct Decoded {
    WavHeader format;
    std::string bytes;
    std::string error;  // at open, or the stream's failure
};

Decoded DecodeSource(const ConvertSource& source,
                     FlacSignatureCheck check = FlacSignatureCheck::off) {
    Decoded decoded;
    auto stream = OpenConvertStream(source, decoded.error, check);
    if (!stream) {
        return decoded;
    }
    decoded.format = stream->Format();
    std::vector<char> buffer(10000);  // not a whole number of 24-bit stereo frames
    while (const size_t count = stream->Read(buffer.data(), buffer.size())) {
        decoded.bytes.append(buffer.data(), count);
    }
    decoded.error = stream->Failure();
    return decoded;
}

Decoded DecodeFile(const std::string& path) {
    return DecodeSource({path, -1, ""});
}

// The samples of `path` as ffmpeg decodes them, in raw format `raw` (s16le, s24le).
std::string FfmpegSamples(const std::string& path, const std::string& raw) {
    const std::string out = path + "." + raw;
    EXPECT_EQ(RunCommand("ffmpeg -v error -y -i '" + path + "' -f " + raw + " '" + out + "'"), 0);
    return ReadWholeFile(out);
}

// Largest difference between two runs of 16-bit samples of equal length.
int MostApart(const std::string& a, const std::string& b) {
    int most = 0;
    for (size_t i = 0; i + 1 < std::min(a.size(), b.size()); i += 2) {
        int16_t x = 0;
        int16_t y = 0;
        std::memcpy(&x, a.data() + i, 2);
        std::memcpy(&y, b.data() + i, 2);
        most = std::max(most, std::abs(x - y));
    }
    return most;
}

class ConvertSourceTest : public ::testing::Test {
  protected:
    ConvertSourceTest() {
        testing::WriteStereoWav(wav_, testing::SynthesizeMusic(3.1));
        EXPECT_EQ(RunCommand("sox '" + wav_ + "' -r 48000 -b 24 -c 1 '" + wav24_ + "'"), 0);
    }
    std::string Make(const std::string& name, const std::string& command) {
        const std::string path = dir_.File(name);
        std::string line = command;
        for (const auto& [key, value] : {std::pair{"IN", wav_}, {"IN24", wav24_}, {"OUT", path}}) {
            for (size_t at; (at = line.find(std::string("{") + key + "}")) != std::string::npos;) {
                line.replace(at, std::strlen(key) + 2, "'" + value + "'");
            }
        }
        EXPECT_EQ(RunCommand(line + " >/dev/null 2>&1"), 0) << line;
        return path;
    }

    TempDir dir_;
    std::string wav_ = dir_.File("music.wav");
    std::string wav24_ = dir_.File("music24.wav");
};

TEST_F(ConvertSourceTest, DecodesEachFormatToItsSamples) {
    enum class Expect { sameAsSource, sameAsFfmpeg, countOfFfmpeg };
    struct Case {
        const char* name;
        const char* command;
        bool deep;  // from the 24-bit mono source
        Expect expect;
        SourceCodec codec;
        int bits;
    };
    const Case cases[] = {
        {"a.wav", "cp {IN} {OUT}", false, Expect::sameAsSource, SourceCodec::wav, 16},
        {"b.wav", "cp {IN24} {OUT}", true, Expect::sameAsSource, SourceCodec::wav, 24},
        {"a.flac", "flac -s {IN} -o {OUT}", false, Expect::sameAsSource, SourceCodec::flac, 16},
        {"b.flac", "flac -s {IN24} -o {OUT}", true, Expect::sameAsSource, SourceCodec::flac, 24},
        {"a.m4a", "ffmpeg -i {IN} -c:a alac {OUT}", false, Expect::sameAsSource, SourceCodec::alac,
         16},
        {"b.m4a", "ffmpeg -i {IN24} -c:a alac {OUT}", true, Expect::sameAsSource, SourceCodec::alac,
         24},
        // lame's delay and padding are trimmed: exactly the samples that were encoded.
        {"a.mp3", "lame {IN} {OUT}", false, Expect::sameAsFfmpeg, SourceCodec::mp3, 16},
        {"c.m4a", "ffmpeg -i {IN} -c:a aac {OUT}", false, Expect::sameAsFfmpeg, SourceCodec::aac,
         16},
        {"a.wma", "ffmpeg -i {IN} -c:a wmav2 {OUT}", false, Expect::sameAsFfmpeg, SourceCodec::wma,
         16},
        {"a.ogg", "oggenc -Q {IN} -o {OUT}", false, Expect::countOfFfmpeg, SourceCodec::oggVorbis,
         16},
        {"a.opus", "opusenc --quiet {IN} {OUT}", false, Expect::countOfFfmpeg, SourceCodec::opus,
         16},
    };
    const std::string source16 = FfmpegSamples(wav_, "s16le");
    const std::string source24 = FfmpegSamples(wav24_, "s24le");
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        const std::string path = Make(test.name, test.command);
        const Decoded decoded = DecodeFile(path);
        ASSERT_EQ(decoded.error, "");
        EXPECT_EQ(SourceCodecOf({path, -1, ""}), test.codec);
        EXPECT_EQ(decoded.format.bitsPerSample, test.bits);
        EXPECT_EQ(decoded.format.channels, test.deep ? 1 : 2);
        const std::string& source = test.deep ? source24 : source16;
        const std::string ffmpeg = FfmpegSamples(path, test.bits == 24 ? "s24le" : "s16le");
        switch (test.expect) {
            case Expect::sameAsSource:
                EXPECT_TRUE(decoded.bytes == source);
                EXPECT_EQ(decoded.format.dataLength, source.size());
                break;
            case Expect::sameAsFfmpeg:
                ASSERT_EQ(decoded.bytes.size(), ffmpeg.size());
                EXPECT_LE(MostApart(decoded.bytes, ffmpeg), 1);
                if (test.codec == SourceCodec::mp3) {
                    EXPECT_EQ(decoded.bytes.size(), source.size());
                }
                break;
            case Expect::countOfFfmpeg:
                EXPECT_EQ(decoded.bytes.size(), ffmpeg.size());
                EXPECT_EQ(decoded.format.dataLength, ffmpeg.size());
                break;
        }
    }
}

// Tracks of 1 s, 1.2 s and 0.85 s (the last not a whole number of sectors).
class ConvertImageTest : public ConvertSourceTest {
  protected:
    ConvertImageTest() {
        InstallDiscImageFileReaders();
        const char* lengths[] = {"0 1", "1 1.2", "2.2 0.85"};
        for (int i = 0; i < 3; ++i) {
            tracks_.push_back(Make("t" + std::to_string(i + 1) + ".wav",
                                   std::string("sox {IN} {OUT} trim ") + lengths[i]));
            samples_.push_back(FfmpegSamples(tracks_.back(), "s16le"));
        }
    }
    void ExpectTracks(const std::vector<ConvertSource>& sources, const std::string& path) {
        ASSERT_EQ(sources.size(), 3u);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(sources[i].path, path);
            EXPECT_EQ(sources[i].track, i + 1);
            const Decoded decoded = DecodeSource(sources[i]);
            EXPECT_EQ(decoded.error, "");
            EXPECT_TRUE(decoded.bytes == samples_[i]) << "track " << i + 1;
        }
    }
    std::vector<std::string> tracks_;
    std::vector<std::string> samples_;
};

TEST_F(ConvertImageTest, SheetOfTrackFilesListsAndDecodesItsTracks) {
    // Track 3's gap lies at the end of track 2's file: it stays with track 2.
    WriteWholeFile(dir_.File("album.cue"),
                   "FILE \"t1.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                   "FILE \"t2.wav\" WAVE\n  TRACK 02 AUDIO\n    INDEX 01 00:00:00\n"
                   "  TRACK 03 AUDIO\n    INDEX 00 00:01:00\n"
                   "FILE \"t3.wav\" WAVE\n    INDEX 01 00:00:00\n");
    std::filesystem::remove(wav_);
    std::filesystem::remove(wav24_);
    const SourceListing listing = ListConvertSources({dir_.path()});
    EXPECT_TRUE(listing.refused.empty()) << listing.refused.front().second;
    ExpectTracks(listing.sources, dir_.File("album.cue"));
    EXPECT_EQ(listing.sources[0].root, dir_.path());
    EXPECT_EQ(SourceDisplayName(listing.sources[2]), "album.cue, track 03");
    EXPECT_EQ(SourceCodecOf(listing.sources[0]), SourceCodec::wav);
}

TEST_F(ConvertImageTest, FlacWithSheetInsideOrBesideIsItsTracks) {
    const std::string whole =
        Make("whole.wav", "sox " + tracks_[0] + " " + tracks_[1] + " " + tracks_[2] + " {OUT}");
    const std::string flac = Make("album.flac", "flac -s " + whole + " -o {OUT}");
    const std::string sheet = dir_.File("album.cue");
    WriteWholeFile(sheet,
                   "FILE \"album.flac\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                   "  TRACK 02 AUDIO\n    INDEX 01 00:01:00\n"
                   "  TRACK 03 AUDIO\n    INDEX 00 00:02:15\n    INDEX 01 00:02:52\n");
    // The gap of track 3 (37 sectors from 2.2 s on) is track 2's.
    samples_[1] += samples_[2].substr(0, 37 * 588 * 4);
    samples_[2] = samples_[2].substr(37 * 588 * 4);
    ExpectTracks(ListConvertSources({sheet}).sources, sheet);
    const std::string inside = Make("inside.flac", "cp " + flac + " {OUT}");
    ASSERT_EQ(
        RunCommand("metaflac --import-cuesheet-from='" + sheet + "' '" + inside + "' 2>/dev/null"),
        0);
    ExpectTracks(ListConvertSources({inside}).sources, inside);
    EXPECT_EQ(SourceCodecOf({inside, 1, ""}), SourceCodec::flac);
}

TEST_F(ConvertSourceTest, DamagedAndForeignFilesAreErrorsNotCrashes) {
    const std::string flac = Make("whole.flac", "flac -s {IN} -o {OUT}");
    const std::string mp3 = Make("whole.mp3", "lame {IN} {OUT}");
    const std::string cut = ReadWholeFile(flac);
    WriteWholeFile(dir_.File("cut.flac"), cut.substr(0, cut.size() / 2));
    const std::string mp3Bytes = ReadWholeFile(mp3);
    WriteWholeFile(dir_.File("cut.mp3"), mp3Bytes.substr(0, mp3Bytes.size() / 2));
    std::string flipped = cut;
    for (size_t at = cut.size() / 2; at < cut.size() / 2 + 200; ++at) {
        flipped[at] = static_cast<char>(flipped[at] ^ 0x5A);
    }
    WriteWholeFile(dir_.File("flipped.flac"), flipped);
    std::string noise(20000, '\0');
    for (size_t i = 0; i < noise.size(); ++i) {
        noise[i] = static_cast<char>((i * 2654435761u) >> 13);
    }
    WriteWholeFile(dir_.File("noise.mp3"), noise);
    WriteWholeFile(dir_.File("text.wma"), "not audio at all\n");
    // A playlist would have FFmpeg read the files it names: it is no audio file of ours.
    WriteWholeFile(dir_.File("list.m3u8"),
                   "#EXTM3U\n#EXT-X-TARGETDURATION:10\n#EXTINF:10,\nwhole.mp3\n#EXT-X-ENDLIST\n");
    WriteWholeFile(dir_.File("head.flac"), cut.substr(0, 30));
    for (const char* name : {"cut.flac", "cut.mp3", "flipped.flac", "noise.mp3", "text.wma",
                             "head.flac", "list.m3u8"}) {
        SCOPED_TRACE(name);
        const Decoded decoded = DecodeFile(dir_.File(name));
        EXPECT_NE(decoded.error.find(name), std::string::npos) << decoded.error;
    }
    for (const char* name : {"text.wma", "list.m3u8"}) {
        EXPECT_EQ(DecodeFile(dir_.File(name)).error,
                  std::string(name) + " is not an audio file we can decode");
    }
    EXPECT_EQ(DecodeFile(dir_.File("gone.mp3")).error,
              "Cannot open gone.mp3: no such file or directory");
}

// A FLAC file whose frames are whole but whose samples differ from its MD5 signature converts
// unless the check is asked for; one with more samples than its header says fails either way.
TEST_F(ConvertSourceTest, FlacSignatureIsCheckedWhenAskedAndExtraSamplesAlways) {
    const std::string whole = ReadWholeFile(Make("whole.flac", "flac -s {IN} -o {OUT}"));
    // STREAMINFO follows "fLaC" and its block header: the sample count ends at byte 25 (its low
    // 32 bits in 22..25), the MD5 signature is bytes 26..41.
    std::string resigned = whole;
    resigned[30] = static_cast<char>(resigned[30] ^ 0x01);
    WriteWholeFile(dir_.File("resigned.flac"), resigned);
    std::string shortHeader = whole;
    uint32_t count = 0;
    for (size_t at = 22; at < 26; ++at) {
        count = count << 8 | static_cast<uint8_t>(whole[at]);
    }
    count -= 4096;
    for (size_t at = 25; at >= 22; --at, count >>= 8) {
        shortHeader[at] = static_cast<char>(count & 0xFF);
    }
    WriteWholeFile(dir_.File("short-header.flac"), shortHeader);
    const std::string samples = DecodeFile(dir_.File("whole.flac")).bytes;
    ASSERT_FALSE(samples.empty());

    using enum FlacSignatureCheck;
    struct Case {
        const char* name;
        FlacSignatureCheck check;
        const char* error;  // "" when it decodes whole, to the same samples
    };
    const Case cases[] = {
        {"whole.flac", on, ""},
        {"resigned.flac", off, ""},
        {"resigned.flac", on, "its samples do not match the MD5 signature the file holds"},
        {"short-header.flac", off, "it holds more samples than its header says"},
        {"short-header.flac", on, "it holds more samples than its header says"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + (c.check == on ? " checked" : ""));
        const Decoded decoded = DecodeSource({dir_.File(c.name), -1, ""}, c.check);
        if (*c.error == '\0') {
            EXPECT_EQ(decoded.error, "");
            EXPECT_TRUE(decoded.bytes == samples);
        } else {
            EXPECT_TRUE(decoded.error.starts_with(std::string(c.name) + " is damaged at "));
            EXPECT_TRUE(decoded.error.ends_with(c.error)) << decoded.error;
        }
    }
}

TEST_F(ConvertSourceTest, FolderListingSortsRecursesAndRefuses) {
    std::filesystem::create_directories(dir_.File("b/c"));
    Make("b/c/z.ogg", "oggenc -Q {IN} -o {OUT}");
    Make("b/a.mp3", "lame {IN} {OUT}");
    WriteWholeFile(dir_.File("b/notes.txt"), "x");
    std::filesystem::create_directory_symlink(dir_.File("b"), dir_.File("b/c/loop"));
    const std::string locked = Make("b/locked.flac", "flac -s {IN} -o {OUT}");
    chmod(locked.c_str(), 0);
    const bool root = geteuid() == 0;  // reads everything
    const SourceListing listing = ListConvertSources({dir_.File("b"), dir_.File("none.wav"), wav_});
    std::vector<std::pair<std::string, std::string>> found;
    for (const ConvertSource& source : listing.sources) {
        found.emplace_back(source.path, source.root);
    }
    std::vector<std::pair<std::string, std::string>> expected = {
        {dir_.File("b/a.mp3"), dir_.File("b")},
        {dir_.File("b/c/z.ogg"), dir_.File("b")},
        {wav_, ""}};
    if (root) {
        expected.insert(expected.begin() + 2, {locked, dir_.File("b")});
    }
    EXPECT_EQ(found, expected);
    ASSERT_EQ(listing.refused.size(), root ? 1u : 2u);
    EXPECT_EQ(listing.refused.back().first, dir_.File("none.wav"));
    if (!root) {
        EXPECT_EQ(listing.refused.front().first, locked);
        EXPECT_NE(listing.refused.front().second.find("permission denied"), std::string::npos);
    }
}

}  // namespace
}  // namespace disctrove
