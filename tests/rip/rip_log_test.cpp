#include "rip/rip_log.h"
#include "support/all_records.h"

#include <gtest/gtest.h>

#include <vector>

namespace disctrove {
namespace {

struct Case {
    std::vector<std::optional<AccurateRipResult>> verdicts;  // of tracks 1 and 2
    int32_t secondStatus;
    std::vector<int32_t> secondReadErrors;
    std::optional<uint32_t> secondTestCrc;
    std::vector<std::string> expected;     // lines the log holds
    std::optional<CtdbVerdict> ctdb = {};  // of both tracks
};

// What the log says of each track's verdict and errors, and its summaries: the first one, a
// sentence, and the last one.
TEST(RipLog, VerdictsErrorsAndSummary) {
    using V = AccurateRipVerdict;
    const AccurateRipResult accurate{V::accurate, 12};
    const AccurateRipResult inaccurate{V::inaccurate, 5};
    const AccurateRipResult unknown{V::unknown, 0};
    const AccurateRipResult pressing{V::accurate, 12, 6};
    const std::vector<Case> cases = {
        {{accurate, accurate},
         kStatusCompleted,
         {},
         0x1234ABCD,
         {"Accurately ripped (confidence 12)", ": 1234ABCD (OK)\n",
          "log\n\nAll 2 tracks accurate\n", "\nAll tracks accurately ripped\n"}},
        {{accurate, inaccurate},
         kStatusCompleted,
         {},
         {},
         {"Not accurate (total confidence 5)", "\n1 track inaccurate\n",
          "\n1 of 2 tracks accurate. Track 02: inaccurate in AccurateRip.\n"}},
        {{inaccurate, unknown},
         kStatusCompleted,
         {},
         {},
         {"\n1 track inaccurate, 1 track could not be verified\n"}},
        {{unknown, std::nullopt},
         kStatusCompleted,
         {},
         {},
         {"Unknown (not in the database, or no answer)", "Not verified",
          "\n2 tracks could not be verified\n",
          "0 of 2 tracks accurate. Track 01: not verified by AccurateRip. Track 02: not "
          "verified.\n"}},
        {{unknown, unknown},
         kStatusCompleted,
         {},
         {},
         {"All 2 tracks accurate\n", ": Accurate (confidence 40)\n"},
         CtdbVerdict{CtdbVerdict::Kind::accurate, 40}},
        {{pressing, accurate},
         kStatusCompleted,
         {},
         {},
         {"Accurately ripped (confidence 12), pressing offset +6\n", "All 2 tracks accurate\n"}},
        {{pressing, pressing},
         kStatusCompleted,
         {},
         {},
         {"All 2 tracks accurate, at pressing offset +6\n",
          ": no; every track AccurateRip knows matched +6 samples off"}},
        {{accurate, accurate},
         kStatusCompleted,
         {1000 + 80, 1000 + 81, 1000 + 82, 1000 + 4500},
         {},
         {": 00:01.05 to 00:01.07 (sectors 1080-1082), 01:00.00 (sector 5500)\n",
          "\nThere were errors\n", "1 of 2 tracks accurate. Track 02: 4 read errors.\n"}},
        {{accurate, accurate}, kStatusCompleted, {}, 1, {"(mismatch)", "\nThere were errors\n"}},
        {{accurate, std::nullopt},
         kStatusError,
         {},
         {},
         {": ERROR\n", "\nThere were errors\n", "Track 02: error.\n"}},
    };
    for (const Case& c : cases) {
        testing::AllRecords settings;
        settings.drives.push_back({});
        RipResult rip;
        for (int i = 0; i < 2; ++i) {
            Track track;
            track.index = i;
            track.title = "T";
            track.marked = 1;
            track.startSector = i * 1000;
            track.lengthSectors = i == 0 ? 1000 : 6000;
            track.status = kStatusCompleted;
            settings.tracks.push_back(std::move(track));
            TrackResult& result = rip.tracks.emplace_back();
            result.index = i;
            result.number = i + 1;
            result.status = kStatusCompleted;
            result.file = "/music/T.mp3";
            result.checks = AudioChecks{0x1234ABCD, 16384};
            result.verdict = c.verdicts[static_cast<size_t>(i)];
            result.ctdbVerdict = c.ctdb;
        }
        TrackResult& second = rip.tracks[1];
        second.status = c.secondStatus;
        second.readErrors = c.secondReadErrors;
        second.testCrc = c.secondTestCrc;
        const std::string log = RipLogText(settings, settings, rip, {}, "/music/", 0);
        for (const std::string& line : c.expected) {
            EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
        }
        EXPECT_NE(log.find(": 50.0 %\n"), std::string::npos);
    }
}

}  // namespace
}  // namespace disctrove
