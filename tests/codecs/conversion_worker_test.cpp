#include "codecs/conversion_worker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stop_token>

#include "audio/pcm_source.h"
#include "audio/unique_file.h"
#include "audio/wav_file.h"
#include "codecs/wma_encoder.h"
#include "support/all_records.h"
#include "support/audio_files.h"
#include "support/scoped_environment.h"
#include "support/scripted_worker.h"
#include "support/temp_dir.h"
#include "work/file_names.h"

namespace disctrove {
namespace {

using testing::MakeSineWav;
using testing::TempDir;

class ConversionWorkerTest : public ::testing::Test {
  protected:
    ConversionWorkerTest() {
        settings_.Outfolder = dir_.path() + "/out";
        std::filesystem::create_directories(settings_.Outfolder);
        settings_.wavSourcePath = MakeSineWav(dir_.path(), "my song.wav", 44100, 2, 16, 1);
        stop_ = std::stop_source();  // a new run
        context_.stop = stop_.get_token();
        settings_.finished = 0;
    }
    int Convert(EncoderKind kind) {
        settings_.WAVEncoder = kind;
        settings_.finished = 0;
        return ConversionWorker(context_, progress_, result_);
    }

    TempDir dir_;
    testing::AllRecords settings_;
    Track progress_;
    TrackResult result_;
    testing::RecordingNotifications notes_;
    testing::ScriptedQuestions questions_;
    std::stop_source stop_;  // the Stop of the one who runs the worker
    WorkerContext context_{settings_, settings_,  settings_, settings_,
                           notes_,    questions_, {},        stop_.get_token()};
};

TEST_F(ConversionWorkerTest, EachFormatIntoTheOutputFolder) {
    settings_.pageFormats.mp3.cbrIndex = 10;  // the page's values, not the main group's
    for (const auto& [kind, name] :
         {std::pair{kEncoderOgg, "my song.ogg"}, std::pair{kEncoderMp3, "my song.mp3"},
          std::pair{kEncoderWma, "my song.wma"}, std::pair{kEncoderFlac, "my song.flac"}}) {
        EXPECT_EQ(Convert(kind), 0);
        EXPECT_EQ(progress_.status, kStatusCompleted) << name;
        EXPECT_EQ(progress_.title, "my song");
        EXPECT_EQ(progress_.index, -1);
        EXPECT_EQ(settings_.finished, 1);
        EXPECT_FALSE(testing::DecodeWithFfmpeg(settings_.Outfolder + "/" + name).empty()) << name;
    }
    EXPECT_EQ(notes_.finishedCount, 4);
    EXPECT_NE(testing::CommandOutput("ffprobe -v error -show_entries stream=bit_rate '" +
                                     settings_.Outfolder + "/my song.mp3'")
                  .find("bit_rate=192000"),
              std::string::npos);
}

// A WAV file converted with nothing known of it (no artist, album or year; ReplayGain on) gets
// its title and gains, and no stand-in ("Unknown artist", "2000", track 1) in its tags.
// Only the ID3v1 tag, whose fields are fixed, keeps its stand-ins.
TEST_F(ConversionWorkerTest, TagsHoldOnlyWhatIsKnown) {
    for (const auto& [kind, name] :
         {std::pair{kEncoderMp3, "my song.mp3"}, std::pair{kEncoderWma, "my song.wma"},
          std::pair{kEncoderOgg, "my song.ogg"}}) {
        ASSERT_EQ(Convert(kind), 0);
        ASSERT_EQ(progress_.status, kStatusCompleted) << name;
        const std::string path = settings_.Outfolder + "/" + name;
        // ffprobe reads an MP3 file's ID3v2 tag (the ID3v1 tag only when there is none).
        const std::string tags = testing::CommandOutput(
            "ffprobe -v error -show_entries format_tags:stream_tags '" + path + "'");
        EXPECT_NE(tags.find("=my song\n"), std::string::npos) << name << "\n" << tags;
        EXPECT_NE(tags.find("REPLAYGAIN_TRACK_GAIN"), std::string::npos) << name;
        for (const char* invented :
             {"Unknown", "2000", "artist", "Author", "album", "date", "Year", "track"}) {
            EXPECT_EQ(tags.find(invented), std::string::npos) << name << ": " << invented;
        }
    }
}

// Files at the edges, converted to every format: what the library encodes is encoded (a
// setting it must change is told in the status), what it cannot take is refused with a message
// before anything is made, and a header cannot make the reader allocate what it claims.
TEST_F(ConversionWorkerTest, FilesAtTheEdgesInEveryFormat) {
    const std::string mono22 = MakeSineWav(dir_.path(), "mono22.wav", 22050, 1, 16, 1);
    // 8 Hz, one channel, 40 samples.
    const std::string slow = dir_.File("slow.wav");
    {
        UniqueFile file = OpenFile(slow, "wb");
        WritePcmWavHeader(file.get(), 1, 8, 16, 80);
        const std::string samples(80, '\x10');
        std::fwrite(samples.data(), 1, samples.size(), file.get());
    }
    // 44 bytes claiming 65,535 channels of 512-bit samples.
    const std::string hostile = dir_.File("hostile.wav");
    std::string header = testing::ReadWholeFile(mono22).substr(0, 44);
    header[22] = header[23] = '\xFF';
    header[34] = 0;
    header[35] = 2;
    header.replace(40, 4, std::string(4, '\0'));
    testing::WriteWholeFile(hostile, header);
    const std::string flac = dir_.File("song.flac");
    ASSERT_EQ(testing::RunCommand("flac -s -o '" + flac + "' '" + mono22 + "'"), 0);

    const std::string made = "made";  // completed, the file as ffprobe sees it below
    const std::string unsupported(PcmSourceMessage(PcmSourceError::unsupported));
    const std::string notWav(PcmSourceMessage(PcmSourceError::notWav));
    struct Case {
        std::string source;
        EncoderKind kind;
        std::string outcome;      // "made", or the first message
        std::string stream = {};  // ffprobe's rate,channels
        std::string note = {};
    };
    const Case cases[] = {
        {mono22, kEncoderOgg, made, "22050,1"},
        {mono22, kEncoderMp3, made, "22050,1"},
        {mono22, kEncoderWma, made, "22050,2",
         "WMA made stereo from a mono source, 32 kbit/s, not 96"},
        {mono22, kEncoderFlac, made, "22050,1"},
        {mono22, kEncoderOpus, made, "48000,1"},
        {slow, kEncoderMp3, made, "8000,1", "MP3 made at 8000 Hz, not 8; 64 kbit/s, not 128"},
        {slow, kEncoderWma, kWmaFormatMessage},
        {slow, kEncoderOpus,
         "Opus cannot encode samples at 8 Hz.\nThe sample rate must be between 100 and 768000 Hz."},
        {hostile, kEncoderOgg, unsupported},
        {hostile, kEncoderMp3, unsupported},
        {hostile, kEncoderWma, unsupported},
        {hostile, kEncoderFlac, unsupported},
        {hostile, kEncoderOpus, unsupported},
        {flac, kEncoderOgg, notWav},
        {flac, kEncoderMp3, notWav},
    };
    for (const Case& c : cases) {
        const std::string name = c.source + " to " + std::string(kEncoderNames[c.kind]);
        std::filesystem::remove_all(settings_.Outfolder);
        std::filesystem::create_directories(settings_.Outfolder);
        questions_.informed.clear();
        settings_.wavSourcePath = c.source;
        ASSERT_EQ(Convert(c.kind), 0) << name;
        if (c.outcome != made) {
            EXPECT_EQ(progress_.status, kStatusError) << name;
            ASSERT_FALSE(questions_.informed.empty()) << name;
            EXPECT_EQ(questions_.informed[0], c.outcome) << name;
            EXPECT_TRUE(std::filesystem::is_empty(settings_.Outfolder)) << name;  // nor hidden
            continue;
        }
        EXPECT_EQ(progress_.status, kStatusCompleted) << name;
        EXPECT_EQ(result_.encodeNote, c.note) << name;
        EXPECT_TRUE(questions_.informed.empty()) << name;
        const std::string output = ConvertOutputPath(settings_, c.source);
        std::string stream = testing::CommandOutput(
            "ffprobe -v error -select_streams a:0 -show_entries stream=sample_rate,channels "
            "-of default=nw=1:nk=1 '" +
            output + "'");
        std::replace(stream.begin(), stream.end(), '\n', ',');
        EXPECT_EQ(stream, c.stream + ",") << name;
    }
}

TEST_F(ConversionWorkerTest, MissingLameIsToldAndEndsAsAnError) {
    const testing::ScopedEnvironment lame("DISCTROVE_LAME_LIBRARY", "/nonexistent/libmp3lame.so.0");
    EXPECT_EQ(Convert(kEncoderMp3), 0);
    EXPECT_EQ(progress_.status, kStatusError);
    ASSERT_EQ(questions_.informed.size(), 1u);
    EXPECT_EQ(questions_.informed[0].rfind("Error loading LAME encoder dll\n", 0), 0u);
    EXPECT_EQ(notes_.finishedCount, 1);
}

TEST_F(ConversionWorkerTest, AStoppedFlacLeavesNoHalfFile) {
    stop_.request_stop();  // Stop, before the first block is encoded
    EXPECT_EQ(Convert(kEncoderFlac), 0);
    EXPECT_EQ(progress_.status, kStatusStopped);
    EXPECT_FALSE(std::filesystem::exists(settings_.Outfolder + "/my song.flac"));
}

// The decode command goes by what a file holds, and by its name only when that says nothing.
TEST_F(ConversionWorkerTest, DecodePicksTheDecoderByContentThenName) {
    const std::string& wav = settings_.wavSourcePath;
    const std::string flacNamedOgg = dir_.File("flac.ogg");
    const std::string oggNamedFlac = dir_.File("ogg.flac");
    ASSERT_EQ(testing::RunCommand("flac -s -o '" + flacNamedOgg + "' '" + wav + "'"), 0);
    ASSERT_EQ(testing::RunCommand("oggenc -Q -o '" + oggNamedFlac + "' '" + wav + "'"), 0);
    for (const auto& [path, format] : {
             std::pair{flacNamedOgg, DecodeFormat::flac},
             std::pair{oggNamedFlac, DecodeFormat::oggVorbis},
             std::pair{dir_.File("missing.FLAC"), DecodeFormat::flac},
             std::pair{dir_.File("missing.opus"), DecodeFormat::opus},
             std::pair{dir_.File("missing.mp3"), DecodeFormat::oggVorbis},  // "Cannot open"
             std::pair{wav, DecodeFormat::unknown},
         }) {
        EXPECT_EQ(DecodeFormatOf(path), format) << path;
    }
    // decode x.mp3: told what the command decodes, not that it is no Ogg Vorbis file.
    const std::string mp3 = dir_.File("x.mp3");
    ASSERT_EQ(testing::RunCommand("ffmpeg -v error -i '" + wav + "' '" + mp3 + "'"), 0);
    settings_.decodeSourcePath = mp3;
    settings_.wavSourcePath = settings_.Outfolder + "/x.wav";
    EXPECT_EQ(DecodeWorker(context_, progress_), -1);
    EXPECT_EQ(progress_.status, kStatusError);
    EXPECT_EQ(questions_.informed, std::vector<std::string>{kNotDecodableMessage});
    EXPECT_EQ(settings_.finished, 1);
    EXPECT_TRUE(std::filesystem::is_empty(settings_.Outfolder));
}

}  // namespace
}  // namespace disctrove
