#include "platform/cdrom/toc.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/cdrom/drive_handle.h"
#include "support/disc_images.h"
#include "support/temp_dir.h"

namespace disctrove::platform {
namespace {

struct RawEntry {
    uint8_t control;
    int32_t start;
};

// A record as a drive fills it: entries from `firstTrack` on, then the lead-out.
TocRecord Record(uint8_t firstTrack, const std::vector<RawEntry>& tracks, int32_t leadOut) {
    TocRecord record{};
    record.firstTrack = firstTrack;
    record.lastTrack = static_cast<uint8_t>(firstTrack + tracks.size() - 1);
    record.length = static_cast<uint16_t>(2 + 8 * (tracks.size() + 1));
    for (size_t i = 0; i <= tracks.size(); ++i) {
        const RawEntry entry = i < tracks.size() ? tracks[i] : RawEntry{0, leadOut};
        const auto value = static_cast<uint32_t>(entry.start);
        record.tracks[i].adrControl = static_cast<uint8_t>(0x10 | entry.control);
        record.tracks[i].trackNumber =
            i < tracks.size() ? static_cast<uint8_t>(firstTrack + i) : uint8_t{0xAA};
        record.tracks[i].startSector = {
            static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
            static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
    }
    return record;
}

TEST(TocFromRecord, TracksKindsAndLeadOut) {
    struct Case {
        const char* name;
        TocRecord record;
        Toc expected;
    };
    const std::vector<Case> cases = {
        {"audio, pre-emphasis on the second track, a data track last",
         Record(1, {{0, 0}, {kTocControlPreEmphasis, 18067}, {kTocControlData, 70000}}, 90000),
         {{{1, 0, false, false}, {2, 18067, false, true}, {3, 70000, true, false}}, 90000}},
        {"numbers from 3, a data track first, start past 65535 sectors",
         Record(3, {{kTocControlData | 2, 0}, {2, 3000}, {0, 70000}}, 0x123456),
         {{{3, 0, true, false}, {4, 3000, false, false}, {5, 70000, false, false}}, 0x123456}},
        {"one track", Record(1, {{0, 150}}, 1000), {{{1, 150, false, false}}, 1000}},
        {"an empty record", TocRecord{}, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TocFromRecord(c.record), c.expected) << c.name;
    }
}

TEST(DriveHandle, ReadsTheTypedTocAndClosesOnce) {
    ClearDiscImages();
    testing::TempDir dir;
    const std::string simcd = testing::WriteSimulatedDisc(
        dir.path(), "d", "track data 1000\ntrack audio 300\ntrack audio 18067\n");
    DriveHandle first(testing::RequestFor(testing::AddImage(simcd)));
    const CdHandle id = first.get();
    ASSERT_NE(id, 0u);
    const Toc expected{{{1, 0, true, false}, {2, 1000, false, false}, {3, 1300, false, false}},
                       1300 + 18067};
    EXPECT_EQ(first.ReadToc(), expected);
    {
        const DriveHandle moved = std::move(first);
        EXPECT_EQ(moved.get(), id);
        EXPECT_FALSE(first);  // NOLINT(bugprone-use-after-move): a moved handle is empty
    }
    EXPECT_EQ(CloseCDHandle(id), 0);  // closed when `moved` went
    EXPECT_FALSE(DriveHandle().ReadToc());
    ClearDiscImages();
}

// What a drive says it is: a simulated drive's "drive" statement; nothing for an image.
TEST(DriveHandle, TellsWhatTheDriveIs) {
    ClearDiscImages();
    testing::TempDir dir;
    const auto identity = [&](const std::string& statements) {
        const std::string simcd = testing::WriteSimulatedDisc(dir.path(), "d", statements);
        return DriveHandle(testing::RequestFor(testing::AddImage(simcd))).Identity();
    };
    EXPECT_EQ(identity("track audio 300\ndrive  PLEXTOR / CD-R   PX-W4012A / 1.04 \n"),
              (DriveIdentity{"PLEXTOR", "CD-R   PX-W4012A", "1.04"}));
    EXPECT_EQ(identity("drive HL-DT-ST\ntrack audio 300\n"), (DriveIdentity{"HL-DT-ST", "", ""}));
    EXPECT_FALSE(identity("track audio 300\n").known());
    ClearDiscImages();
}

}  // namespace
}  // namespace disctrove::platform
