#include "front/outcome_texts.h"

#include <gtest/gtest.h>

#include <vector>

namespace disctrove {
namespace {

// One track of a run: how it ended, and what AccurateRip said (none: not asked).
struct Ended {
    int32_t status;
    std::optional<AccurateRipVerdict> verdict;
    uint32_t confidence = 0;
    std::vector<int32_t> readErrors = {};
};

RipResult RunOf(int outcome, const std::vector<Ended>& tracks) {
    RipResult rip;
    rip.outcome = outcome;
    for (size_t i = 0; i < tracks.size(); ++i) {
        TrackResult track;
        track.index = static_cast<int32_t>(i);
        track.number = static_cast<int32_t>(i + 1);
        track.status = tracks[i].status;
        if (track.status == kStatusCompleted) {
            track.file = "/music/Artist/Album/0" + std::to_string(i + 1) + ".flac";
        }
        if (tracks[i].verdict) {
            track.verdict = AccurateRipResult{*tracks[i].verdict, tracks[i].confidence, 0};
        }
        track.readErrors = tracks[i].readErrors;
        rip.tracks.push_back(track);
    }
    return rip;
}

TEST(RipOutcome, OneSentenceForHowTheRunEnded) {
    constexpr int32_t kDone = kStatusCompleted;
    constexpr auto kAccurate = AccurateRipVerdict::accurate;
    constexpr auto kInaccurate = AccurateRipVerdict::inaccurate;
    constexpr auto kUnknown = AccurateRipVerdict::unknown;
    struct Case {
        RipResult rip;
        const char* sentence;
        bool wellEnded;
    };
    const Case cases[] = {
        // The disc is as sure as its least sure track.
        {RunOf(kRipCompleted, {{kDone, kAccurate, 12},
                               {kDone, kAccurate, 15},
                               {kDone, kAccurate, 12},
                               {kDone, kAccurate, 40}}),
         "4 tracks ripped to /music/Artist/Album \u2014 all accurate (12)", true},
        {RunOf(kRipCompleted,
               {{kDone, kAccurate, 9}, {kDone, kInaccurate, 30}, {kDone, kAccurate, 11}}),
         "3 tracks ripped to /music/Artist/Album \u2014 track 2 inaccurate, 2 accurate (9)", false},
        {RunOf(kRipCompleted,
               {{kDone, kAccurate, 5}, {kStatusError, std::nullopt}, {kDone, kAccurate, 5}}),
         "2 of 3 tracks ripped to /music/Artist/Album \u2014 track 2 failed, 2 accurate (5)",
         false},
        {RunOf(kRipStopped, {{kDone, std::nullopt},
                             {kStatusStopped, std::nullopt},
                             {kStatusStopped, std::nullopt}}),
         "Stopped: 1 of 3 tracks ripped to /music/Artist/Album", false},
        {RunOf(kRipStopped, {{kStatusStopped, std::nullopt}}),
         "Stopped before any track was ripped", false},
        // Not asked: nothing said of AccurateRip; asked and not found: said so.
        {RunOf(kRipCompleted, {{kDone, std::nullopt}}), "1 track ripped to /music/Artist/Album",
         true},
        {RunOf(kRipCompleted, {{kDone, kUnknown}, {kDone, kUnknown}}),
         "2 tracks ripped to /music/Artist/Album \u2014 not in the AccurateRip database", true},
        {RunOf(kRipCompleted, {{kDone, kAccurate, 3}, {kDone, kUnknown}}),
         "2 tracks ripped to /music/Artist/Album \u2014 1 accurate (3), 1 not in the AccurateRip "
         "database",
         true},
        // A No to the overwrite question, and read errors let pass.
        {RunOf(kRipCompleted, {{kDone, std::nullopt, 0, {1200}}, {kStatusStopped, std::nullopt}}),
         "1 of 2 tracks ripped to /music/Artist/Album \u2014 track 2 skipped, track 1 in doubt",
         false},
        {RunOf(kRipFailed, {{kStatusError, std::nullopt}, {kStatusError, std::nullopt}}),
         "No track was ripped \u2014 tracks 1 and 2 failed", false},
        {RunOf(kRipCompleted, {}), "No track was marked: nothing was ripped", false},
    };
    for (const Case& c : cases) {
        const RipOutcome outcome = DescribeRip(c.rip, "/out/");
        EXPECT_EQ(outcome.sentence, c.sentence);
        EXPECT_EQ(outcome.wellEnded, c.wellEnded) << c.sentence;
    }
    // The folder is the files', else the image's, else the output folder.
    RipResult image = RunOf(kRipCompleted, {{kDone, std::nullopt}});
    image.tracks[0].file.clear();
    EXPECT_EQ(DescribeRip(image, "/out/").folder, "/out");
    image.image = "/music/Disc.flac";
    EXPECT_EQ(DescribeRip(image, "/out/").folder, "/music");
}

TEST(LookupOutcome, NothingFoundIsSaidOnlyWhenTheServicesAnswered) {
    struct Case {
        LookupAnswer answer;
        std::vector<std::string> unanswered;
        bool musicBrainzAsked;
        const char* sentence;
    };
    const Case cases[] = {
        {LookupAnswer::none, {}, true, "This disc is not in MusicBrainz or CDDB"},
        {LookupAnswer::none,
         {"CDDB"},
         true,
         "This disc is not in MusicBrainz, and CDDB gave no answer"},
        {LookupAnswer::none,
         {"MusicBrainz"},
         true,
         "This disc is not in CDDB, and MusicBrainz gave no answer"},
        {LookupAnswer::none, {"MusicBrainz", "CDDB"}, true, ""},
        {LookupAnswer::none, {}, false, "This disc is not in CDDB"},
        {LookupAnswer::cddb, {"MusicBrainz"}, true, ""},
        {LookupAnswer::musicBrainz, {}, true, ""},
    };
    for (const Case& c : cases) {
        LookupResult found;
        found.lookupAnswer = c.answer;
        found.lookupUnanswered = c.unanswered;
        EXPECT_EQ(NotFoundSentence(found, c.musicBrainzAsked), c.sentence);
    }
}

TEST(FreeSpace, InWordsWithDecimalUnits) {
    const std::pair<long long, const char*> cases[] = {
        {75'300'000'000LL, "75.3 GB free on /music"},
        {75'349'999'999LL, "75.3 GB free on /music"},
        {999'960'000LL, "1.0 GB free on /music"},
        {1'500'000'000'000LL, "1.5 TB free on /music"},
        {12'345LL, "12.3 kB free on /music"},
        {999LL, "999 bytes free on /music"},
        {1LL, "1 byte free on /music"},
        {-1LL, ""},
    };
    for (const auto& [bytes, words] : cases) {
        EXPECT_EQ(FreeSpaceWords(bytes, "/music/"), words);
    }
}

TEST(NextFile, FromTheDiscsNamesOrASampleDisc) {
    Options options;
    options.folderHistory = {"/music"};
    options.RipInFolder = 1;
    DiscState disc;
    disc.Artist = "Band";
    disc.Album = "Record";
    for (int i = 0; i < 3; ++i) {
        Track track;
        track.index = i;
        track.title = "Song " + std::to_string(i + 1);
        track.marked = i == 1 ? 1 : 0;
        disc.tracks.push_back(track);
    }
    EXPECT_EQ(NextFilePreview(options, disc, "$n-$t", kEncoderFlac),
              "/music/Band/Record/02-Song 2.flac");
    EXPECT_EQ(NextFilePreview(options, DiscState(), "$a - $t", kEncoderMp3),
              "/music/Disctrove Demo Ensemble/Plucked Strings/Disctrove Demo Ensemble - Morning "
              "Strings.mp3");
}

}  // namespace
}  // namespace disctrove
