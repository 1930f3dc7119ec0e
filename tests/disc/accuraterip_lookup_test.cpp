#include "disc/accuraterip_lookup.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stop_token>
#include <thread>

#include "net/web_client.h"
#include "support/all_records.h"
#include "tools/accuraterip_server.h"

namespace disctrove {
namespace {

using namespace std::chrono_literals;

// A table of contents of tracks (data or audio) of 1000 sectors each.
platform::Toc TocOf(const std::vector<bool>& data) {
    platform::Toc toc;
    for (size_t i = 0; i < data.size(); ++i) {
        toc.tracks.push_back({static_cast<int>(i) + 1, static_cast<int32_t>(i) * 1000, data[i]});
    }
    toc.leadOut = static_cast<int32_t>(data.size()) * 1000;
    return toc;
}

// The database gives a mixed-mode disc's data track the first entry; an enhanced CD's data
// track, at the end, takes none.
TEST(AccurateRipLookup, EntryOfEachAudioTrack) {
    Track second;
    second.index = 1;  // the second audio track
    EXPECT_EQ(AccurateRipEntryOf(TocOf({true, false, false}), second), 2u);
    EXPECT_EQ(AccurateRipEntryOf(TocOf({false, false, true}), second), 1u);
    EXPECT_EQ(AccurateRipEntryOf(TocOf({false, false}), second), 1u);
}

// The look-up goes through the CDDB proxy when the settings say so, and Stop ends the wait for
// a server that never answers.
TEST(AccurateRipLookup, ThroughTheProxyAndStopped) {
    testing::AccurateRipServer server;
    testing::AllRecords settings;
    settings.drives.push_back({});
    settings.drives[0].toc = TocOf({false, false});
    settings.drives[0].discId = 0x0a0b0c02;
    settings.tracks.resize(2);
    settings.tracks[0].marked = 1;
    settings.ArServer = "db.accuraterip.invalid";
    settings.Useproxy = 1;
    settings.Proxyserver = "127.0.0.1";
    settings.Proxyport = server.port();
    // 0 + 1000 + 2000; 1 (a start of 0 counts as 1) + 1000×2 + 2000×3
    const std::string path = "/accuraterip/8/b/b/dBAR-002-00000bb8-00001f41-0a0b0c02.bin";
    server.Serve(path, testing::DbarFile({{0xbb8, 0x1f41, 0x0a0b0c02, {{2, 7, 0}, {1, 8, 0}}}}));
    const auto pressings =
        FetchAccurateRip(AccurateRipRequest(settings, settings), {2, 0xbb8, 0x1f41, 0x0a0b0c02});
    ASSERT_EQ(pressings.size(), 1u);
    EXPECT_EQ(pressings[0].tracks[1].checksum, 8u);
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_TRUE(server.Requests()[0].proxied);
    EXPECT_EQ(server.Requests()[0].host, "db.accuraterip.invalid");
    EXPECT_EQ(server.Requests()[0].path, path);

    // Only the cancel can end this wait.
    net::SetDefaultTimeouts(1h, 1h);
    server.SetBehaviour(testing::AccurateRipServer::Behaviour::stall);
    std::vector<TrackResult> results(1);  // track 1 was marked, track 2 not
    results[0].accurateRip = AccurateRipSums{7, 7};
    results[0].status = kStatusCompleted;
    std::stop_source stop;
    AccurateRipLookup lookup(settings, settings, stop.get_token());
    std::thread judging([&] { JudgeRip(settings, results, lookup); });  // the end of the rip
    while (server.Requests().size() < 2) {
        std::this_thread::sleep_for(5ms);
    }
    stop.request_stop();  // Stop, while the end of the rip waits for the answer
    judging.join();
    ASSERT_EQ(results.size(), 1u);
    ASSERT_TRUE(results[0].verdict.has_value());
    EXPECT_EQ(results[0].verdict->verdict, AccurateRipVerdict::unknown);
    net::SetDefaultTimeouts(10s, 30s);
}

}  // namespace
}  // namespace disctrove
