#include "codecs/conversion_worker.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "support/audio_files.h"
#include "support/scoped_environment.h"
#include "support/scripted_worker.h"
#include "support/temp_dir.h"

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
        settings_.ripping = 1;
        settings_.finished = 0;
    }
    int Convert(EncoderKind kind) {
        settings_.WAVEncoder = kind;
        settings_.finished = 0;
        return ConversionWorker(context_, progress_);
    }

    TempDir dir_;
    Settings settings_;
    Track progress_;
    testing::RecordingNotifications notes_;
    testing::ScriptedQuestions questions_;
    WorkerContext context_{settings_, notes_, questions_, {}};
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

TEST_F(ConversionWorkerTest, MissingLameIsToldAndEndsAsAnError) {
    const testing::ScopedEnvironment lame("DISCTROVE_LAME_LIBRARY", "/nonexistent/libmp3lame.so.0");
    EXPECT_EQ(Convert(kEncoderMp3), 0);
    EXPECT_EQ(progress_.status, kStatusError);
    ASSERT_EQ(questions_.informed.size(), 1u);
    EXPECT_EQ(questions_.informed[0].rfind("Error loading LAME encoder dll\n", 0), 0u);
    EXPECT_EQ(notes_.finishedCount, 1);
}

TEST_F(ConversionWorkerTest, AStoppedFlacLeavesNoHalfFile) {
    settings_.ripping = 0;  // Stop, before the first block is encoded
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
             std::pair{wav, DecodeFormat::oggVorbis},
         }) {
        EXPECT_EQ(DecodeFormatOf(path), format) << path;
    }
}

}  // namespace
}  // namespace disctrove
