#include "disc/cddb_reply_parser.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/genres.h"
#include "codecs/track_tags.h"
#include "support/all_records.h"

namespace disctrove {
namespace {

// An entry as a CDDB server sends it at protocol level 6, status line and "." removed.
const char* const kEntry =
    "# xmcd\n"
    "#\n"
    "# Track frame offsets:\n"
    "#\t150\n"
    "#\t15094\n"
    "#\t33264\n"
    "#\n"
    "# Disc length: 2474 seconds\n"
    "#\n"
    "# Revision: 3\n"
    "# Submitted via: ExampleRipper 1.0\n"
    "#\n"
    "DISCID=8309a80a\n"
    "DTITLE=The Example Band / Songs of Testing\n"
    "DYEAR=1997\n"
    "DGENRE=rock\n"
    "TTITLE0=First Song\n"
    "TTITLE1=Second Song\n"
    "TTITLE2=Third Song\n"
    "EXTD= YEAR: 1997\n"
    "EXTT0=\n"
    "EXTT1=\n"
    "EXTT2=\n"
    "PLAYORDER=\n";

class CddbReplyParserTest : public ::testing::Test {
  protected:
    explicit CddbReplyParserTest(size_t trackCount = 3) {
        settings_.tracks.resize(trackCount);
        for (size_t i = 0; i < trackCount; ++i) {
            settings_.tracks[i].index = static_cast<int32_t>(i);
            settings_.tracks[i].title = "Track 0" + std::to_string(i + 1);
        }
    }
    std::vector<std::string> Titles() const {
        std::vector<std::string> titles;
        for (const auto& track : settings_.tracks) {
            titles.push_back(track.title);
        }
        return titles;
    }
    testing::AllRecords settings_;
};

TEST_F(CddbReplyParserTest, CompleteEntry) {
    ParseCddbReply(kEntry, settings_, settings_);
    EXPECT_EQ(settings_.Artist, "The Example Band");
    EXPECT_EQ(settings_.Album, "Songs of Testing");
    EXPECT_EQ(settings_.Year, "1997");
    EXPECT_EQ(settings_.Genre, 18);  // "Rock" is 17 in the ID3 list, matched ignoring case
    EXPECT_EQ(Titles(), (std::vector<std::string>{"First Song", "Second Song", "Third Song"}));
}

// The entry's EXTD lines, joined and decoded, are the disc's comment; an entry without one
// leaves none of the comment an earlier look-up gave.
TEST_F(CddbReplyParserTest, ExtendedDataIsTheComment) {
    const std::string titles = "DTITLE=A / B\nTTITLE0=x\nTTITLE1=y\nTTITLE2=z\n";
    const struct {
        std::string after;  // the entry's lines after the titles
        const char* comment;
    } rows[] = {
        {"EXTD= YEAR: 1997\nEXTT0=\n", "YEAR: 1997"},
        {"EXTD=Recorded live\\nin \nEXTD=Berlin\\t1989\r\nEXTT0=\n",
         "Recorded live in Berlin 1989"},
        {"EXTT0=see EXTD=no\nPLAYORDER=\n", ""},  // only a line's own key counts
        {"EXTD=\x1b[2Jbell\x07\n", "[2Jbell"},
        {"EXTD=cut short", ""},
        {"", ""},
    };
    for (const auto& row : rows) {
        settings_.comment = "an earlier entry's";
        ParseCddbReply(titles + row.after, settings_, settings_);
        EXPECT_EQ(settings_.comment, row.comment) << row.after;
        EXPECT_EQ(Titles(), (std::vector<std::string>{"x", "y", "z"}));
    }
    ParseCddbReply(kEntry, settings_, settings_);
    EXPECT_EQ(settings_.comment, "YEAR: 1997");
    // The files of a rip carry it as their comment.
    const std::vector<TrackTag> tags =
        TrackTags(settings_, settings_, settings_.tracks[0], true, TagSet::oggVorbis);
    EXPECT_TRUE(std::any_of(tags.begin(), tags.end(), [](const TrackTag& tag) {
        return tag.name == "COMMENT" && tag.value == "YEAR: 1997";
    }));
}

TEST_F(CddbReplyParserTest, CrLfLineEnds) {
    ParseCddbReply(
        "DISCID=1\r\nDTITLE=A / B\r\nDYEAR=2001\r\nDGENRE=Jazz\r\nTTITLE0=x\r\nTTITLE1=y\r\n"
        "TTITLE2=z\r\n",
        settings_, settings_);
    EXPECT_EQ(settings_.Artist, "A");
    EXPECT_EQ(settings_.Album, "B");
    EXPECT_EQ(settings_.Year, "2001");
    EXPECT_EQ(settings_.Genre, 9);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"x", "y", "z"}));
}

TEST_F(CddbReplyParserTest, ContinuedValuesKeepTheirFirstLine) {
    ParseCddbReply(
        "DISCID=1\nDTITLE=A Band With A Long Name / An Album Whose Title Goes On \nDTITLE=and on\n"
        "DYEAR=1990\nTTITLE0=Part one of a long\nTTITLE0= title\nTTITLE1=Two\nTTITLE1=...more\n"
        "TTITLE2=Three\n",
        settings_, settings_);
    EXPECT_EQ(settings_.Artist, "A Band With A Long Name");
    EXPECT_EQ(settings_.Album, "An Album Whose Title Goes On ");
    EXPECT_EQ(settings_.Year, "1990");
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Part one of a long", "Two", "Three"}));
}

TEST_F(CddbReplyParserTest, MissingYearStillGivesGenreAndTitles) {
    settings_.Year = "old";
    ParseCddbReply("DISCID=1\nDTITLE=A / B\nDGENRE=Classical\nTTITLE0=x\nTTITLE1=y\n", settings_,
                   settings_);
    EXPECT_EQ(settings_.Year, "old");
    EXPECT_EQ(settings_.Genre, 33);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"x", "y", "Track 03"}));
}

TEST_F(CddbReplyParserTest, GenreValues) {
    settings_.Genre = 5;
    ParseCddbReply("DGENRE=\nTTITLE0=x\n", settings_, settings_);
    EXPECT_EQ(settings_.Genre, 0);
    ParseCddbReply("DGENRE=PSYCHADELIC\n", settings_, settings_);
    EXPECT_EQ(settings_.Genre, 68);
    ParseCddbReply("DGENRE=Blues\n", settings_, settings_);
    EXPECT_EQ(settings_.Genre, 1);
    ParseCddbReply("DGENRE=Synthwave\n", settings_, settings_);  // unknown: no genre, not Blues
    EXPECT_EQ(settings_.Genre, 0);
}

TEST_F(CddbReplyParserTest, UnterminatedLastLineIsNotTaken) {
    ParseCddbReply("DTITLE=A / B\nTTITLE0=x\nTTITLE1=y\nTTITLE2=z", settings_, settings_);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"x", "y", "Track 03"}));

    testing::AllRecords other;
    ParseCddbReply("DISCID=1\nDTITLE=A / B", other, other);
    EXPECT_EQ(other.Artist, "");
    EXPECT_EQ(other.Album, "");
    ParseCddbReply("DISCID=12345678", other, other);  // nothing after the ID either
    ParseCddbReply("DTITLE=A / B\nDYEAR=1999", other, other);
    EXPECT_EQ(other.Artist, "A");
    EXPECT_EQ(other.Year, "");
}

TEST_F(CddbReplyParserTest, DiscTitleForms) {
    ParseCddbReply("DTITLE=One / Two / Three\n", settings_, settings_);
    EXPECT_EQ(settings_.Artist, "One");
    EXPECT_EQ(settings_.Album, "Three");

    ParseCddbReply("DTITLE=Same Name\nDYEAR=1980\n", settings_,
                   settings_);  // artist and title the same
    EXPECT_EQ(settings_.Artist, "Same Name");
    EXPECT_EQ(settings_.Album, "Same Name");
    EXPECT_EQ(settings_.Year, "1980");

    ParseCddbReply("DTITLE=AC/DC / Back in Black\n", settings_, settings_);  // " / " separates them
    EXPECT_EQ(settings_.Artist, "AC/DC");
    EXPECT_EQ(settings_.Album, "Back in Black");
    ParseCddbReply("DTITLE=Prince / 24/7 Live\n", settings_, settings_);
    EXPECT_EQ(settings_.Artist, "Prince");
    EXPECT_EQ(settings_.Album, "24/7 Live");

    ParseCddbReply("DTITLE=Tight/Album\n", settings_, settings_);  // no blanks: no letter is lost
    EXPECT_EQ(settings_.Artist, "Tight");
    EXPECT_EQ(settings_.Album, "Album");

    ParseCddbReply("DTITLE=Artist /\nDYEAR=1999\n", settings_,
                   settings_);  // the album never runs on
    EXPECT_EQ(settings_.Artist, "Artist");
    EXPECT_EQ(settings_.Album, "");
    EXPECT_EQ(settings_.Year, "1999");

    ParseCddbReply("DTITLE=/ Only Album\n", settings_, settings_);
    EXPECT_EQ(settings_.Artist, "");
    EXPECT_EQ(settings_.Album, "Only Album");
}

// The entry's escapes are decoded; a tab or newline becomes a space, which every output that
// lines or fields matter in (file names, CUE sheets, playlists, the terminal program) can hold.
TEST_F(CddbReplyParserTest, EscapesAreDecoded) {
    ParseCddbReply(
        "DTITLE=Sigur R\\\\os / Takk\\t...\n"
        "TTITLE0=Flugufrelsarinn\\tTab\nTTITLE1=Line\\nBreak\nTTITLE2=Back\\\\slash \\x kept\n",
        settings_, settings_);
    EXPECT_EQ(settings_.Artist, "Sigur R\\os");
    EXPECT_EQ(settings_.Album, "Takk ...");
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Flugufrelsarinn Tab", "Line Break",
                                                  "Back\\slash \\x kept"}));
}

TEST_F(CddbReplyParserTest, LongValuesAreKeptWhole) {
    const std::string longTitle(200, 't');
    ParseCddbReply("DTITLE=" + std::string(100, 'a') + " / " + std::string(120, 'b') +
                       "\nTTITLE0=" + longTitle + "\n",
                   settings_, settings_);
    EXPECT_EQ(settings_.Artist, std::string(100, 'a'));
    EXPECT_EQ(settings_.Album, std::string(120, 'b'));
    EXPECT_EQ(settings_.tracks[0].title, longTitle);
}

TEST_F(CddbReplyParserTest, TitlesBeyondTheTrackListAreIgnored) {
    ParseCddbReply("TTITLE0=a\nTTITLE1=b\nTTITLE2=c\nTTITLE3=d\nTTITLE4=e\n", settings_, settings_);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"a", "b", "c"}));
    testing::AllRecords empty;
    ParseCddbReply(kEntry, empty, empty);  // no tracks at all: still takes the disc fields
    EXPECT_EQ(empty.Album, "Songs of Testing");
}

TEST_F(CddbReplyParserTest, TitlesStopAtTheFirstMissingNumber) {
    ParseCddbReply("DTITLE=A / B\nTTITLE1=y\nTTITLE2=z\n", settings_, settings_);  // no TTITLE0
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Track 01", "Track 02", "Track 03"}));
    ParseCddbReply("TTITLE0=x\nTTITLE2=z\n", settings_, settings_);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"x", "Track 02", "Track 03"}));
}

TEST_F(CddbReplyParserTest, KeysAreTakenOnlyInEntryOrder) {
    // A year before the title is passed over once the title has been found.
    ParseCddbReply("DYEAR=1970\nDTITLE=A / B\nTTITLE0=x\n", settings_, settings_);
    EXPECT_EQ(settings_.Year, "");
    EXPECT_EQ(settings_.Artist, "A");
    EXPECT_EQ(settings_.tracks[0].title, "x");
}

TEST(GenreList, NamesAndLookUp) {
    EXPECT_EQ(GenreNames.size(), 80u);
    EXPECT_EQ(GenreNames[0], "Blues");
    EXPECT_EQ(GenreNames[17], "Rock");
    EXPECT_EQ(GenreNames[40], "Altern Rock");
    EXPECT_EQ(GenreNames[46], "Inst. Pop");
    EXPECT_EQ(GenreNames[47], "Instrum. Rock");
    EXPECT_EQ(GenreNames[51], "Techno-Indus");
    EXPECT_EQ(GenreNames[67], "Psychadelic");
    EXPECT_EQ(GenreNames[79], "Hard Rock");
    EXPECT_EQ(LookupGenre("hip-hop"), 7);
    EXPECT_EQ(LookupGenre("R&B"), 14);
    EXPECT_EQ(LookupGenre("Alternative Rock"), -1);  // only the short spelling is in the list
    EXPECT_EQ(LookupGenre(""), -1);
    EXPECT_EQ(GenreNameOf(0), "");
    EXPECT_EQ(GenreNameOf(1), "Blues");
    EXPECT_EQ(GenreNameOf(-3), "");
}

}  // namespace
}  // namespace disctrove
