#include "disc/ctdb_lookup.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stop_token>
#include <string>
#include <thread>

#include "net/web_client.h"
#include "support/all_records.h"
#include "tools/accuraterip_server.h"

namespace disctrove {
namespace {

using namespace std::chrono_literals;

// Tracks (data or audio) starting at `starts`, the lead-out at `leadOut`.
platform::Toc TocOf(const std::vector<std::pair<int32_t, bool>>& starts, int32_t leadOut) {
    platform::Toc toc;
    for (const auto& [start, data] : starts) {
        toc.tracks.push_back({static_cast<int>(toc.tracks.size()) + 1, start, data});
    }
    toc.leadOut = leadOut;
    return toc;
}

TEST(CtdbLookup, TocNamesEveryTrackAndTheLeadOut) {
    EXPECT_EQ(CtdbToc(TocOf({{0, false}, {15000, false}, {30000, false}}, 45000)),
              "0:15000:30000:45000");
    // An enhanced CD: the data track, in a session of its own, ends the disc.
    EXPECT_EQ(CtdbToc(TocOf({{0, false}, {15000, false}, {41400, true}}, 60000)),
              "0:15000:-41400:60000");
}

const char* const kAnswer =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<ctdb xmlns=\"http://db.cuetools.net/ns/mmd-1.0#\" "
    "xmlns:ext=\"http://db.cuetools.net/ns/ext-1.0#\">\n"
    "  <entry confidence=\"37\" crc32=\"a1b2c3d4\" hasparity=\"/parity?id=1&amp;x=2\" "
    "id=\"1234567\" npar=\"8\" stride=\"5880\" syndrome=\"AAEC\" toc=\"0:15000:30000\" "
    "trackcrcs=\"0000000f 89abcdef\"/>\n"
    "  <entry confidence=\"2\" crc32=\"FFFFFFFF\" id=\"89\" npar=\"8\" stride=\"5880\" "
    "toc=\"0:15000:-30000:40000\"></entry>\n"
    "</ctdb>\n";

TEST(CtdbLookup, ParsesTheEntriesOfAnAnswer) {
    const auto entries = ParseCtdbAnswer(kAnswer);
    ASSERT_TRUE(entries.has_value());
    ASSERT_EQ(entries->size(), 2u);
    const CtdbEntry& first = (*entries)[0];
    EXPECT_EQ(first.id, "1234567");
    EXPECT_EQ(first.crc32, 0xa1b2c3d4u);
    EXPECT_EQ(first.confidence, 37);
    EXPECT_EQ(first.trackCrcs, (std::vector<uint32_t>{0xf, 0x89abcdef}));
    EXPECT_EQ(first.toc, "0:15000:30000");
    EXPECT_EQ((*entries)[1].crc32, 0xffffffffu);
    EXPECT_TRUE((*entries)[1].trackCrcs.empty());

    EXPECT_EQ(ParseCtdbAnswer("<ctdb xmlns=\"http://db.cuetools.net/ns/mmd-1.0#\"/>")->size(), 0u);
}

TEST(CtdbLookup, RefusesWhatIsNoAnswer) {
    const std::string entry = "<entry id=\"1\" crc32=\"1\" confidence=\"1\" toc=\"0:9\"";
    const std::string open = "<ctdb xmlns=\"http://db.cuetools.net/ns/mmd-1.0#\">";
    const std::string answer(kAnswer);
    const std::vector<std::string> bad = {
        "",
        answer.substr(0, answer.size() / 2),                             // cut short
        "<ctdb>" + entry + "/></ctdb>",                                  // not the database's
        "<html><body>Error</body></html>",                               // a web page
        open + entry + "></ctdb>",                                       // entry never closed
        open + entry + "/></ctdb>trailing",                              // text after the root
        open + "<entry id=\"1\" confidence=\"1\" toc=\"0:9\"/></ctdb>",  // no checksum
        open + "<entry id=\"1\" crc32=\"xyz\" confidence=\"1\" toc=\"0:9\"/></ctdb>",  // not hex
        open + entry + " trackcrcs=\"12 zz\"/></ctdb>",  // a track's checksum not hex
        open + entry + " hasparity=\"&;\"/></ctdb>",     // a reference to nothing
        open + "<entry id=\"1\" id=\"2\" crc32=\"1\" confidence=\"1\" toc=\"0:9\"/></ctdb>",
    };
    for (const std::string& text : bad) {
        EXPECT_FALSE(ParseCtdbAnswer(text).has_value()) << text;
    }
}

// A look-up of the two-track disc `toc` against a loopback server.
class CtdbFetchTest : public ::testing::Test {
  protected:
    static constexpr const char* kPath =
        "/lookup2.php?version=3&ctdb=1&fuzzy=1&metadata=none&toc=0:15000:30000";

    CtdbFetchTest() {
        settings_.drives.push_back({});
        settings_.drives[0].toc = TocOf({{0, false}, {15000, false}}, 30000);
        settings_.tracks.resize(2);
        settings_.tracks[0].marked = 1;
        settings_.CtdbServer = "127.0.0.1:" + std::to_string(server_.port());
    }
    ~CtdbFetchTest() override { net::SetDefaultTimeouts(10s, 30s); }

    CtdbAnswer Fetch() { return FetchCtdb(CtdbRequest(settings_, settings_)); }

    testing::AccurateRipServer server_;
    testing::AllRecords settings_;
};

TEST_F(CtdbFetchTest, JudgesTracksAndTheDiscByTheAnswer) {
    server_.Serve(kPath, kAnswer);
    const CtdbAnswer answer = Fetch();
    ASSERT_EQ(server_.Requests().size(), 1u);
    EXPECT_EQ(server_.Requests()[0].path, kPath);
    EXPECT_EQ(answer.kind, CtdbAnswer::Kind::found);

    struct Case {
        CtdbVerdict verdict;
        const char* text;
    };
    const Case cases[] = {
        {JudgeCtdbTrack(answer, 1, 0x89abcdef), "accurate (37)"},
        {JudgeCtdbTrack(answer, 0, 0x89abcdef), "differs"},  // another track's checksum
        {JudgeCtdbTrack(answer, 2, 0x89abcdef), "unknown"},  // no entry has the track
        {JudgeCtdbDisc(answer, 0xffffffff), "accurate (2)"},
        {JudgeCtdbDisc(answer, 0x0000000f), "differs"},
        {JudgeCtdbDisc({CtdbAnswer::Kind::failed, answer.entries}, 0xffffffff), "unknown"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CtdbVerdictText(c.verdict), c.text);
    }

    // Two entries with the same checksum add up.
    CtdbAnswer twice = answer;
    twice.entries[1].crc32 = twice.entries[0].crc32;
    EXPECT_EQ(CtdbVerdictText(JudgeCtdbDisc(twice, 0xa1b2c3d4)), "accurate (39)");
}

TEST_F(CtdbFetchTest, WhatIsNoAnswer) {
    // Not served: 404.
    EXPECT_EQ(Fetch().kind, CtdbAnswer::Kind::notPresent);
    EXPECT_EQ(CtdbVerdictText(JudgeCtdbTrack(Fetch(), 0, 0)), "not present");

    server_.Serve(kPath, "<ctdb xmlns=\"http://db.cuetools.net/ns/mmd-1.0#\"></ctdb>");
    EXPECT_EQ(Fetch().kind, CtdbAnswer::Kind::notPresent);

    server_.Serve(kPath, "<ctdb><entry/>");
    EXPECT_EQ(Fetch().kind, CtdbAnswer::Kind::failed);

    server_.Serve(kPath, kAnswer);
    server_.SetBehaviour(testing::AccurateRipServer::Behaviour::cut);
    EXPECT_EQ(Fetch().kind, CtdbAnswer::Kind::failed);

    // A server that never answers is given up on.
    net::SetDefaultTimeouts(200ms, 400ms);
    server_.SetBehaviour(testing::AccurateRipServer::Behaviour::stall);
    EXPECT_EQ(Fetch().kind, CtdbAnswer::Kind::failed);
}

TEST_F(CtdbFetchTest, StopEndsTheLookUp) {
    // Only the stop can end this wait.
    net::SetDefaultTimeouts(1h, 1h);
    server_.SetBehaviour(testing::AccurateRipServer::Behaviour::stall);
    std::stop_source stop;
    CtdbLookup lookup(settings_, settings_, stop.get_token());
    ASSERT_TRUE(lookup.started());
    std::thread waiting([&] { EXPECT_EQ(lookup.Wait().kind, CtdbAnswer::Kind::stopped); });
    while (server_.Requests().empty()) {
        std::this_thread::sleep_for(5ms);
    }
    stop.request_stop();
    waiting.join();

    settings_.Ctdb = 0;
    CtdbLookup off(settings_, settings_, {});
    EXPECT_FALSE(off.started());
    EXPECT_EQ(off.Wait().kind, CtdbAnswer::Kind::failed);
}

}  // namespace
}  // namespace disctrove
