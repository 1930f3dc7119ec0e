#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "app/settings_path.h"
#include "front/settings.h"

namespace disctrove {
namespace {

TEST(SettingsDefaults, SetDefaultSettingsResetsEveryField) {
    Settings s;
    s.Encoder = kEncoderWav;
    s.formats.ogg.vbr = 1;
    s.folderHistory = {"/x"};
    s.templateHistory = {"$t"};
    s.tracks.resize(2);
    s.cddbReply = "x";
    s.ripping = 1;
    s.finished = 0;
    s.currentTrack = 4;
    SetDefaultSettings(s);
    EXPECT_EQ(s.Encoder, kEncoderMp3);
    EXPECT_EQ(s.formats, FormatGroups{});
    EXPECT_EQ(s.formats.ogg, (OggFormat{0, 1, 0, 0, 1, 0, 0, 0, 3, 9}));
    EXPECT_EQ(s.formats.mp3, (Mp3Format{0, 1, 8, 0, 2, 10, 5}));
    EXPECT_TRUE(s.folderHistory.empty());
    EXPECT_EQ(s.templateHistory,
              (std::vector<std::string>{"$a-$t", "$n-$t", "$l-$n-$t", "$a-$l-$n-$t"}));
    EXPECT_TRUE(s.tracks.empty());
    EXPECT_TRUE(s.cddbReply.empty());
    EXPECT_EQ(s.ripping, 0);
    EXPECT_EQ(s.finished, 1);
    EXPECT_EQ(s.currentTrack, -1);
    EXPECT_EQ(s.Server, "gnudb.gnudb.org");
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
