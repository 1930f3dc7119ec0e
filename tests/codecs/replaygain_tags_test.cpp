#include "codecs/replaygain_tags.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "tools/music.h"

namespace disctrove {
namespace {

using testing::CommandOutput;
using testing::RunCommand;

// The gain comments ffprobe finds in the file (the format's, or the audio stream's), sorted.
std::set<std::string> GainTags(const std::string& path) {
    const std::string keys =
        "=REPLAYGAIN_TRACK_GAIN,REPLAYGAIN_TRACK_PEAK,REPLAYGAIN_ALBUM_GAIN,REPLAYGAIN_ALBUM_PEAK,"
        "R128_TRACK_GAIN,R128_ALBUM_GAIN";
    std::istringstream lines(CommandOutput("ffprobe -v error -show_entries format_tags" + keys +
                                           ":stream_tags" + keys +
                                           " -of default=noprint_wrappers=1 '" + path + "'"));
    std::set<std::string> tags;
    for (std::string line; std::getline(lines, line);) {
        tags.insert(line);
    }
    return tags;
}

// FLAC and Opus files as their own tools make them: Vorbis comments in FLAC, R128 gains (and
// nothing else) in Opus; tagging again replaces the values; both files stay sound.
TEST(ReplayGainTags, FlacAndOpusFilesOfTheirTools) {
    testing::TempDir dir;
    const std::string wav = dir.File("music.wav");
    testing::WriteStereoWav(wav, testing::SynthesizeMusic(2));
    const std::string flac = dir.File("music.flac");
    const std::string opus = dir.File("music.opus");
    ASSERT_EQ(RunCommand("flac -s -o '" + flac + "' '" + wav + "'"), 0);
    ASSERT_EQ(RunCommand("opusenc --quiet '" + wav + "' '" + opus + "'"), 0);
    const Loudness track{-6.524, 0.998};
    const Loudness album{-7.0, 1.0};
    for (const std::string& path : {flac, opus}) {
        const EncoderKind kind = path == flac ? kEncoderFlac : kEncoderOpus;
        ASSERT_TRUE(WriteReplayGain(path, kind, {1.0, 0.5}, {2.0, 0.5}));
        ASSERT_TRUE(WriteReplayGain(path, kind, track, album));
    }
    EXPECT_EQ(GainTags(flac),
              (std::set<std::string>{
                  "TAG:REPLAYGAIN_TRACK_GAIN=-6.52 dB", "TAG:REPLAYGAIN_TRACK_PEAK=0.998000",
                  "TAG:REPLAYGAIN_ALBUM_GAIN=-7.00 dB", "TAG:REPLAYGAIN_ALBUM_PEAK=1.000000"}));
    // (-6.524 - 5) * 256 = -2950.1 and (-7 - 5) * 256 = -3072: relative to -23 LUFS.
    EXPECT_EQ(GainTags(opus),
              (std::set<std::string>{"TAG:R128_TRACK_GAIN=-2950", "TAG:R128_ALBUM_GAIN=-3072"}));
    EXPECT_EQ(RunCommand("flac -s -t '" + flac + "'"), 0);
    EXPECT_EQ(RunCommand("opusinfo '" + opus + "' >/dev/null"), 0);
    EXPECT_FALSE(WriteReplayGain(wav, kEncoderFlac, track, album));  // not a FLAC file
}

}  // namespace
}  // namespace disctrove
