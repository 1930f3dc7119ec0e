#include "disc/musicbrainz_reply.h"

#include <gtest/gtest.h>

#include "disc/cddb_reply_parser.h"
#include "disc/release_apply.h"
#include "support/all_records.h"

namespace disctrove {
namespace {

TEST(MusicBrainzReply, MalformedAnswersGiveNothingOrEmptyFields) {
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    const std::string huge = R"({"releases": [], "pad": ")" + std::string(5 << 20, 'x') + "\"}";
    const std::string release = R"({"releases": [{"media": [{"tracks": [{}]}]}]})";
    struct Row {
        std::string text;
        size_t releases;
    };
    for (const Row& row : std::vector<Row>{
             {"", 0},
             {"null", 0},
             {"[]", 0},
             {"\"text\"", 0},
             {"{}", 0},
             {R"({"releases": 5})", 0},
             {R"({"releases": [5, "x", null, [], {}]})", 0},  // no medium, no release
             {R"({"releases": [{"media": {"tracks": []}}]})", 0},
             {R"({"releases": [{"media": [7]}]})", 0},
             {R"({"releases": [{"media": [{"tracks": [{}]}]}])", 0},  // cut short
             {R"({"releases": [{"media": [{"tracks": [{}]}]}]} trailing)", 0},
             {"\xff\xfe{\"releases\": []}", 0},
             {deep, 0},
             {huge, 0},
             {release, 1},
             {R"({"releases": [{"title": 5, "artist-credit": "x", "label-info": [null],
                 "release-group": [], "date": {}, "media": [{"position": -3, "format": 1,
                 "discs": 2, "tracks": [{"position": "1", "title": [], "artist-credit": [7],
                 "recording": "r"}]}]}]})",
              1},
         }) {
        std::vector<MusicBrainzRelease> parsed;
        ASSERT_NO_THROW(parsed = ParseMusicBrainzReply(row.text, "id", 1))
            << row.text.substr(0, 80);
        ASSERT_EQ(parsed.size(), row.releases) << row.text.substr(0, 80);
        for (const MusicBrainzRelease& r : parsed) {
            EXPECT_EQ(r.title + r.artist + r.date + r.label + r.format + r.releaseGroupId, "");
            EXPECT_EQ(r.mediumPosition, 1);
            ASSERT_EQ(r.tracks.size(), 1u);
            EXPECT_EQ(r.tracks[0].position, 1);
            EXPECT_EQ(r.tracks[0].title + r.tracks[0].artist + r.tracks[0].recordingId, "");
        }
    }
}

// On a disc with a hidden track, names go by the disc's numbers: a medium's pregap track names
// track 0, and CDDB's TTITLE0 names track 1.
TEST(MusicBrainzReply, NamesGoByTheDiscsNumbersBesideAHiddenTrack) {
    testing::AllRecords disc;
    for (int32_t i = 0; i < 3; ++i) {
        Track& track = disc.tracks.emplace_back();
        track.index = i;
        track.numberBase = 0;
    }
    const auto titles = [&disc] {
        std::vector<std::string> all;
        for (const Track& track : disc.tracks) {
            all.push_back(track.title);
        }
        return all;
    };
    const auto releases = ParseMusicBrainzReply(
        R"({"releases": [{"media": [{"pregap": {"position": 0, "title": "Intro"},
            "tracks": [{"position": 1, "title": "One"}, {"position": 2, "title": "Two"}]}]}]})",
        "id", 2);
    ASSERT_EQ(releases.size(), 1u);
    ApplyRelease(disc, releases[0]);
    EXPECT_EQ(titles(), (std::vector<std::string>{"Intro", "One", "Two"}));
    ParseCddbReply("DTITLE=A / B\nTTITLE0=Uno\nTTITLE1=Dos\n", disc, disc);
    EXPECT_EQ(titles(), (std::vector<std::string>{"Intro", "Uno", "Dos"}));
}

}  // namespace
}  // namespace disctrove
