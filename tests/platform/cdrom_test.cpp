#include "platform/cdrom/cdrom.h"

#include <discid/discid.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <sstream>
#include <vector>

#include "platform/cdrom/audio_file_image.h"
#include "platform/cdrom/disc_device.h"
#include "platform/cdrom/media_watch.h"
#include "platform/cdrom/simulated_disc.h"
#include "support/disc_images.h"
#include "support/temp_dir.h"
#include "tools/cue_image.h"

namespace disctrove::platform {
namespace {

using testing::ImageHandle;
using testing::MakeCueImage;
using testing::TempDir;
using testing::WriteSimulatedDisc;

std::vector<uint8_t> SimulatedAudio(int64_t firstFrame, int64_t frames) {
    std::vector<uint8_t> audio(static_cast<size_t>(frames) * 4);
    FillSimulatedAudio(firstFrame, frames, audio.data());
    return audio;
}

std::vector<uint8_t> Returned(const TrackBuffer* buffer) {
    const uint8_t* start = buffer->data() + buffer->startOffset;
    return {start, start + buffer->length};
}

class CdromTest : public ::testing::Test {
  protected:
    void SetUp() override { ClearDiscImages(); }
    void TearDown() override { ClearDiscImages(); }
    std::string Simcd(const std::string& statements) {
        return WriteSimulatedDisc(dir_.path(), "disc" + std::to_string(++count_), statements);
    }
    TempDir dir_;
    int count_ = 0;
};

TEST_F(CdromTest, ImagesComeLastInTheDriveListUnderTheirPath) {
    platform::CdList list{};
    GetCDList(&list);
    const int drives = list.num;
    const std::string a = Simcd("track audio 10\n");
    const std::string b = MakeCueImage(dir_.path(), "b", {{false, 10}});
    std::string problem;
    ASSERT_TRUE(AddDiscImage(a, problem)) << problem;
    ASSERT_TRUE(AddDiscImage(b, problem)) << problem;
    list = {};
    GetCDList(&list);
    ASSERT_EQ(list.num, drives + 2);
    EXPECT_STREQ(list.cd[static_cast<size_t>(drives)].id.data(), a.c_str());
    EXPECT_STREQ(list.cd[static_cast<size_t>(drives + 1)].id.data(), b.c_str());
    EXPECT_EQ(list.cd[static_cast<size_t>(drives + 1)].hostAdapter, drives + 1);

    for (int i = 0; i < 10; ++i) {
        AddDiscImage(a, problem);
    }
    list = {};
    GetCDList(&list);
    EXPECT_EQ(list.num, 8);  // never more than the list holds
}

TEST_F(CdromTest, BadImagesAreRefusedWithAReason) {
    std::string problem;
    EXPECT_FALSE(AddDiscImage(dir_.File("missing.cue"), problem));
    EXPECT_FALSE(problem.empty());
    problem.clear();
    EXPECT_FALSE(AddDiscImage(Simcd("track audio 10\ntrack video 5\n"), problem));
    EXPECT_NE(problem.find(":2:"), std::string::npos) << problem;
    EXPECT_FALSE(AddDiscImage(Simcd("unreadable 20-10\n"), problem));
    EXPECT_FALSE(AddDiscImage(Simcd("jitter -1\n"), problem));
    EXPECT_FALSE(AddDiscImage(Simcd("track audio 10 extra\n"), problem));
    for (const char* failures :
         {"random-failures 1-5\n", "random-failures 1-5 0\n", "random-failures 1-5 1.5\n",
          "random-failures 1-5 nan\n", "random-failures 1-5 0.5 always\n", "drive\n",
          "drive / MODEL\n", "drive A / B / C / D\n", "offset\n", "offset 6x\n", "offset 2941\n",
          "offset 6 7\n",
          // A pregap before the first track, one that takes all of the previous track, one
          // after a data track; indexes that skip a number, go backwards or fall in the next
          // track's pregap.
          "track audio 50\npregap 1 10\n", "track audio 50\ntrack audio 50\npregap 2 50\n",
          "track data 50\ntrack audio 50\npregap 2 10\n", "track audio 50\nindex 1 3 10\n",
          "track audio 50\nindex 1 2 20\nindex 1 3 10\n",
          "track audio 50\ntrack audio 50\npregap 2 10\nindex 1 2 45\n"}) {
        EXPECT_FALSE(AddDiscImage(Simcd(failures), problem)) << failures;
    }
    EXPECT_TRUE(
        AddDiscImage(Simcd("# only a comment\n\n  track audio 1 # and another\n"), problem));
}

TEST_F(CdromTest, HandlesOnlyForListedDrives) {
    const GetCdHandleRequest nowhere{12, 1, 7, 0, 0, 0, {}};
    EXPECT_EQ(GetCDHandle(&nowhere), 0u);
    EXPECT_EQ(GetCDHandle(nullptr), 0u);
    TocRecord toc{};
    EXPECT_EQ(ReadTOC(0, &toc), kCdStatusError);
    EXPECT_EQ(GetAspiLibError(), 1);  // invalid handle
    EXPECT_EQ(CloseCDHandle(12345), 0);
}

TEST_F(CdromTest, TocRecord) {
    const ImageHandle handle(Simcd("track data 1000\ntrack audio 300\ntrack audio 18067\n"));
    TocRecord toc{};
    ASSERT_EQ(ReadTOC(handle.get(), &toc), kCdStatusOk);
    EXPECT_EQ(toc.firstTrack, 1);
    EXPECT_EQ(toc.lastTrack, 3);
    EXPECT_EQ(toc.length, 2 + 8 * 4);
    EXPECT_TRUE(TocIsData(toc.tracks[0]));
    EXPECT_FALSE(TocIsData(toc.tracks[1]));
    EXPECT_EQ(toc.tracks[1].trackNumber, 2);
    EXPECT_EQ(TocStart(toc.tracks[1]), 1000);
    EXPECT_EQ(TocStart(toc.tracks[2]), 1300);
    EXPECT_EQ(toc.tracks[3].trackNumber, 0xAA);  // the lead-out
    EXPECT_EQ(TocStart(toc.tracks[3]), 1300 + 18067);
    // Big-endian on the wire: 19367 = 0x00004BA7.
    EXPECT_EQ(toc.tracks[3].startSector, (std::array<uint8_t, 4>{0, 0, 0x4B, 0xA7}));
}

TEST_F(CdromTest, DiscIdOfTheWorkedExample) {
    // Offsets 150, 15094, ... 174593 with 2474 seconds give 8309a80a.
    const int starts[] = {0, 14944, 33114, 55921, 65365, 80750, 104287, 129324, 142990, 174443};
    const int leadOut = 2474 * 75 - 150;
    std::string statements;
    for (size_t i = 0; i < std::size(starts); ++i) {
        const int end = i + 1 < std::size(starts) ? starts[i + 1] : leadOut;
        statements += "track audio " + std::to_string(end - starts[i]) + "\n";
    }
    const ImageHandle handle(Simcd(statements));
    std::vector<uint32_t> buffer(20);
    ASSERT_EQ(GetCDDBDiskID(handle.get(), buffer), 1);
    EXPECT_EQ(buffer[0], 0x8309a80au);
    EXPECT_EQ(buffer[1], 10u);
    EXPECT_EQ(buffer[2], 150u);
    EXPECT_EQ(buffer[11], 174593u);
    EXPECT_EQ(buffer[12], 2474u);
    std::vector<uint32_t> small(1);  // a short buffer gets what fits
    EXPECT_EQ(GetCDDBDiskID(handle.get(), small), 1);
    EXPECT_EQ(small[0], 0x8309a80au);
}

TEST_F(CdromTest, DiscIdOfImagesMatchesLibdiscid) {
    const std::vector<std::vector<testing::ImageTrack>> discs = {
        {{false, 18067}, {false, 5000}, {false, 77}},
        {{true, 3000}, {false, 4000}, {false, 4500}},
        {{false, 6000}, {false, 2000}, {true, 9000}},
    };
    for (size_t d = 0; d < discs.size(); ++d) {
        const std::string cue = MakeCueImage(dir_.path(), "d" + std::to_string(d), discs[d]);
        const ImageHandle handle(cue);
        TocRecord toc{};
        ASSERT_EQ(ReadTOC(handle.get(), &toc), kCdStatusOk) << cue;
        std::vector<uint32_t> buffer(size_t{toc.length} + 3);
        ASSERT_EQ(GetCDDBDiskID(handle.get(), buffer), 1);

        // libdiscid wants the lead-out first, all with the 150-frame lead-in.
        std::vector<int> offsets = {TocStart(toc.tracks[toc.lastTrack]) + 150};
        for (int t = 0; t < toc.lastTrack; ++t) {
            offsets.push_back(TocStart(toc.tracks[static_cast<size_t>(t)]) + 150);
        }
        DiscId* disc = discid_new();
        ASSERT_TRUE(discid_put(disc, 1, toc.lastTrack, offsets.data()));
        std::array<char, 16> ours{};
        std::snprintf(ours.data(), ours.size(), "%08x", buffer[0]);
        EXPECT_STREQ(ours.data(), discid_get_freedb_id(disc)) << cue;
        discid_free(disc);
    }
}

TEST_F(CdromTest, CatalogueIsrcFlagsAndPregapsOfAnImage) {
    const std::string cue =
        MakeCueImage(dir_.path(), "facts",
                     {{false, 300, 0, "USABC9900001", "DCP PRE"}, {false, 400, 150, "", "4CH"}},
                     "0724384260928");
    const ImageHandle image(cue);
    DiscFacts facts;
    ASSERT_EQ(GetDiscFacts(image.get(), &facts), 1);
    EXPECT_EQ(facts.catalog, "0724384260928");
    ASSERT_EQ(facts.tracks.size(), 2u);
    EXPECT_EQ(facts.tracks[0].isrc, "USABC9900001");
    EXPECT_TRUE(facts.tracks[0].preEmphasis && facts.tracks[0].copyPermitted);
    EXPECT_FALSE(facts.tracks[0].fourChannels || facts.tracks[0].pregapStart);
    EXPECT_EQ(facts.tracks[1].isrc, "");
    EXPECT_TRUE(facts.tracks[1].fourChannels);
    EXPECT_FALSE(facts.tracks[1].preEmphasis || facts.tracks[1].copyPermitted);
    EXPECT_EQ(facts.tracks[1].pregapStart, 300);  // index 1 at 450
    EXPECT_EQ(facts.indexSource, IndexSource::sheet);

    // A simulated disc has no codes, but a subchannel: its gaps and indexes are searched for.
    const std::string simcd = Simcd("track audio 100\ntrack audio 300\npregap 2 20\nindex 2 2 7\n");
    const ImageHandle sim(simcd);
    ASSERT_EQ(GetDiscFacts(sim.get(), &facts), 1);
    EXPECT_EQ(facts.catalog, "");
    ASSERT_EQ(facts.tracks.size(), 2u);
    EXPECT_EQ(facts.tracks[0].isrc, "");
    EXPECT_EQ(facts.tracks[1].pregapStart, 80);
    EXPECT_EQ(facts.tracks[1].indexStarts, std::vector<int32_t>{107});
    EXPECT_EQ(facts.indexSource, IndexSource::subchannel);
    // What was found is kept for the disc: the next rip reads no subchannel.
    const uint64_t reads = GetSimulatedReadCounts().subchannel;
    EXPECT_GT(reads, 0u);
    const ImageHandle again(simcd);
    ASSERT_EQ(GetDiscFacts(again.get(), &facts), 1);
    EXPECT_EQ(facts.tracks[1].pregapStart, 80);
    EXPECT_EQ(GetSimulatedReadCounts().subchannel, reads);
}

TEST_F(CdromTest, PlainReadsReturnTheDiscsAudio) {
    const ImageHandle sim(Simcd("track audio 100\ntrack audio 50\n"));
    const std::string cue = MakeCueImage(dir_.path(), "img", {{false, 100}, {false, 50}});
    const ImageHandle image(cue);
    for (const ImageHandle* handle : {&sim, &image}) {
        TrackBufferBlock buffer(26);
        buffer->startSector = 90;
        buffer->sectorCount = 20;
        ASSERT_EQ(ReadCDAudioLBA(handle->get(), buffer.get()), kCdStatusOk);
        EXPECT_EQ(buffer->length, 20u * 2352);
        EXPECT_EQ(buffer->startOffset, 0u);
        EXPECT_EQ(Returned(buffer.get()), SimulatedAudio(90 * 588, 20 * 588));
    }
}

// libcdio would take the audio of a sheet from the .bin named like the sheet: a renamed sheet, or
// one beside another disc's .bin of its name, reads the file its FILE line names.
TEST_F(CdromTest, ASheetReadsTheFileItNamesWhateverTheSheetIsCalled) {
    const std::string cue = MakeCueImage(dir_.path(), "img", {{false, 100}, {false, 50}});
    const std::string sheet = testing::ReadWholeFile(cue);
    testing::WriteWholeFile(dir_.File("renamed.cue"), sheet);
    testing::WriteWholeFile(dir_.File("other.cue"), sheet);
    testing::WriteWholeFile(dir_.File("other.bin"), std::string(150 * 2352, '\x7f'));
    for (const char* name : {"renamed.cue", "other.cue"}) {
        const ImageHandle image(dir_.File(name));
        TrackBufferBlock buffer(26);
        buffer->startSector = 90;
        buffer->sectorCount = 20;
        ASSERT_EQ(ReadCDAudioLBA(image.get(), buffer.get()), kCdStatusOk) << name;
        EXPECT_EQ(Returned(buffer.get()), SimulatedAudio(90 * 588, 20 * 588)) << name;
    }
}

TEST_F(CdromTest, ReadsOutsideTheDiscOrTheBufferFail) {
    const ImageHandle handle(Simcd("track audio 100\n"));
    TrackBufferBlock buffer(26);
    buffer->startSector = 90;
    buffer->sectorCount = 20;  // past the lead-out
    EXPECT_EQ(ReadCDAudioLBA(handle.get(), buffer.get()), kCdStatusError);
    EXPECT_EQ(GetAspiLibError(), 4);
    EXPECT_EQ(GetAspiLibAspiError(), 5);  // illegal request
    buffer->startSector = 0;
    buffer->sectorCount = 27;  // more than the buffer holds
    EXPECT_EQ(ReadCDAudioLBA(handle.get(), buffer.get()), kCdStatusError);
}

TEST_F(CdromTest, UnreadableSectors) {
    const ImageHandle handle(
        Simcd("track audio 500\nunreadable 100-120\nplain-unreadable 200-210\n"));
    TrackBufferBlock buffer(26);
    TrackBufferBlock overlap(3);
    buffer->sectorCount = 26;
    buffer->startSector = 95;  // touches 100
    EXPECT_EQ(ReadCDAudioLBA(handle.get(), buffer.get()), kCdStatusError);
    EXPECT_EQ(GetAspiLibError(), 3);
    EXPECT_EQ(GetAspiLibAspiError(), 3);  // medium error
    EXPECT_EQ(ReadCDAudioLBAEx(handle.get(), buffer.get(), overlap.get()), kCdStatusError);
    buffer->startSector = 190;
    EXPECT_EQ(ReadCDAudioLBA(handle.get(), buffer.get()), kCdStatusError);
    EXPECT_EQ(ReadCDAudioLBAEx(handle.get(), buffer.get(), overlap.get()), kCdStatusOk);
    EXPECT_EQ(Returned(buffer.get()), SimulatedAudio(190 * 588, 26 * 588));
}

// Random failures: a transient one gives way when the read is tried again; a persistent one
// fails every read of its sector, and the same sectors in every opening of the file.
TEST_F(CdromTest, ReadsFailAtRandomWhereTheDiscSaysSo) {
    const std::string transient = Simcd("track audio 200\nrandom-failures 0-199 0.5\n");
    const std::string persistent = Simcd("track audio 200\nrandom-failures 0-199 0.5 persistent\n");
    TrackBufferBlock buffer(1);
    buffer->sectorCount = 1;
    std::vector<std::vector<int>> failures;  // failed reads of each sector, in each opening
    for (const std::string& disc : {transient, persistent, persistent}) {
        const ImageHandle handle(disc);
        const int tries = disc == transient ? 20 : 3;
        auto& failed = failures.emplace_back();
        for (uint32_t sector = 0; sector < 200; ++sector) {
            buffer->startSector = sector;
            int attempts = 0;
            while (attempts < tries && ReadCDAudioLBA(handle.get(), buffer.get()) != kCdStatusOk) {
                ++attempts;
            }
            failed.push_back(attempts);
            if (attempts < tries) {
                EXPECT_EQ(Returned(buffer.get()), SimulatedAudio(sector * 588, 588));
            }
        }
    }
    EXPECT_EQ(std::count(failures[0].begin(), failures[0].end(), 20), 0);
    EXPECT_GT(std::count(failures[0].begin(), failures[0].end(), 1), 20);
    const auto lost = std::count(failures[1].begin(), failures[1].end(), 3);
    EXPECT_EQ(std::count(failures[1].begin(), failures[1].end(), 0), 200 - lost);
    EXPECT_GT(lost, 50);
    EXPECT_LT(lost, 150);
    EXPECT_EQ(failures[2], failures[1]);
}

// Reads `sectors` from `start` request by request as extraction does and returns what came.
std::vector<uint8_t> ReadCorrecting(CdHandle handle, uint32_t start, uint32_t sectors) {
    TrackBufferBlock buffer(26);
    TrackBufferBlock overlap(3);
    std::vector<uint8_t> data;
    for (uint32_t at = start; at < start + sectors; at += 26) {
        buffer->startSector = at;
        buffer->sectorCount = std::min(26u, start + sectors - at);
        EXPECT_EQ(ReadCDAudioLBAEx(handle, buffer.get(), overlap.get()), kCdStatusOk);
        const auto part = Returned(buffer.get());
        data.insert(data.end(), part.begin(), part.end());
    }
    return data;
}

TEST_F(CdromTest, CorrectingReadsWithoutJitterReturnWhatPlainReadsDo) {
    const ImageHandle handle(Simcd("track audio 100\ntrack audio 300\n"));
    EXPECT_EQ(ReadCorrecting(handle.get(), 100, 300), SimulatedAudio(100 * 588, 300 * 588));
}

TEST_F(CdromTest, CorrectingReadsJoinJitteredReadsSeamlessly) {
    const ImageHandle handle(Simcd("track audio 1000\njitter 4\n"));
    const auto data = ReadCorrecting(handle.get(), 100, 800);
    ASSERT_EQ(data.size() % 4, 0u);
    // Only the very first read is off by its jitter; after that every frame follows on.
    const auto frameAt = [&](size_t i) {
        const uint16_t left = static_cast<uint16_t>(data[i * 4] | (data[i * 4 + 1] << 8));
        return static_cast<uint16_t>(left * 28087u);  // 7 × 28087 = 1 modulo 65536
    };
    const size_t frames = data.size() / 4;
    EXPECT_GE(frames, 800u * 588 - 8);
    for (size_t i = 1; i < frames; ++i) {
        ASSERT_EQ(frameAt(i), static_cast<uint16_t>(frameAt(i - 1) + 1)) << "frame " << i;
    }
    const int first = static_cast<int16_t>(frameAt(0) - static_cast<uint16_t>(100 * 588));
    EXPECT_LE(std::abs(first), 4);
}

TEST_F(CdromTest, CorrectingReadsReturnTheirBytesThroughStartOffsetAndLength) {
    const ImageHandle handle(Simcd("track audio 200\njitter 3\n"));
    TrackBufferBlock buffer(26);
    TrackBufferBlock overlap(3);
    buffer->startSector = 0;
    buffer->sectorCount = 26;
    ASSERT_EQ(ReadCDAudioLBAEx(handle.get(), buffer.get(), overlap.get()), kCdStatusOk);
    buffer->startSector = 26;
    buffer->sectorCount = 10;  // a short request fits in place behind the re-read sectors
    ASSERT_EQ(ReadCDAudioLBAEx(handle.get(), buffer.get(), overlap.get()), kCdStatusOk);
    EXPECT_GT(buffer->startOffset, 0u);
    EXPECT_EQ(buffer->startOffset % 4, 0u);
    EXPECT_LE(buffer->startOffset + buffer->length, buffer->capacity);
    EXPECT_EQ(buffer->length, 10u * 2352);
}

// A disc image counts as a new disc when its file is rewritten, removed or put back; a file left
// alone never does, nor does a drive the list does not hold.
TEST_F(CdromTest, MediaWatchOfAnImageFollowsItsFile) {
    const std::string path = Simcd("track audio 100\n");
    MediaWatch watch(testing::RequestFor(testing::AddImage(path)));
    struct Step {
        const char* what;
        std::function<void()> act;
        bool changed;
    };
    const Step steps[] = {
        {"left alone", [] {}, false},
        {"rewritten in place", [&] { testing::WriteWholeFile(path, "track audio 1000\n"); }, true},
        {"then left alone", [] {}, false},
        {"taken away", [&] { std::remove(path.c_str()); }, true},
        {"put back", [&] { testing::WriteWholeFile(path, "track audio 100\n"); }, true},
    };
    for (const Step& step : steps) {
        step.act();
        EXPECT_EQ(watch.Changed(), step.changed) << step.what;
    }
    EXPECT_FALSE(watch.slow());
    EXPECT_FALSE(MediaWatch(testing::RequestFor(7)).Changed());
}

// An audio file as the image's reader sees one: its length and the simulated disc's audio from
// frame `base` on, as the file's text ("FRAMES BASE") says.
class ListedAudioFile final : public PcmFileReader {
  public:
    ListedAudioFile(uint64_t frames, int64_t base) : frames_(frames), base_(base) {}
    uint64_t Frames() const override { return frames_; }
    bool Read(uint64_t first, uint32_t count, uint8_t* out) override {
        if (first + count > frames_) {
            return false;
        }
        FillSimulatedAudio(base_ + static_cast<int64_t>(first), count, out);
        return true;
    }

  private:
    uint64_t frames_;
    int64_t base_;
};

// The sheet of an image of audio files puts every track where the disc had it: audio before
// track 1, a pregap at the end of the file before, silence from PREGAP and POSTGAP that no file
// holds, a last file that ends inside a sector (the rest is silence). Sheets no disc can come
// from are refused.
TEST_F(CdromTest, SheetsOfAudioFilesPutTheTracksWhereTheDiscHadThem) {
    SetPcmFileOpener([](const std::string& path, std::string&) {
        std::istringstream text(testing::ReadWholeFile(path));
        uint64_t frames = 0;
        int64_t base = 0;
        text >> frames >> base;
        return std::make_unique<ListedAudioFile>(frames, base);
    });
    const int64_t s = 588;  // frames a sector
    testing::WriteWholeFile(dir_.File("a.wav"), std::to_string(1000 * s) + " 0");
    testing::WriteWholeFile(dir_.File("b.wav"), std::to_string(200 * s) + " 5000000");
    testing::WriteWholeFile(dir_.File("short.wav"), std::to_string(300 * s - 100) + " 0");
    struct Case {
        std::string sheet;
        std::vector<int32_t> starts;
        std::vector<std::optional<int32_t>> pregaps;
        int32_t leadOut;
        std::vector<std::pair<int32_t, int64_t>> audio;  // sector: its first frame, -1 silence
    };
    const std::vector<Case> cases = {
        {"PERFORMER \"Sigur Rós\"\nFILE a.wav WAVE\nTRACK 01 AUDIO\nINDEX 00 00:00:00\n"
         "INDEX 01 00:10:00\nTRACK 02 AUDIO\nTITLE \"Svefn-g-englar\"\nINDEX 01 00:12:00\n",
         {750, 900},
         {0, {}},
         1000,
         {{0, 0}, {749, 749 * s}}},
        {"FILE \"a.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n"
         "    INDEX 00 00:13:00\nFILE \"b.wav\" WAVE\n    INDEX 01 00:00:00\n    INDEX 02 "
         "00:01:00\n",
         {0, 1000},
         {{}, 975},
         1200,
         {{999, 999 * s}, {1000, 5000000}}},
        {"FILE \"b.wav\" WAVE\nTRACK 01 AUDIO\nPREGAP 00:02:00\nINDEX 01 00:00:00\n"
         "TRACK 02 AUDIO\nINDEX 01 00:01:00\nPOSTGAP 00:01:00\n",
         {150, 225},
         {0, {}},
         425,
         {{149, -1}, {150, 5000000}, {349, 5000000 + 199 * s}, {350, -1}}},
        {"FILE short.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n", {0}, {{}}, 300, {}},
    };
    for (const Case& test : cases) {
        testing::WriteWholeFile(dir_.File("disc.cue"), test.sheet);
        ASSERT_TRUE(IsAudioFileImage(dir_.File("disc.cue")));
        std::string problem;
        const auto image = OpenAudioFileImage(dir_.File("disc.cue"), problem);
        ASSERT_TRUE(image) << problem;
        DiscLayout layout;
        ReadError error;
        DiscFacts facts;
        ASSERT_TRUE(image->ReadLayout(layout, error));
        ASSERT_TRUE(image->ReadFacts(facts));
        std::vector<int32_t> starts;
        std::vector<std::optional<int32_t>> pregaps;
        for (size_t i = 0; i < layout.tracks.size(); ++i) {
            starts.push_back(layout.tracks[i].start);
            pregaps.push_back(facts.tracks[i].pregapStart);
        }
        EXPECT_EQ(starts, test.starts) << test.sheet;
        EXPECT_EQ(pregaps, test.pregaps) << test.sheet;
        EXPECT_EQ(layout.leadOut, test.leadOut) << test.sheet;
        std::vector<uint8_t> sector(2352);
        for (const auto& [at, frame] : test.audio) {
            ASSERT_TRUE(image->ReadAudio(at, 1, sector.data(), false, error));
            EXPECT_TRUE(sector ==
                        (frame < 0 ? std::vector<uint8_t>(2352) : SimulatedAudio(frame, 588)))
                << test.sheet << "sector " << at;
        }
        EXPECT_FALSE(image->ReadAudio(layout.leadOut - 1, 2, sector.data(), false, error));
        const CdText text = image->ReadCdText();
        ASSERT_EQ(text.tracks.size(), layout.tracks.size());
        if (&test == &cases.front()) {
            EXPECT_EQ(text.performer, "Sigur Rós");
            EXPECT_EQ(text.tracks[1].title, "Svefn-g-englar");
        }
    }
    // The end of a short last file reads as silence after its last sample.
    testing::WriteWholeFile(dir_.File("disc.cue"), cases.back().sheet);
    std::string problem;
    const auto short_ = OpenAudioFileImage(dir_.File("disc.cue"), problem);
    std::vector<uint8_t> last(2352);
    ReadError error;
    ASSERT_TRUE(short_->ReadAudio(299, 1, last.data(), false, error));
    const auto expected = SimulatedAudio(299 * s, 488);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), last.begin()));
    EXPECT_TRUE(std::all_of(last.begin() + 488 * 4, last.end(), [](uint8_t b) { return b == 0; }));

    const std::vector<std::pair<std::string, std::string>> refusals = {
        {"FILE short.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nFILE b.wav WAVE\nTRACK 02 "
         "AUDIO\nINDEX 01 00:00:00\n",
         "short.wav: 176300 samples are not a whole number of CD sectors"},
        {"FILE b.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 00:03:00\n", "lies past the end of b.wav"},
        {"FILE b.wav WAVE\nTRACK 01 MODE1/2352\nINDEX 01 00:00:00\n", "holds audio tracks only"},
        {"FILE b.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\nINDEX 01 "
         "00:00:00\n",
         "track 2 starts where no audio of its own follows"},
        {"FILE b.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:75\n", "line 3: INDEX needs"},
        {"FILE b.wav WAVE\nTRACK 01 AUDIO\nINDEX 02 00:00:00\n", "line 3: INDEX 2 out of order"},
        {"TRACK 01 AUDIO\n", "line 1: TRACK before the first FILE"},
        {"FILE b.wav WAVE\nTRACK 01 AUDIO\nINDEX 00 00:00:00\n", "track 1 has no INDEX 01"},
    };
    for (const auto& [sheet, reason] : refusals) {
        testing::WriteWholeFile(dir_.File("disc.cue"), sheet);
        EXPECT_FALSE(OpenAudioFileImage(dir_.File("disc.cue"), problem)) << sheet;
        EXPECT_NE(problem.find(reason), std::string::npos) << problem;
    }
    SetPcmFileOpener(nullptr);
}

}  // namespace
}  // namespace disctrove::platform
