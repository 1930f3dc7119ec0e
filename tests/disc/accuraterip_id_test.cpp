#include "disc/accuraterip_id.h"

#include <gtest/gtest.h>

#include <vector>

namespace disctrove {
namespace {

struct TocEntry {
    int32_t start;  // as the table of contents gives it, without the 150-sector lead-in
    bool data;
};

platform::Toc MakeToc(const std::vector<TocEntry>& tracks, int32_t leadOut) {
    platform::Toc toc;
    for (size_t i = 0; i < tracks.size(); ++i) {
        toc.tracks.push_back({static_cast<int>(i) + 1, tracks[i].start, tracks[i].data, false});
    }
    toc.leadOut = leadOut;
    return toc;
}

TEST(AccurateRipDiscId, EnhancedCdCountsItsAudioTracksUpToTheTrueLeadOut) {
    std::vector<TocEntry> tracks;
    for (const int32_t start :
         {150, 12767, 40487, 63225, 93410, 118115, 151865, 184340, 215260, 247455}) {
        tracks.push_back({start - 150, false});
    }
    tracks.push_back({281735 - 150, true});
    const auto id = ComputeAccurateRipDiscId(MakeToc(tracks, 333801 - 150), 0x9e11600b);
    EXPECT_EQ(AccurateRipIdText(id), "010-00164419-00b9f6e2-9e11600b");
}

TEST(AccurateRipDiscId, MixedModeLeavesTheDataTrackOut) {
    const auto mixed =
        ComputeAccurateRipDiscId(MakeToc({{0, true}, {9000, false}, {20000, false}}, 30000), 1);
    const auto audioOnly =
        ComputeAccurateRipDiscId(MakeToc({{9000, false}, {20000, false}}, 30000), 1);
    EXPECT_EQ(mixed.audioTracks, 2u);
    EXPECT_EQ(mixed.id1, 9000u + 20000 + 30000);
    EXPECT_EQ(mixed.id2, 9000u * 1 + 20000 * 2 + 30000 * 3);
    EXPECT_EQ(AccurateRipIdText(mixed), AccurateRipIdText(audioOnly));
    // A track at sector 0 counts as 1 in the second ID.
    EXPECT_EQ(ComputeAccurateRipDiscId(MakeToc({{0, false}}, 100), 1).id2, 1u + 100 * 2);
}

}  // namespace
}  // namespace disctrove
