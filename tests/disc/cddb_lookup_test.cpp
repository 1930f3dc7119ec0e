#include "disc/cddb_lookup.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <optional>
#include <thread>
#include <utility>

#include "disc/cddb_reply_parser.h"
#include "disc/disc.h"
#include "disc/disc_lookup.h"
#include "net/web_client.h"
#include "support/all_records.h"
#include "support/disc_images.h"
#include "support/temp_dir.h"
#include "tools/cddb_server.h"
#include "tools/cue_image.h"

namespace disctrove {
namespace {

using namespace std::chrono_literals;
using testing::CddbServer;
using testing::TempDir;

const char* const kEntry =
    "# xmcd\n#\n# Track frame offsets:\n#\t150\n#\t18217\n#\t23217\n#\n"
    "# Disc length: 310 seconds\n#\n# Revision: 0\n#\n"
    "DISCID=%ID%\nDTITLE=The Testers / F\xC3\xB6rst Album\nDYEAR=2003\nDGENRE=Jazz\n"
    "TTITLE0=Opening\nTTITLE1=Middle\nTTITLE2=Coda\nEXTD=\nEXTT0=\nEXTT1=\nEXTT2=\n"
    "PLAYORDER=\n";

std::string Hex8(uint32_t id) {
    std::array<char, 16> text{};
    std::snprintf(text.data(), text.size(), "%08x", id);
    return text.data();
}

class CddbLookupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::ClearDiscImages();
        net::SetDefaultTimeouts(1s, 2s);
        std::filesystem::create_directories(entries_);
        const std::string cue = testing::MakeCueImage(dir_.path(), "disc",
                                                      {{false, 18067}, {false, 5000}, {false, 77}});
        testing::AddImage(cue);
        BuildDriveList(settings_);
        settings_.Cdrom = static_cast<int32_t>(settings_.drives.size()) - 1;
        ASSERT_EQ(RefreshDisc(settings_, settings_, settings_, settings_), RefreshResult::ready);
        discId_ = Hex8(settings_.drives.back().discId);
        settings_.Server = "127.0.0.1";
        settings_.Port = server_.port();
        settings_.musicBrainz.Use = 0;  // CDDB alone, as before MusicBrainz
    }
    void TearDown() override {
        net::SetDefaultTimeouts(10s, 30s);
        platform::ClearDiscImages();
    }

    void AddEntry(const std::string& category, const std::string& id) {
        std::filesystem::create_directories(entries_ + "/" + category);
        std::string entry = kEntry;
        entry.replace(entry.find("%ID%"), 4, id);
        testing::WriteWholeFile(entries_ + "/" + category + "/" + id, entry);
    }
    std::string ExpectedReply(const std::string& id) const {
        std::string entry = kEntry;
        return entry.replace(entry.find("%ID%"), 4, id);
    }
    void LookUp() {
        LookupResult& results = settings_;
        results = LookUpDisc(LookupJobFor(settings_, settings_, settings_.lookupSource));
    }
    bool Start(DiscLookup& lookup) {
        return lookup.Start(settings_, settings_, settings_.lookupSource);
    }
    bool TakeReply(DiscLookup& lookup) {
        std::optional<LookupResult> reply = lookup.TakeReply(settings_, settings_);
        if (reply) {
            static_cast<LookupResult&>(settings_) = std::move(*reply);
        }
        return reply.has_value();
    }
    std::string Command(size_t request) const {
        const auto requests = server_.Requests();
        return request < requests.size() ? requests[request].parameters.at("cmd") : "";
    }

    TempDir dir_;
    std::string entries_ = dir_.path() + "/entries";
    CddbServer server_{entries_};
    testing::AllRecords settings_;
    std::string discId_;
};

TEST_F(CddbLookupTest, RequestsFollowTheProtocol) {
    AddEntry("rock", discId_);
    LookUp();
    const auto requests = server_.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].path, "/~cddb/cddb.cgi");
    EXPECT_FALSE(requests[0].proxied);
    // Starts with the 150-frame lead-in; the lead-out at 23144 + 150 frames is 310 seconds.
    EXPECT_EQ(Command(0), "cddb query " + discId_ + " 3 150 18217 23217 310");
    EXPECT_EQ(requests[0].parameters.at("hello"), "cddb disctrove.invalid Disctrove 3.1");
    EXPECT_EQ(requests[0].parameters.at("proto"), "6");
    EXPECT_EQ(Command(1), "cddb read rock " + discId_);

    settings_.Email = "someone@example.org";
    LookUp();
    EXPECT_EQ(server_.Requests()[2].parameters.at("hello"), "someone example.org Disctrove 3.1");
}

TEST_F(CddbLookupTest, ExactMatchGivesTheEntryAndNamesTheDisc) {
    AddEntry("jazz", discId_);
    LookUp();
    EXPECT_EQ(settings_.cddbReply, ExpectedReply(discId_));
    ParseCddbReply(settings_.cddbReply, settings_, settings_);
    EXPECT_EQ(settings_.Artist, "The Testers");
    EXPECT_EQ(settings_.Album, "F\xC3\xB6rst Album");
    EXPECT_EQ(settings_.Year, "2003");
    EXPECT_EQ(settings_.Genre, 9);
    ASSERT_EQ(settings_.tracks.size(), 3u);
    EXPECT_EQ(settings_.tracks[0].title, "Opening");
    EXPECT_EQ(settings_.tracks[2].title, "Coda");
}

TEST_F(CddbLookupTest, SeveralMatchesTakeTheFirst) {
    AddEntry("rock", discId_);
    AddEntry("folk", discId_);
    LookUp();
    EXPECT_EQ(Command(1), "cddb read folk " + discId_);
    EXPECT_EQ(settings_.cddbReply, ExpectedReply(discId_));
}

TEST_F(CddbLookupTest, InexactMatchIsTaken) {
    AddEntry("misc", "0a0b0c03");  // another ID, the same number of tracks
    LookUp();
    EXPECT_EQ(Command(1), "cddb read misc 0a0b0c03");
    EXPECT_EQ(settings_.cddbReply, ExpectedReply("0a0b0c03"));
}

TEST_F(CddbLookupTest, NoMatchLeavesTheReplyEmpty) {
    settings_.cddbReply = "old";
    LookUp();
    EXPECT_EQ(settings_.cddbReply, "");
    EXPECT_EQ(server_.Requests().size(), 1u);  // no read
}

TEST_F(CddbLookupTest, ServerLevelsBelowSixSendLatin1) {
    AddEntry("jazz", discId_);
    server_.SetHighestLevel('5');
    LookUp();
    const auto requests = server_.Requests();
    ASSERT_EQ(requests.size(), 4u);  // each command tried at level 6, then at 5
    EXPECT_EQ(requests[1].parameters.at("proto"), "5");
    EXPECT_EQ(settings_.cddbReply, ExpectedReply(discId_));  // back in UTF-8
}

TEST_F(CddbLookupTest, UnreachableOrSilentServersEndInTime) {
    AddEntry("rock", discId_);
    {
        CddbServer gone{entries_};
        settings_.Port = gone.port();
    }  // nobody listens there any more
    LookUp();
    EXPECT_EQ(settings_.cddbReply, "");

    settings_.Port = server_.port();
    server_.SetStalling(true);
    const auto start = std::chrono::steady_clock::now();
    LookUp();
    EXPECT_EQ(settings_.cddbReply, "");
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

TEST_F(CddbLookupTest, ErrorAnswersLeaveTheReplyEmpty) {
    AddEntry("rock", discId_);
    for (const char* answer :
         {"409 No handshake\r\n", "500 Unknown developer email\r\n", "\x01\x02garbage", ""}) {
        CddbServer server{entries_};
        server.SetRawAnswer("cddb query", answer);
        settings_.Port = server.port();
        LookUp();
        EXPECT_EQ(settings_.cddbReply, "") << answer;
    }
    settings_.Query = "/cgi-bin/elsewhere";  // the server answers 404
    settings_.Port = server_.port();
    LookUp();
    EXPECT_EQ(settings_.cddbReply, "");
}

TEST_F(CddbLookupTest, MalformedEntriesAreCutNeverOverrun) {
    AddEntry("rock", discId_);
    const std::string read = "cddb read rock";
    const std::string status = "210 rock " + discId_ + " CD database entry follows\r\n";

    server_.SetRawAnswer(read, status + "DTITLE=A / B\r\nTTITLE0=x\r\n");  // no "."
    LookUp();
    EXPECT_EQ(settings_.cddbReply, "DTITLE=A / B\nTTITLE0=x\n");

    CddbServer endless{entries_};
    endless.SetRawAnswer(read, status + "TTITLE0=" + std::string(200000, 'a'));
    settings_.Port = endless.port();
    LookUp();
    EXPECT_EQ(settings_.cddbReply.size(), kCddbReplyBytes - 1);
    ParseCddbReply(settings_.cddbReply, settings_, settings_);  // the cut line is not taken
    EXPECT_EQ(settings_.tracks[0].title, "Track 01");

    CddbServer large{entries_};
    std::string entry = "DTITLE=Big / Entry\r\n";
    for (int i = 0; entry.size() < 40000; ++i) {
        entry += "TTITLE" + std::to_string(i % 3) + "=" + std::string(200, 'x') + "\r\n";
    }
    large.SetRawAnswer(read, status + entry + ".\r\n");
    settings_.Port = large.port();
    LookUp();
    EXPECT_EQ(settings_.cddbReply.size(), kCddbReplyBytes - 1);
    ParseCddbReply(settings_.cddbReply, settings_, settings_);
    EXPECT_EQ(settings_.Album, "Entry");
}

class CddbProxyTest : public CddbLookupTest {
  protected:
    void SetUp() override {
        CddbLookupTest::SetUp();
        AddEntry("rock", discId_);
        // Only the proxy can reach this name.
        settings_.Server = "cddb.example.invalid";
        settings_.Port = 80;
        settings_.Useproxy = 1;
        settings_.Proxyserver = "127.0.0.1";
        settings_.Proxyport = server_.port();
    }
};

TEST_F(CddbProxyTest, WithoutCredentials) {
    LookUp();
    EXPECT_EQ(settings_.cddbReply, ExpectedReply(discId_));
    const auto requests = server_.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_TRUE(requests[0].proxied);
    EXPECT_EQ(requests[0].host, "cddb.example.invalid");
    EXPECT_EQ(requests[0].proxyAuthorization, "");
}

TEST_F(CddbProxyTest, WithCredentials) {
    server_.RequireProxyLogin("user:s3cret");
    LookUp();  // none given
    EXPECT_EQ(settings_.cddbReply, "");

    settings_.Username = "user";
    settings_.Password = "wrong";
    LookUp();
    EXPECT_EQ(settings_.cddbReply, "");

    settings_.Password = "s3cret";
    LookUp();
    EXPECT_EQ(settings_.cddbReply, ExpectedReply(discId_));
    EXPECT_EQ(server_.Requests().back().proxyAuthorization, "Basic dXNlcjpzM2NyZXQ=");

    settings_.Useproxy = 0;  // without the proxy the server's name leads nowhere
    LookUp();
    EXPECT_EQ(settings_.cddbReply, "");
}

// What a window sees of a look-up's end: the notification, and whether another look-up may
// start when it arrives.
class DoneNotifications final : public WorkerNotifications {
  public:
    void TrackProgress(int32_t, int32_t) override {}
    void WorkFinished() override {}
    void LookupDone() override {
        startableWhenDone = lookup != nullptr && lookup->CanStart() && !lookup->Busy();
        ++done;
    }
    const DiscLookup* lookup = nullptr;
    std::atomic<int> done{0};
    std::atomic<bool> startableWhenDone{false};
};

bool WaitFor(const std::atomic<int>& done, int count) {
    const auto start = std::chrono::steady_clock::now();
    while (done < count && std::chrono::steady_clock::now() - start < 10s) {
        std::this_thread::sleep_for(5ms);
    }
    return done >= count;
}

TEST_F(CddbLookupTest, OneLookUpAtATimeAndCancelledOnExit) {
    net::SetDefaultTimeouts(10s, 30s);
    server_.SetStalling(true);
    const auto start = std::chrono::steady_clock::now();
    DoneNotifications notes;
    {
        DiscLookup lookup(notes);
        ASSERT_TRUE(Start(lookup));
        EXPECT_TRUE(lookup.Busy());
        EXPECT_FALSE(Start(lookup));

        lookup.Cancel();
        EXPECT_TRUE(WaitFor(notes.done, 1));
        EXPECT_FALSE(lookup.Busy());
        EXPECT_FALSE(TakeReply(lookup));
        EXPECT_EQ(settings_.cddbReply, "");

        server_.SetStalling(false);
        AddEntry("rock", discId_);
        ASSERT_TRUE(Start(lookup));
        server_.SetStalling(true);
    }  // leaving the scope ends whatever runs
    EXPECT_LT(std::chrono::steady_clock::now() - start, 8s);
    EXPECT_EQ(notes.done, 2);
}

// A look-up that finds nothing: when its end is told, the next one may start (the command is
// offered again), every time.
TEST_F(CddbLookupTest, WhenALookUpThatFoundNothingIsDoneTheNextMayStart) {
    DoneNotifications notes;
    DiscLookup lookup(notes);
    notes.lookup = &lookup;
    for (int run = 1; run <= 3; ++run) {
        ASSERT_TRUE(Start(lookup));
        ASSERT_TRUE(WaitFor(notes.done, run));
        EXPECT_TRUE(notes.startableWhenDone) << "look-up " << run;
        EXPECT_TRUE(TakeReply(lookup));
        EXPECT_EQ(settings_.lookupAnswer, LookupAnswer::none);
        EXPECT_EQ(settings_.lookupRunning, 0);
    }
}

// While the server holds its answer the window refreshes the disc and applies new options
// (server, e-mail, MusicBrainz): the look-up goes on with what it was started with, and its
// reply comes back into the record only when taken. Run under ThreadSanitizer too.
TEST_F(CddbLookupTest, TheRecordChangesWhileALookUpIsHeld) {
    AddEntry("rock", discId_);
    DoneNotifications notes;
    DiscLookup lookup(notes);
    server_.SetHolding(true);
    ASSERT_TRUE(Start(lookup));
    while (server_.Requests().empty()) {
        std::this_thread::sleep_for(5ms);
    }
    settings_.Server = "cddb.example.invalid";
    settings_.Email = "someone@example.org";
    settings_.musicBrainz.Server = "mb.example.invalid";
    settings_.releaseCandidates.push_back({});
    ASSERT_EQ(ReadDisc(settings_, settings_, settings_.Cdrom), 0);  // the same disc, read again
    server_.SetHolding(false);
    ASSERT_TRUE(WaitFor(notes.done, 1));
    EXPECT_TRUE(TakeReply(lookup));
    EXPECT_EQ(settings_.cddbReply, ExpectedReply(discId_));
    EXPECT_EQ(settings_.lookupAnswer, LookupAnswer::cddb);
    EXPECT_TRUE(settings_.releaseCandidates.empty());
    EXPECT_EQ(server_.Requests().size(), 2u);  // query and read, both of the first server
}

}  // namespace
}  // namespace disctrove
