#include "platform/cdrom/index_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace disctrove::platform {
namespace {

// A drive whose Q subchannel is written out as a table: each track's start, pregap and index
// starts. Sectors in `otherFrames` carry a catalogue-number frame (ADR 2), those in `badCrc` a
// position frame with a spoilt CRC, those in `failing` cannot be read; a drive without a
// subchannel refuses every read of it.
struct TableDisc final : DiscDevice {
    struct Track {
        int32_t start = 0;
        int32_t pregap = 0;                // sectors of INDEX 00 before `start`
        std::vector<int32_t> indexStarts;  // INDEX 02 on
    };
    std::vector<Track> tracks;
    int32_t leadOut = 0;
    std::set<int32_t> otherFrames;
    std::set<int32_t> badCrc;
    std::set<int32_t> failing;
    bool noSubchannel = false;
    std::set<size_t> dataTracks;  // whose sectors, as a drive's, give no frame when read as audio
    int reads = 0;

    DiscLayout Layout() const {
        DiscLayout layout;
        for (size_t i = 0; i < tracks.size(); ++i) {
            layout.tracks.push_back({tracks[i].start, dataTracks.count(i) != 0});
        }
        layout.leadOut = leadOut;
        return layout;
    }

    bool ReadLayout(DiscLayout& layout, ReadError&) override {
        layout = Layout();
        return true;
    }
    bool ReadAudio(int32_t, uint32_t, uint8_t*, bool, ReadError&) override { return false; }
    std::unique_ptr<ParanoiaDrive> OpenParanoiaDrive(std::string&) override { return nullptr; }

    QRead ReadSubchannelQ(int32_t sector, QFrame& frame) override {
        ++reads;
        EXPECT_TRUE(sector >= 0 && sector < leadOut) << sector;
        if (noSubchannel) {
            return QRead::unsupported;
        }
        if (failing.count(sector) != 0) {
            return QRead::failed;
        }
        if (otherFrames.count(sector) != 0) {
            frame = QFrame{0x02, 0x07, 0x24, 0x38, 0x42, 0x60, 0x92, 0x80, 0x00, 0x00};
            return QRead::ok;
        }
        size_t i = 0;
        while (i + 1 < tracks.size() && tracks[i + 1].start - tracks[i + 1].pregap <= sector) {
            ++i;
        }
        const Track& track = tracks[i];
        if (dataTracks.count(sector < track.start ? i - 1 : i) != 0) {
            return QRead::failed;
        }
        const int number = static_cast<int>(i) + 1;
        if (sector < track.start) {
            frame = EncodeQPosition({number, 0, track.start - 1 - sector, sector, 0});
        } else {
            const auto later =
                std::upper_bound(track.indexStarts.begin(), track.indexStarts.end(), sector) -
                track.indexStarts.begin();
            frame = EncodeQPosition(
                {number, 1 + static_cast<int>(later), sector - track.start, sector, 0});
        }
        if (badCrc.count(sector) != 0) {
            frame[11] ^= 0x01;
        }
        return QRead::ok;
    }
};

TableDisc::Track T(int32_t start, int32_t pregap = 0, std::vector<int32_t> indexStarts = {}) {
    return {start, pregap, std::move(indexStarts)};
}

TEST(QFrameTest, CrcBcdAndRawSubchannel) {
    // CRC-16 with this polynomial and no inversion is catalogued as CRC-16/XMODEM; its check
    // value for "123456789" is 0x31C3.
    const std::string check = "123456789";
    EXPECT_EQ(QCrc(reinterpret_cast<const uint8_t*>(check.data()), check.size()), 0x31C3);

    // Track 12, index 3, 01:02:03 into the track, at 10:20:30 on the disc.
    const QPosition position{12, 3, (62 * 75) + 3, ((620 * 75) + 30) - 150, 0};
    const QFrame frame = EncodeQPosition(position);
    EXPECT_EQ((std::vector<uint8_t>(frame.begin(), frame.begin() + 10)),
              (std::vector<uint8_t>{0x01, 0x12, 0x03, 0x01, 0x02, 0x03, 0x00, 0x10, 0x20, 0x30}));
    EXPECT_EQ(DecodeQPosition(frame), position);
    QFrame noCrc = frame;  // as drives that give the frame formatted often do
    noCrc[10] = noCrc[11] = 0;
    EXPECT_EQ(DecodeQPosition(noCrc), position);
    QFrame spoilt = frame;
    spoilt[5] ^= 0x01;
    EXPECT_FALSE(DecodeQPosition(spoilt));
    QFrame notBcd = EncodeQPosition(position);
    notBcd[4] = 0x0A;
    notBcd[10] = notBcd[11] = 0;
    EXPECT_FALSE(DecodeQPosition(notBcd));

    // The Q bit is the second-highest of each of the 96 raw bytes.
    std::vector<uint8_t> raw(96, 0xBF);
    for (size_t bit = 0; bit < 96; ++bit) {
        if ((frame[bit / 8] & (0x80 >> (bit % 8))) != 0) {
            raw[bit] |= 0x40;
        }
    }
    EXPECT_EQ(QFrameOfRawSubchannel(raw.data()), frame);
}

TEST(IndexSearchTest, FindsPregapsAndIndexesWithFewReads) {
    struct Case {
        const char* what;
        TableDisc disc;
    };
    const auto disc = [](std::vector<TableDisc::Track> tracks, int32_t leadOut) {
        TableDisc d;
        d.tracks = std::move(tracks);
        d.leadOut = leadOut;
        return d;
    };
    std::vector<Case> cases;
    cases.push_back({"no pregaps, no indexes", disc({T(0), T(3000), T(9000)}, 20000)});
    cases.push_back({"pregaps of 2 s, 1 sector and 1000 sectors",
                     disc({T(0), T(3000, 150), T(9000, 1), T(15000, 1000)}, 20000)});
    cases.push_back({"a pregap that leaves the previous track its first sector only",
                     disc({T(0), T(3000, 2999)}, 6000)});
    cases.push_back(
        {"track 1 after a pregap from the disc's first sector", disc({T(150, 150)}, 6000)});
    cases.push_back(
        {"INDEX 02 on the sector after INDEX 01, one on a track's last sector, two "
         "in a row",
         disc({T(0, 0, {1, 4999}), T(5000, 0, {5001, 7000, 7001})}, 9000)});
    cases.push_back({"indexes before a pregap", disc({T(0, 0, {2000}), T(5000, 300)}, 9000)});
    {
        TableDisc d = disc({T(0), T(3000, 150), T(9000), T(15000, 75)}, 20000);
        // The first frame read for each pregap tells nothing: the sectors beside it do.
        d.otherFrames = {2999, 8999, 14999, 14998};
        d.badCrc = {14997};
        d.failing = {2998};
        cases.push_back({"frames that are no position, wrong or unreadable", d});
    }
    for (Case& c : cases) {
        const auto found = SearchIndexesInSubchannel(c.disc, c.disc.Layout());
        ASSERT_TRUE(found) << c.what;
        ASSERT_EQ(found->size(), c.disc.tracks.size()) << c.what;
        for (size_t i = 0; i < c.disc.tracks.size(); ++i) {
            const TableDisc::Track& track = c.disc.tracks[i];
            TrackIndexes expected;
            expected.pregapKnown = expected.indexesKnown = true;
            if (track.pregap > 0) {
                expected.pregapStart = track.start - track.pregap;
            }
            expected.indexStarts = track.indexStarts;
            EXPECT_EQ((*found)[i], expected) << c.what << ", track " << i + 1;
        }
        // Some ten reads for a pregap, some fifteen for an index.
        size_t indexes = 0;
        for (const TableDisc::Track& track : c.disc.tracks) {
            indexes += track.indexStarts.size();
        }
        EXPECT_LE(c.disc.reads, static_cast<int>(16 * (c.disc.tracks.size() + indexes))) << c.what;
    }
}

// On a disc that opens with a data track, the audio track after it has its indexes searched
// for, not its pregap (which lies in the data track).
TEST(IndexSearchTest, AfterADataTrackOnlyTheIndexes) {
    TableDisc mixed;
    mixed.tracks = {T(0), T(3000, 0, {4000}), T(6000, 150)};
    mixed.dataTracks = {0};
    mixed.leadOut = 9000;
    const auto found = SearchIndexesInSubchannel(mixed, mixed.Layout());
    ASSERT_TRUE(found);
    ASSERT_EQ(found->size(), 3u);
    EXPECT_EQ((*found)[0], TrackIndexes{});
    EXPECT_EQ((*found)[1], (TrackIndexes{false, std::nullopt, true, {4000}}));
    EXPECT_EQ((*found)[2], (TrackIndexes{true, 5850, true, {}}));
}

// A drive without a readable subchannel, or whose every frame fails, gives nothing: its
// facts stay as it reported them.
TEST(IndexSearchTest, NothingFromADriveWithoutSubchannel) {
    TableDisc silent;
    silent.noSubchannel = true;
    silent.tracks = {T(0), T(3000, 150)};
    silent.leadOut = 6000;
    EXPECT_FALSE(SearchIndexesInSubchannel(silent, silent.Layout()));
    EXPECT_EQ(silent.reads, 1);

    TableDisc failing;
    failing.tracks = {T(0), T(3000, 150)};
    failing.leadOut = 6000;
    for (int32_t sector = 0; sector < failing.leadOut; ++sector) {
        failing.failing.insert(sector);
    }
    EXPECT_FALSE(SearchIndexesInSubchannel(failing, failing.Layout()));
    EXPECT_LE(failing.reads, 2 * kMostQReadsPerTrack);
}

}  // namespace
}  // namespace disctrove::platform
