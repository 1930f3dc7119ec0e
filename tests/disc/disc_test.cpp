#include "disc/disc.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>

#include "support/all_records.h"
#include "support/disc_images.h"
#include "support/temp_dir.h"
#include "tools/cue_image.h"

namespace disctrove {
namespace {

using testing::ImageTrack;
using testing::MakeCueImage;
using testing::TempDir;

class DiscTest : public ::testing::Test {
  protected:
    void SetUp() override { platform::ClearDiscImages(); }
    void TearDown() override { platform::ClearDiscImages(); }

    // Makes an image, puts it in the drive list and chooses it.
    void UseImage(const std::vector<ImageTrack>& tracks) {
        const std::string cue = MakeCueImage(dir_.path(), "disc", tracks);
        testing::AddImage(cue);
        settings_.drives.clear();
        BuildDriveList(settings_);
        settings_.Cdrom = static_cast<int32_t>(settings_.drives.size()) - 1;
        ASSERT_EQ(settings_.drives.back().name, cue);
    }

    TempDir dir_;
    testing::AllRecords settings_;
};

TEST_F(DiscTest, DriveListRecords) {
    UseImage({{false, 100}});
    const Drive& drive = settings_.drives.back();
    EXPECT_EQ(drive.discId, kNoDiscId);
    EXPECT_EQ(drive.handleRequest.size, 12);
    EXPECT_EQ(drive.handleRequest.version, 1);
    EXPECT_EQ(drive.handleRequest.hostAdapter, settings_.drives.size() - 1);
    EXPECT_TRUE(drive.toc.tracks.empty());
}

TEST_F(DiscTest, AllAudioDisc) {
    std::vector<ImageTrack> tracks;
    for (uint32_t i = 0; i < 12; ++i) {
        tracks.push_back({false, 1000 + i * 10});
    }
    tracks[4].sectors = 18067;  // 4 minutes 0.9 seconds
    UseImage(tracks);
    ASSERT_EQ(ReadDisc(settings_, settings_, settings_.Cdrom), 0);
    ASSERT_EQ(settings_.tracks.size(), 12u);
    int32_t start = 0;
    for (size_t i = 0; i < 12; ++i) {
        const Track& track = settings_.tracks[i];
        EXPECT_EQ(track.index, static_cast<int32_t>(i));
        EXPECT_EQ(track.title, (i < 9 ? "Track 0" : "Track ") + std::to_string(i + 1));
        EXPECT_EQ(track.startSector, start);
        EXPECT_EQ(track.lengthSectors, tracks[i].sectors);
        EXPECT_EQ(track.status, kStatusNone);
        EXPECT_EQ(track.marked, 0);
        start += static_cast<int32_t>(tracks[i].sectors);
    }
    EXPECT_EQ(settings_.tracks[4].lengthSeconds, 240);
    EXPECT_NE(settings_.drives.back().discId, kNoDiscId);
    EXPECT_EQ(settings_.drives.back().toc.tracks.back().number, 12);
}

TEST_F(DiscTest, DataTrackFirstIsLeftOutAndNumberingFollowsTheList) {
    UseImage({{true, 3000}, {false, 500}, {false, 700}});
    ASSERT_EQ(ReadDisc(settings_, settings_, settings_.Cdrom), 0);
    ASSERT_EQ(settings_.tracks.size(), 2u);
    EXPECT_EQ(settings_.tracks[0].title, "Track 01");
    EXPECT_EQ(settings_.tracks[0].index, 0);
    EXPECT_EQ(settings_.tracks[0].startSector, 3000);
    EXPECT_EQ(settings_.tracks[1].title, "Track 02");
    EXPECT_EQ(settings_.tracks[1].lengthSectors, 700u);
}

TEST_F(DiscTest, DataTrackLastEndsTheAudioBeforeIt) {
    UseImage({{false, 500}, {false, 700}, {true, 4000}});
    ASSERT_EQ(ReadDisc(settings_, settings_, settings_.Cdrom), 0);
    ASSERT_EQ(settings_.tracks.size(), 2u);
    EXPECT_EQ(settings_.tracks[1].startSector, 500);
    EXPECT_EQ(settings_.tracks[1].lengthSectors, 700u);
}

TEST_F(DiscTest, TracksTakeTheEncoderAndItsFormat) {
    UseImage({{false, 100}, {false, 100}});
    settings_.Encoder = kEncoderOgg;
    settings_.formats.ogg.vbr = 4;
    ASSERT_EQ(ReadDisc(settings_, settings_, settings_.Cdrom), 0);
    EXPECT_EQ(settings_.tracks[1].encoder, kEncoderOgg);
    EXPECT_EQ(settings_.tracks[1].format.As<OggFormat>().vbr, 4);

    settings_.formats.wma.bitrateIndex = 2;
    settings_.tracks[0].status = 100;
    ASSERT_TRUE(ApplyEncoderToAllTracks(settings_, settings_, settings_, kEncoderWma));
    EXPECT_EQ(settings_.Encoder, kEncoderWma);
    for (const Track& track : settings_.tracks) {
        EXPECT_EQ(track.encoder, kEncoderWma);
        EXPECT_EQ(track.format, TrackFormat::From(settings_.formats.wma));
        EXPECT_EQ(track.status, kStatusNone);  // neither "Completed" nor "0%": not ripped so
    }
    settings_.ripping = 1;
    EXPECT_FALSE(ApplyEncoderToAllTracks(settings_, settings_, settings_, kEncoderWav));
    EXPECT_EQ(settings_.tracks[0].encoder, kEncoderWma);
}

// Disc A named, then disc B read: B starts unnamed; A read again after a refresh keeps its
// names; names set for no disc yet (an older settings file) are taken by the disc read next.
TEST_F(DiscTest, NamesBelongToTheDiscTheyWereSetFor) {
    UseImage({{false, 100}, {false, 100}});
    const int32_t discA = settings_.Cdrom;
    testing::AddImage(MakeCueImage(dir_.path(), "other", {{false, 300}}));
    settings_.drives.clear();
    BuildDriveList(settings_);
    const int32_t discB = static_cast<int32_t>(settings_.drives.size()) - 1;
    const auto name = [this] {
        settings_.Artist = "Artist A";
        settings_.Album = "Album A";
        settings_.Year = "1999";
        settings_.Genre = 18;
    };
    const auto names = [this] {
        return settings_.Artist + "|" + settings_.Album + "|" + settings_.Year + "|" +
               std::to_string(settings_.Genre);
    };
    const std::string named = "Artist A|Album A|1999|18";
    name();  // DiscId "": set before any disc was read
    ASSERT_EQ(ReadDisc(settings_, settings_, discA), 0);
    EXPECT_EQ(names(), named);
    std::array<char, 9> idA{};
    std::snprintf(idA.data(), idA.size(), "%08x", settings_.drives[size_t(discA)].discId);
    EXPECT_EQ(settings_.DiscId, idA.data());
    ASSERT_EQ(ReadDisc(settings_, settings_, discA),
              0);  // refreshed, or reopened with the stored ID
    EXPECT_EQ(names(), named);
    settings_.Cdrom = 7;
    EXPECT_EQ(RefreshDisc(settings_, settings_, settings_, settings_),
              RefreshResult::noAudioCd);  // no disc read: names stay
    EXPECT_EQ(names(), named);
    ASSERT_EQ(ReadDisc(settings_, settings_, discB), 0);
    EXPECT_EQ(names(), "|||0");
    EXPECT_NE(settings_.DiscId, idA.data());
}

TEST_F(DiscTest, RefreshMarksTracksOnlyWithAutocheck) {
    UseImage({{false, 100}, {false, 100}, {false, 100}});
    settings_.lookupRunning = 1;
    settings_.Autocheck = 1;
    EXPECT_EQ(RefreshDisc(settings_, settings_, settings_, settings_), RefreshResult::ready);
    EXPECT_EQ(settings_.currentTrack, 0);
    EXPECT_EQ(settings_.lookupRunning, 0);
    for (const Track& track : settings_.tracks) {
        EXPECT_EQ(track.marked, 1);
    }
    settings_.Autocheck = 0;
    EXPECT_EQ(RefreshDisc(settings_, settings_, settings_, settings_), RefreshResult::ready);
    for (const Track& track : settings_.tracks) {
        EXPECT_EQ(track.marked, 0);
    }
}

TEST_F(DiscTest, RefreshWithoutADiscOrDrive) {
    UseImage({{false, 100}});
    ASSERT_EQ(RefreshDisc(settings_, settings_, settings_, settings_), RefreshResult::ready);
    settings_.Cdrom = 5;  // beyond the list
    EXPECT_EQ(RefreshDisc(settings_, settings_, settings_, settings_), RefreshResult::noAudioCd);
    EXPECT_TRUE(settings_.tracks.empty());
    EXPECT_EQ(settings_.currentTrack, -1);
    EXPECT_EQ(ReadCurrentDiscId(settings_, 5), kNoDiscId);

    testing::AllRecords noDrives;
    EXPECT_EQ(RefreshDisc(noDrives, noDrives, noDrives, noDrives), RefreshResult::noAudioCd);
    EXPECT_TRUE(DiscChanged(noDrives, noDrives.Cdrom));

    // The image disappears, as a disc taken out of the drive.
    settings_.Cdrom = static_cast<int32_t>(settings_.drives.size()) - 1;
    std::remove((dir_.path() + "/disc.cue").c_str());
    EXPECT_EQ(RefreshDisc(settings_, settings_, settings_, settings_), RefreshResult::noAudioCd);
    EXPECT_TRUE(settings_.tracks.empty());
}

TEST_F(DiscTest, RefreshDoesNothingWhileRipping) {
    UseImage({{false, 100}});
    ASSERT_EQ(RefreshDisc(settings_, settings_, settings_, settings_), RefreshResult::ready);
    settings_.ripping = 1;
    settings_.tracks[0].status = 50;
    EXPECT_EQ(RefreshDisc(settings_, settings_, settings_, settings_), RefreshResult::busy);
    EXPECT_EQ(settings_.tracks[0].status, 50);
}

TEST_F(DiscTest, DiscChangeIsNoticed) {
    UseImage({{false, 1000}, {false, 2000}});
    ASSERT_EQ(RefreshDisc(settings_, settings_, settings_, settings_), RefreshResult::ready);
    EXPECT_FALSE(DiscChanged(settings_, settings_.Cdrom));
    const uint32_t before = settings_.drives.back().discId;
    EXPECT_EQ(ReadCurrentDiscId(settings_, settings_.Cdrom), before);

    // Another disc in the same drive: the image is rewritten under the same name.
    MakeCueImage(dir_.path(), "disc", {{false, 1500}, {false, 2000}, {false, 300}});
    EXPECT_TRUE(DiscChanged(settings_, settings_.Cdrom));
    EXPECT_EQ(settings_.drives.back().discId, before);  // the record is not touched
    ASSERT_EQ(RefreshDisc(settings_, settings_, settings_, settings_), RefreshResult::ready);
    EXPECT_FALSE(DiscChanged(settings_, settings_.Cdrom));
    EXPECT_EQ(settings_.tracks.size(), 3u);
}

}  // namespace
}  // namespace disctrove
