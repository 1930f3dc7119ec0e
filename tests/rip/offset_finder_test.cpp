#include "rip/offset_finder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/accuraterip_stage.h"
#include "disc/disc.h"
#include "platform/cdrom/simulated_disc.h"
#include "support/all_records.h"
#include "support/disc_images.h"
#include "support/scripted_worker.h"
#include "support/temp_dir.h"

namespace disctrove {
namespace {

constexpr uint32_t kTrackSectors = 600;
constexpr int kTracks = 3;

// The AccurateRip checksums of the simulated disc's audio at its true place: what the database
// holds of a disc that other rippers ripped right. The frame-450 checksum is the v1 sum of sector
// 450 taken as a track of its own.
AccurateRipPressing TruePressing() {
    AccurateRipPressing pressing;
    std::vector<uint8_t> audio(kTrackSectors * 2352);
    for (int t = 0; t < kTracks; ++t) {
        platform::FillSimulatedAudio(int64_t{t} * kTrackSectors * 588, kTrackSectors * 588,
                                     audio.data());
        AccurateRipStage whole(kTrackSectors * 588, t == 0, t + 1 == kTracks);
        whole.Take(audio);
        AccurateRipStage sector450(588, false, false);
        sector450.Take(std::span(audio).subspan(450 * 2352, 2352));
        pressing.tracks.push_back({12, whole.sums().v1, sector450.sums().v1});
    }
    return pressing;
}

class OffsetFinderTest : public ::testing::Test {
  protected:
    void SetUp() override { platform::ClearDiscImages(); }
    void TearDown() override { platform::ClearDiscImages(); }

    OffsetFinding Find(const std::string& drive,
                       const std::vector<AccurateRipPressing>& pressings) {
        std::string disc = drive;
        for (int t = 0; t < kTracks; ++t) {
            disc += "track audio " + std::to_string(kTrackSectors) + "\n";
        }
        testing::AddImage(testing::WriteSimulatedDisc(dir_.path(), "disc", disc));
        records_.drives.clear();
        BuildDriveList(records_);
        records_.Cdrom = static_cast<int32_t>(records_.drives.size()) - 1;
        EXPECT_EQ(ReadDisc(records_, records_, records_.Cdrom), 0);
        said_.clear();
        return FindReadOffset(context_, pressings,
                              [this](const std::string& line) { said_ += line + "\n"; });
    }

    testing::TempDir dir_;
    testing::AllRecords records_;
    testing::RecordingNotifications notes_;
    testing::ScriptedQuestions questions_;
    WorkerContext context_{records_, records_, records_, records_, notes_, questions_};
    std::string said_;
};

// The offset of a drive that reads early or late, common or not, is found and confirmed by two
// whole tracks, in every read mode.
TEST_F(OffsetFinderTest, FindsTheDrivesOffset) {
    for (const int32_t jitter : {1, kJitterSecure}) {
        records_.Jitter = jitter;
        for (const int32_t offset : {6, 667, -30, 1234}) {
            const OffsetFinding found =
                Find("offset " + std::to_string(offset) + "\n", {TruePressing()});
            EXPECT_EQ(found.outcome, OffsetFinding::Outcome::found) << offset << "\n" << said_;
            EXPECT_EQ(found.offset, offset) << said_;
            EXPECT_EQ(found.confirmedTracks, 2u);
            EXPECT_EQ(found.confidence, 12u);
            const bool common = offset == 6 || offset == 667;
            EXPECT_EQ(said_.find("Searching every offset") == std::string::npos, common) << said_;
        }
    }
    EXPECT_NE(said_.find("Offset +6: 0 of 3 tracks match at sector 450\n"), std::string::npos);
    EXPECT_NE(said_.find("Track 02 read whole at +1234: accurate (12)\n"), std::string::npos);
    EXPECT_NE(said_.find("The drive's read offset is +1234 (confidence 12, confirmed with 2 "
                         "tracks).\n"),
              std::string::npos)
        << said_;
    EXPECT_TRUE(questions_.informed.empty());
}

TEST_F(OffsetFinderTest, SaysWhenTheDiscCannotShowIt) {
    EXPECT_EQ(Find("offset 6\n", {}).outcome, OffsetFinding::Outcome::notInDatabase);
    EXPECT_NE(said_.find("not in the AccurateRip database"), std::string::npos);
    AccurateRipPressing other = TruePressing();
    for (auto& track : other.tracks) {
        track.frame450 ^= 0x5A5A5A5A;  // another disc's audio
    }
    EXPECT_EQ(Find("offset 6\n", {other}).outcome, OffsetFinding::Outcome::noMatch);
    EXPECT_NE(said_.find("No offset from -2939 to +2939"), std::string::npos) << said_;
    AccurateRipPressing wholeDiffers = TruePressing();
    for (auto& track : wholeDiffers.tracks) {
        track.checksum ^= 1;
    }
    EXPECT_EQ(Find("offset 6\n", {wholeDiffers}).outcome, OffsetFinding::Outcome::notConfirmed);
}

}  // namespace
}  // namespace disctrove
