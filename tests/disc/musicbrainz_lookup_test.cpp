#include "disc/musicbrainz_lookup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "disc/accuraterip_id.h"
#include "disc/accuraterip_lookup.h"
#include "disc/cddb_lookup.h"
#include "disc/cddb_reply_parser.h"
#include "disc/cover_art.h"
#include "disc/disc.h"
#include "disc/disc_lookup.h"
#include "disc/musicbrainz_id.h"
#include "disc/name_choice.h"
#include "disc/release_apply.h"
#include "net/web_client.h"
#include "support/all_records.h"
#include "support/disc_images.h"
#include "support/temp_dir.h"
#include "tools/accuraterip_server.h"
#include "tools/cddb_server.h"
#include "tools/cover_art_server.h"
#include "tools/cue_image.h"
#include "tools/musicbrainz_server.h"

namespace disctrove {
namespace {

using namespace std::chrono_literals;
using testing::MusicBrainzFixture;

class MusicBrainzLookupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::ClearDiscImages();
        net::SetDefaultTimeouts(1s, 2s);
        SetMusicBrainzInterval(0ms);
        const std::string cue = testing::MakeCueImage(dir_.path(), "disc",
                                                      {{false, 18067}, {false, 5000}, {false, 77}});
        testing::AddImage(cue);
        BuildDriveList(settings_);
        settings_.Cdrom = static_cast<int32_t>(settings_.drives.size()) - 1;
        ASSERT_EQ(RefreshDisc(settings_, settings_, settings_, settings_), RefreshResult::ready);
        discId_ = ComputeMusicBrainzDiscId(settings_.drives.back().toc);
        settings_.musicBrainz.Server = "127.0.0.1";
        settings_.musicBrainz.Port = server_.port();
        settings_.musicBrainz.Https = 0;
        settings_.Server = "127.0.0.1";
        settings_.Port = cddb_.port();
        std::filesystem::create_directories(dir_.path() + "/cddb/rock");
        char id[16];
        std::snprintf(id, sizeof id, "%08x", settings_.drives.back().discId);
        testing::WriteWholeFile(dir_.path() + "/cddb/rock/" + id,
                                "DTITLE=Cddb Band / Cddb Album\nTTITLE0=x\nTTITLE1=y\nTTITLE2=z\n");
    }
    void TearDown() override {
        SetMusicBrainzInterval(1000ms);
        net::SetDefaultTimeouts(10s, 30s);
        platform::ClearDiscImages();
    }
    std::string IdPath() const { return "/ws/2/discid/" + discId_ + "?" + kMusicBrainzIncludes; }
    void ServeById(const std::string& fixture) {
        server_.Serve(IdPath(), 200, MusicBrainzFixture(fixture, discId_));
    }
    void LookUp() {
        LookupResult& results = settings_;
        results = LookUpDisc(LookupJobFor(settings_, settings_, settings_.lookupSource));
    }
    const MusicBrainzRelease& Only() {
        EXPECT_EQ(settings_.lookupAnswer, LookupAnswer::musicBrainz);
        EXPECT_EQ(settings_.releaseCandidates.size(), 1u);
        return settings_.releaseCandidates.at(0);
    }

    testing::TempDir dir_;
    testing::MusicBrainzServer server_;
    testing::CddbServer cddb_{dir_.path() + "/cddb"};
    testing::AllRecords settings_;
    std::string discId_;
};

TEST_F(MusicBrainzLookupTest, ReleaseByDiscIdNamesTheDisc) {
    ServeById("single.json");
    LookUp();
    const MusicBrainzRelease& r = Only();
    EXPECT_EQ(r.id, "b84ee12a-09ef-421b-82de-0441a926375b");
    EXPECT_EQ(r.releaseGroupId, "8e8a594f-2175-32f6-8ed5-8b1fdc2ec4bb");
    EXPECT_EQ(r.title, "Kind of Blue");
    EXPECT_EQ(r.artist, "Miles Davis");
    EXPECT_EQ(r.artistId, "561d854a-6a28-4aa7-8c99-323e6ce46c2a");
    EXPECT_EQ(r.date, "1997-05-21");
    EXPECT_EQ(r.country, "US");
    EXPECT_EQ(r.label, "Columbia");
    EXPECT_EQ(r.catalogNumber, "CK 64935");
    EXPECT_EQ(r.format, "CD");
    EXPECT_EQ(r.genre, "Jazz");  // the release group's best-voted genre in the list
    EXPECT_EQ(r.mediumPosition, 1);
    EXPECT_EQ(r.mediumCount, 1);
    ASSERT_EQ(r.tracks.size(), 3u);
    EXPECT_EQ(r.tracks[1].position, 2);
    EXPECT_EQ(r.tracks[1].title, "Freddie Freeloader");
    EXPECT_EQ(r.tracks[1].artist, "Miles Davis");
    EXPECT_EQ(r.tracks[1].recordingId, "a3c5cd6e-0e68-4a46-a6d6-e8a0c0c8f1e4");

    const auto requests = server_.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].path, IdPath());
    EXPECT_EQ(requests[0].userAgent, "Disctrove/3.1 ( cddb@disctrove.invalid )");
    EXPECT_TRUE(cddb_.Requests().empty());

    settings_.Genre = 5;
    ApplyRelease(settings_, r);
    EXPECT_EQ(settings_.Album, "Kind of Blue");
    EXPECT_EQ(settings_.Artist, "Miles Davis");
    EXPECT_EQ(settings_.Year, "1997");
    EXPECT_EQ(settings_.Genre, 9);
    EXPECT_EQ(settings_.tracks[2].title, "Blue in Green");
    EXPECT_EQ(settings_.tracks[2].artist, "");
    EXPECT_EQ(settings_.tracks[2].recordingId, "51a1b3fd-3d4b-4a4a-8e4d-3c02a2e7f0a1");
    EXPECT_EQ(settings_.release.albumArtist, "Miles Davis");
    EXPECT_EQ(settings_.release.releaseId, r.id);
    EXPECT_EQ(settings_.release.releaseGroupId, r.releaseGroupId);
    EXPECT_EQ(settings_.release.artistId, r.artistId);

    // A refresh forgets the release.
    ASSERT_EQ(RefreshDisc(settings_, settings_, settings_, settings_), RefreshResult::ready);
    EXPECT_TRUE(settings_.releaseCandidates.empty());
    EXPECT_EQ(settings_.release.releaseId, "");
    EXPECT_EQ(settings_.tracks[2].recordingId, "");
}

TEST_F(MusicBrainzLookupTest, SeveralReleasesAreAllCandidates) {
    ServeById("several.json");
    settings_.Email = "me@example.org";
    LookUp();
    ASSERT_EQ(settings_.releaseCandidates.size(), 2u);
    const MusicBrainzRelease& gb = settings_.releaseCandidates[0];
    const MusicBrainzRelease& us = settings_.releaseCandidates[1];
    EXPECT_EQ(gb.id, "11111111-0000-4000-8000-000000000001");
    EXPECT_EQ(gb.country, "GB");
    EXPECT_EQ(gb.label, "Go! Beat");
    EXPECT_EQ(gb.genre, "Trip-Hop");  // a tag, "trip hop"
    EXPECT_EQ(us.id, "11111111-0000-4000-8000-000000000002");
    EXPECT_EQ(us.date, "1995");
    EXPECT_EQ(us.label, "London Records");
    EXPECT_EQ(us.catalogNumber, "");  // null
    EXPECT_EQ(us.format, "Enhanced CD");
    EXPECT_EQ(us.genre, "");
    EXPECT_EQ(server_.Requests().at(0).userAgent, "Disctrove/3.1 ( me@example.org )");

    settings_.Genre = 5;
    ApplyRelease(settings_, us);
    EXPECT_EQ(settings_.Genre, 5);  // no genre: kept
    EXPECT_EQ(settings_.Year, "1995");
}

TEST_F(MusicBrainzLookupTest, SecondDiscOfASetTakesItsOwnMedium) {
    ServeById("multidisc.json");
    LookUp();
    const MusicBrainzRelease r = Only();  // the CDDB entry below clears the candidates
    EXPECT_EQ(r.mediumPosition, 2);
    EXPECT_EQ(r.mediumCount, 2);
    EXPECT_EQ(r.genre, "Rock");  // the first tag in the list, by votes
    ASSERT_EQ(r.tracks.size(), 3u);
    EXPECT_EQ(r.tracks[0].title, "Hey You");
    EXPECT_EQ(r.tracks[2].recordingId, "w-16");
    // What libraries sort by: every artist of a credit, the release's own track, its codes.
    using Ids = std::vector<std::string>;
    EXPECT_EQ(r.artistIds, (Ids{"83d91898-7763-47d7-b03b-b92132375c47", "a-kamen"}));
    EXPECT_EQ(r.tracks[0].artistIds, (Ids{"a-waters", "a-gilmour"}));
    EXPECT_EQ(r.tracks[1].artistIds, (Ids{"a-gilmour", "a-waters"}));
    EXPECT_EQ(r.tracks[2].artistIds, r.artistIds);  // the release's credit
    EXPECT_EQ(r.tracks[1].id, "t-15");
    EXPECT_EQ(r.barcode, "077774624321");
    EXPECT_EQ(r.label, "Harvest");
    EXPECT_EQ(r.catalogNumber, "SHDW 411");
    EXPECT_EQ(r.format, "Enhanced CD");
    EXPECT_EQ(r.originalDate, "1979-11-30");
    EXPECT_EQ(r.discId, discId_);

    ApplyRelease(settings_, r);
    EXPECT_EQ(settings_.DiscNumber, 2);
    EXPECT_EQ(settings_.DiscTotal, 2);
    const ReleaseFacts& facts = settings_.release;
    EXPECT_EQ(facts.artistIds, r.artistIds);
    EXPECT_EQ(facts.date, "1994-09-12");
    EXPECT_EQ(facts.originalDate, "1979-11-30");
    EXPECT_EQ(facts.media, "Enhanced CD");
    EXPECT_EQ(facts.discId, discId_);
    EXPECT_EQ(settings_.tracks[0].artistIds, (Ids{"a-waters", "a-gilmour"}));
    EXPECT_EQ(settings_.tracks[0].releaseTrackId, "t-14");
    // A CDDB entry names no release: its facts go, and the entry's comment comes.
    ParseCddbReply("DTITLE=A / B\nTTITLE0=x\nEXTD=Live\n", settings_, settings_);
    EXPECT_EQ(settings_.release.artistIds, Ids{});
    EXPECT_EQ(settings_.release.barcode, "");
    EXPECT_EQ(settings_.tracks[0].artistIds, Ids{});
    EXPECT_EQ(settings_.tracks[0].releaseTrackId, "");
    EXPECT_EQ(settings_.comment, "Live");
    ApplyRelease(settings_, r);
    EXPECT_EQ(settings_.comment, "");
}

TEST_F(MusicBrainzLookupTest, CompilationGivesTrackArtists) {
    ServeById("compilation.json");
    LookUp();
    ApplyRelease(settings_, Only());
    EXPECT_EQ(settings_.Artist, "Various Artists");
    EXPECT_EQ(settings_.Year, "2003");
    EXPECT_EQ(settings_.Genre, 53);  // Electronic
    EXPECT_EQ(settings_.tracks[0].artist, "DJ Eins feat. Zwei");
    EXPECT_EQ(settings_.tracks[0].artistId, "a-eins");
    EXPECT_EQ(settings_.tracks[1].artist, "");      // the album's artist
    EXPECT_EQ(settings_.tracks[2].artist, "Drei");  // from the recording
    EXPECT_EQ(settings_.tracks[2].artistId, "a-drei");
    EXPECT_EQ(settings_.release.albumArtist, "Various Artists");
}

TEST_F(MusicBrainzLookupTest, UnknownDiscIdFallsBackToTheTableOfContents) {
    // Offsets with the 150-frame lead-in: lead-out 23144 + 150, tracks at 0, 18067, 23067.
    const std::string tocPath = IdPath() + "&toc=1+3+23294+150+18217+23217";
    server_.Serve(tocPath, 200, MusicBrainzFixture("fuzzy.json", discId_));
    SetMusicBrainzInterval(1000ms);
    LookUp();
    const auto requests = server_.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].path, tocPath);
    EXPECT_GE(requests[1].arrival - requests[0].arrival, 1s);  // one request a second
    const MusicBrainzRelease& r = Only();
    EXPECT_EQ(r.mediumPosition, 3);  // the first medium with three tracks
    EXPECT_EQ(r.mediumCount, 3);
    EXPECT_EQ(r.tracks.at(2).title, "Three");
}

TEST_F(MusicBrainzLookupTest, CddbAnswersWhenMusicBrainzCannot) {
    struct Row {
        int status;
        const char* body;
    };
    for (const Row& row :
         {Row{404, "{}"}, Row{503, "{\"error\": \"rate limited\"}"}, Row{200, "<html>garbage"}}) {
        testing::MusicBrainzServer server;
        server.Serve(IdPath(), row.status, row.body);
        settings_.musicBrainz.Port = server.port();
        LookUp();
        EXPECT_EQ(settings_.lookupAnswer, LookupAnswer::cddb) << row.status;
        EXPECT_TRUE(settings_.releaseCandidates.empty());
        EXPECT_NE(settings_.cddbReply.find("DTITLE=Cddb Band"), std::string::npos);
        EXPECT_FALSE(server.Requests().empty());
    }
    settings_.musicBrainz.Port = server_.port();
    ServeById("single.json");
    const size_t cddbAsked = cddb_.Requests().size();
    settings_.musicBrainz.Use = 0;  // CDDB alone
    LookUp();
    EXPECT_EQ(settings_.lookupAnswer, LookupAnswer::cddb);
    EXPECT_TRUE(server_.Requests().empty());
    settings_.lookupSource = LookupSource::musicBrainz;  // the source chosen overrules Use
    LookUp();
    EXPECT_EQ(settings_.lookupAnswer, LookupAnswer::musicBrainz);
    EXPECT_EQ(settings_.cddbReply, "");
    settings_.lookupSource = LookupSource::cddb;
    settings_.musicBrainz.Use = 1;
    LookUp();
    EXPECT_EQ(settings_.lookupAnswer, LookupAnswer::cddb);
    EXPECT_EQ(server_.Requests().size(), 1u);
    EXPECT_EQ(cddb_.Requests().size(), cddbAsked + 4);  // query and read, twice

    // A CDDB entry replaces what a release gave.
    MusicBrainzRelease named;
    named.id = "x";
    named.tracks = {{1, "t", "a", "i", "r", {}, {}}};
    ApplyRelease(settings_, named);
    settings_.releaseCandidates.resize(1);
    ParseCddbReply(settings_.cddbReply, settings_, settings_);
    EXPECT_EQ(settings_.release.releaseId, "");
    EXPECT_TRUE(settings_.releaseCandidates.empty());
    EXPECT_EQ(settings_.tracks[0].artist, "");
    EXPECT_EQ(settings_.tracks[0].recordingId, "");
}

// A disc that carries CD-Text is named by it as it is read; when a look-up answers, its CD-Text
// is a choice after the release (or the CDDB entry). Either choice names the disc, and a name
// the user typed stays when CD-Text is chosen.
TEST_F(MusicBrainzLookupTest, CdTextIsAChoiceBesideTheAnswer) {
    const std::string cue = settings_.drives.back().name;
    std::string sheet = testing::ReadWholeFile(cue);
    sheet.insert(0, "PERFORMER \"Disc Band\"\nTITLE \"Disc Album\"\n");
    sheet.insert(sheet.find("  TRACK 03 AUDIO\n") + 17,
                 "    TITLE \"Disc Three\"\n    PERFORMER \"Guest\"\n");
    testing::WriteWholeFile(cue, sheet);
    ServeById("single.json");
    struct Row {
        int useMusicBrainz;
        NameSource answer;
        std::string album;  // of the answer
        std::string third;  // the third track's title it gives
    };
    for (const Row& row : {Row{1, NameSource::musicBrainz, "Kind of Blue", "Blue in Green"},
                           Row{0, NameSource::cddb, "Cddb Album", "z"}}) {
        SCOPED_TRACE(row.album);
        settings_.musicBrainz.Use = row.useMusicBrainz;
        ASSERT_EQ(RefreshDisc(settings_, settings_, settings_, settings_), RefreshResult::ready);
        EXPECT_EQ(settings_.Album, "Disc Album");  // nothing looked up yet: the disc's names
        EXPECT_EQ(settings_.tracks[2].title, "Disc Three");
        settings_.Artist = "Typed Artist";
        settings_.tracks[1].title = "Typed Two";
        LookUp();
        const std::vector<NameChoice> choices =
            NameChoicesFor(settings_, settings_, DriveAt(settings_, settings_.Cdrom));
        ASSERT_EQ(choices.size(), 2u);
        EXPECT_EQ(choices[0].source, row.answer);
        EXPECT_EQ(choices[0].names.title, row.album);
        EXPECT_EQ(choices[1].source, NameSource::cdText);
        EXPECT_EQ(choices[1].names.artist, "Disc Band");
        EXPECT_EQ(choices[1].names.title, "Disc Album");

        DiscState answer = settings_;
        ApplyNameChoice(answer, settings_, choices[0]);
        EXPECT_EQ(answer.Album, row.album);
        EXPECT_EQ(answer.tracks[2].title, row.third);
        EXPECT_EQ(answer.tracks[2].artist, "");

        DiscState cdText = settings_;
        cdText.release.releaseId = "a release chosen before";
        ApplyNameChoice(cdText, settings_, choices[1]);
        EXPECT_EQ(cdText.Artist, "Typed Artist");
        EXPECT_EQ(cdText.Album, "Disc Album");
        EXPECT_EQ(cdText.tracks[0].title, "Track 01");
        EXPECT_EQ(cdText.tracks[1].title, "Typed Two");
        EXPECT_EQ(cdText.tracks[2].title, "Disc Three");
        EXPECT_EQ(cdText.tracks[2].artist, "Guest");
        EXPECT_EQ(cdText.release.releaseId, "");
    }
    // Without an answer there is nothing to choose: the disc keeps the names it was read with.
    settings_.Port = 1;
    LookUp();
    EXPECT_TRUE(NameChoicesFor(settings_, settings_, DriveAt(settings_, settings_.Cdrom)).empty());
}

TEST_F(MusicBrainzLookupTest, CancelEndsTheWaitForATurn) {
    ASSERT_TRUE(WaitForMusicBrainzTurn({}));
    SetMusicBrainzInterval(3600s);
    std::stop_source cancel;
    cancel.request_stop();
    EXPECT_FALSE(WaitForMusicBrainzTurn(cancel.get_token()));  // an hour's wait, given up
}

// A server that resets the connection halfway through its answer: the look-up ends at once
// (the timeouts are an hour), takes nothing of the half answer, names the service in
// lookupUnanswered where a look-up has one, and the next look-up, answered whole, works.
TEST_F(MusicBrainzLookupTest, AnswersCutByAResetAreNeverTaken) {
    net::SetDefaultTimeouts(1h, 1h);
    testing::AccurateRipServer accurateRip;
    testing::CoverArtServer covers;
    settings_.ArServer = "127.0.0.1";
    settings_.musicBrainz.CoverServer = "127.0.0.1:" + std::to_string(covers.port());
    ServeById("single.json");
    const Drive& drive = settings_.drives.back();
    const AccurateRipDiscId disc = ComputeAccurateRipDiscId(drive.toc, drive.discId);
    const std::vector<testing::DbarPressing::Track> tracks(disc.audioTracks, {3, 4, 5});
    const std::string dbar = testing::DbarFile({{disc.id1, disc.id2, disc.cddb, tracks}});
    accurateRip.Serve("/" + AccurateRipPath(disc), dbar);
    const std::string jpeg = dir_.File("front.jpg");
    ASSERT_EQ(testing::RunCommand("ffmpeg -v error -f lavfi -i color=c=red:s=24x16 -frames:v 1 '" +
                                  jpeg + "'"),
              0);
    covers.Serve("/release/r/front-500", testing::ReadWholeFile(jpeg));
    struct Row {
        const char* service;
        std::function<void(bool)> reset;
        std::function<bool()> lookUp;  // whether a whole answer was taken
    };
    const Row rows[] = {
        {"MusicBrainz", [this](bool on) { server_.SetResetMidAnswer(on); },
         [this] {
             LookUp();
             const bool fellBack = settings_.cddbReply.find("DTITLE=Cddb Band") == 0;
             EXPECT_NE(settings_.lookupAnswer == LookupAnswer::musicBrainz, fellBack);
             return settings_.lookupAnswer == LookupAnswer::musicBrainz &&
                    settings_.releaseCandidates.at(0).tracks.size() == 3;
         }},
        {"CDDB", [this](bool on) { cddb_.SetResetMidAnswer(on ? "cddb read" : ""); },
         [this] {
             settings_.lookupSource = LookupSource::cddb;
             LookUp();
             settings_.lookupSource = LookupSource::automatic;
             EXPECT_EQ(settings_.lookupAnswer == LookupAnswer::none, settings_.cddbReply.empty());
             return settings_.lookupAnswer == LookupAnswer::cddb &&
                    settings_.cddbReply.find("TTITLE2=z\n") != std::string::npos;
         }},
        {"AccurateRip", [&accurateRip](bool on) { accurateRip.SetResetMidAnswer(on); },
         [this, &accurateRip, &disc] {
             settings_.ArPort = accurateRip.port();
             return !FetchAccurateRip(AccurateRipRequest(settings_, settings_), disc).empty();
         }},
        {"Cover Art", [&covers](bool on) { covers.SetResetMidAnswer(on); },
         [this] { return FetchCoverArt(CoverArtRequest(settings_, "r")).has_value(); }},
    };
    for (const Row& row : rows) {
        row.reset(true);
        EXPECT_FALSE(row.lookUp()) << row.service;
        if (row.service == std::string("MusicBrainz") || row.service == std::string("CDDB")) {
            EXPECT_EQ(settings_.lookupUnanswered, std::vector<std::string>{row.service});
        }
        row.reset(false);
        EXPECT_TRUE(row.lookUp()) << row.service;
        EXPECT_TRUE(settings_.lookupUnanswered.empty()) << row.service;
    }
}

}  // namespace
}  // namespace disctrove
