#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "app/settings_path.h"
#include "front/program_state.h"

namespace disctrove {
namespace {

// What the program starts from before it reads a settings file.
TEST(ProgramStateDefaults, AFreshStateHoldsTheDefaults) {
    const ProgramState s;
    EXPECT_EQ(s.options.Encoder, kEncoderMp3);
    EXPECT_EQ(s.options.formats, FormatGroups{});
    EXPECT_EQ(s.options.formats.ogg, (OggFormat{0, 1, 0, 0, 1, 0, 0, 0, 3, 9}));
    EXPECT_EQ(s.options.formats.mp3, (Mp3Format{0, 1, 8, 0, 2, 10, 5}));
    EXPECT_TRUE(s.options.folderHistory.empty());
    EXPECT_EQ(s.options.templateHistory,
              (std::vector<std::string>{"$a-$t", "$n-$t", "$l-$n-$t", "$a-$l-$n-$t"}));
    EXPECT_EQ(s.options.Server, "gnudb.gnudb.org");
    EXPECT_TRUE(s.disc.tracks.empty());
    EXPECT_TRUE(s.lookup.cddbReply.empty());
    EXPECT_EQ(s.run.ripping, 0);
    EXPECT_EQ(s.run.finished, 1);
    EXPECT_EQ(s.run.currentTrack, -1);
}

TEST(TrackFormats, HoldOneGroupAndZeroTheRest) {
    FormatGroups groups;
    groups.mp3.presetIndex = 22;
    const auto format = TrackFormatFor(kEncoderMp3, groups);
    EXPECT_EQ(format.As<Mp3Format>(), groups.mp3);
    EXPECT_EQ(format.words[6], 22);
    EXPECT_EQ(format.words[7], 0);
    EXPECT_EQ(TrackFormatFor(kEncoderWav, groups).As<WavFormat>(), groups.wav);
    EXPECT_EQ(TrackFormatFor(kEncoderOgg, groups).As<OggFormat>(), groups.ogg);
    EXPECT_EQ(TrackFormatFor(kEncoderWma, groups).words[3], 0);
}

class SettingsPathTest : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = std::getenv("DISCTROVE_INI") ? std::getenv("DISCTROVE_INI") : "";
        unsetenv("DISCTROVE_INI");
    }
    void TearDown() override {
        SetSettingsPathOverride("");
        if (!saved_.empty()) {
            setenv("DISCTROVE_INI", saved_.c_str(), 1);
        }
    }
    std::string saved_;
};

TEST_F(SettingsPathTest, OverrideBeatsEnvironmentWhichBeatsTheExecutablesFolder) {
    std::string folder = std::filesystem::read_symlink("/proc/self/exe").string();
    folder.erase(folder.rfind('/') + 1);
    // The test binary's folder is writable, so that is where a portable install keeps dt.ini.
    EXPECT_EQ(SettingsPath(), folder + "dt.ini");

    setenv("DISCTROVE_INI", "/tmp/env.ini", 1);
    EXPECT_EQ(SettingsPath(), "/tmp/env.ini");
    SetSettingsPathOverride("/tmp/option.ini");
    EXPECT_EQ(SettingsPath(), "/tmp/option.ini");
}

}  // namespace
}  // namespace disctrove
