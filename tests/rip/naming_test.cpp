#include "rip/naming.h"
#include "support/all_records.h"

#include <unistd.h>

#include <gtest/gtest.h>

namespace disctrove {
namespace {

class NamingTest : public ::testing::Test {
  protected:
    NamingTest() {
        settings_.drives.resize(1);
        settings_.drives[0].discId = 0x0A0B0C0D;
        track_.index = 0;
        track_.title = "Intro";
        track_.encoder = kEncoderMp3;
    }
    std::string Expand(const std::string& pattern) {
        settings_.currentTemplate = pattern;
        return ExpandTemplate(settings_, settings_.currentTemplate, track_);
    }
    testing::AllRecords settings_;
    Track track_;
};

TEST_F(NamingTest, TemplateCodes) {
    settings_.Artist = "Artist";
    settings_.Album = "Album";
    settings_.Year = "1999";
    settings_.Genre = 18;  // Rock
    EXPECT_EQ(Expand("$n-$t"), "01-Intro");
    track_.index = 11;
    EXPECT_EQ(Expand("$n-$t"), "12-Intro");
    track_.index = 122;
    EXPECT_EQ(Expand("$n"), "123");
    EXPECT_EQ(Expand("$A-$L-$Y-$G-$T-$N"), "Artist-Album-1999-Rock-Intro-123");
    EXPECT_EQ(Expand("$a-$l ($y, $g)"), "Artist-Album (1999_ Rock)");
}

TEST_F(NamingTest, AlbumArtistAndTrackArtistStandInForEachOther) {
    settings_.Artist = "Disc Artist";
    struct Case {
        const char* albumArtist;
        const char* trackArtist;
        const char* pattern;
        const char* expected;
    };
    const Case cases[] = {
        {"", "", "$a $A $r", "Disc Artist Disc Artist Disc Artist"},
        {"Album Artist", "", "$a $A $r", "Disc Artist Album Artist Album Artist"},
        {"", "Guest", "$A $r $R", "Disc Artist Guest Guest"},
        {"Various Artists", "AC/DC", "$n-$r-$t ($A)", "01-AC_DC-Intro (Various Artists)"},
    };
    for (const Case& c : cases) {
        settings_.release.albumArtist = c.albumArtist;
        track_.artist = c.trackArtist;
        EXPECT_EQ(Expand(c.pattern), c.expected) << c.pattern << " " << c.albumArtist;
    }
}

TEST_F(NamingTest, DollarRules) {
    track_.title = "A";
    EXPECT_EQ(Expand("$$$t"), "$A");
    EXPECT_EQ(Expand("plain name"), "plain name");
    EXPECT_EQ(Expand("$x$t"), "A");
    EXPECT_EQ(Expand("$t$"), "A");
}

// Found by fuzz/naming_fuzzer: these made the hidden file ".mp3" (or "..mp3") for every track.
TEST_F(NamingTest, ANameOfNothingIsTheTrackNumber) {
    track_.index = 6;
    for (const char* title : {"", ".", "..", "...", "   ", " . ", ". . "}) {
        track_.title = title;
        EXPECT_EQ(Expand("$t"), "07") << title;
    }
    EXPECT_EQ(Expand(""), "07");
    EXPECT_EQ(Expand("$x"), "07");
    track_.title = "  ...And Then.  ";
    EXPECT_EQ(Expand("$t"), "_..And Then.");  // not hidden, no blanks at the ends
    track_.title = "\xE2\x80\xAEgpj.exe";     // RIGHT-TO-LEFT OVERRIDE, shown as "exe.jpg"
    EXPECT_EQ(Expand("$t"), "_gpj.exe");
}

TEST_F(NamingTest, EmptyMetadataInsertsNothing) {
    EXPECT_EQ(Expand("$a-$t"), "-Intro");
    settings_.Genre = 0;
    EXPECT_EQ(Expand("[$g]"), "()");
    settings_.Genre = 81;  // outside the list
    EXPECT_EQ(Expand("$n$g"), "01");
    settings_.Genre = 80;
    EXPECT_EQ(Expand("$g"), "Hard Rock");
}

TEST_F(NamingTest, IllegalCharactersAreReplacedEvenWhenTyped) {
    track_.title = "AC/DC: Live?";
    EXPECT_EQ(Expand("$t"), "AC_DC_ Live_");
    track_.title = "Rock+Roll <1>";
    EXPECT_EQ(Expand("$t"), "Rock&Roll (1)");
    EXPECT_EQ(Expand("sub/dir\\$t"), "sub_dir_Rock&Roll (1)");
    std::string all = "\"*,/:;=?\\|+<[>]ok";
    ReplaceIllegalChars(all);
    EXPECT_EQ(all, "__________&(())ok");
}

// Found by fuzz/naming_fuzzer: a NUL from the metadata cut the path where the system reads it
// ("..\0x" opened the parent folder).
TEST_F(NamingTest, ControlCharactersAreReplaced) {
    settings_.folderHistory = {"/rips"};
    settings_.RipInFolder = 1;
    settings_.Artist = std::string("..\0x", 4);
    settings_.Album = "Line\nBreak\tTab\x7F";
    track_.title = std::string("a\0b", 3);
    settings_.currentTemplate = "$t";
    EXPECT_EQ(RipOutputPath(settings_, settings_, settings_.currentTemplate, track_),
              "/rips/_._x/Line_Break_Tab_/a_b.mp3");
}

TEST_F(NamingTest, LongNamesAreCutAtACharacterBoundary) {
    track_.title = std::string(250, 'x') + "\xC3\xA9\xC3\xA9";  // 254 bytes
    const std::string name = Expand("$t");
    EXPECT_EQ(name, std::string(250, 'x'));  // 251 would split the first two-byte character
    EXPECT_LE(RipOutputPath(settings_, settings_, settings_.currentTemplate, track_).size(),
              std::string("./").size() + 255);
    track_.title = std::string(300, 'y');
    EXPECT_EQ(Expand("$t").size(), 251u);  // room for ".mp3"
}

TEST_F(NamingTest, FolderAndPlaylistNames) {
    settings_.Artist = "X";
    settings_.Album = "Y";
    EXPECT_EQ(ArtistFolderName(settings_, settings_), "X");
    EXPECT_EQ(AlbumFolderName(settings_, settings_), "Y");
    EXPECT_EQ(PlaylistName(settings_, settings_), "X - Y.m3u");

    settings_.Artist.clear();
    settings_.Album.clear();
    EXPECT_EQ(ArtistFolderName(settings_, settings_), "Artist-A0B0C0DL");
    EXPECT_EQ(AlbumFolderName(settings_, settings_), "Album-A0B0C0DL");
    EXPECT_EQ(PlaylistName(settings_, settings_), "Unknown artist - AlbumA0B0C0DL.m3u");

    settings_.drives.clear();  // no drive: the ID of no disc
    EXPECT_EQ(AlbumFolderName(settings_, settings_), "Album-FFFFFFFFL");
}

// The disc's number and the set's size as codes, and a folder and playlist of its own for a disc
// of a set of several; a disc alone (1 of 1, or not known) is named as it always was.
TEST_F(NamingTest, DiscsOfASet) {
    settings_.Artist = "X";
    settings_.Album = "Y";
    const struct {
        int32_t number;
        int32_t total;
        const char* codes;  // "$d of $s: $n"
        const char* album;
        const char* playlist;
    } rows[] = {
        {0, 0, "of _ 01", "Y", "X - Y.m3u"},
        {1, 1, "1 of 1_ 01", "Y", "X - Y.m3u"},
        {1, 0, "1 of _ 01", "Y", "X - Y.m3u"},
        {2, 2, "2 of 2_ 01", "Y (Disc 2)", "X - Y (Disc 2).m3u"},
        {1, 3, "1 of 3_ 01", "Y (Disc 1)", "X - Y (Disc 1).m3u"},
        {2, 0, "2 of _ 01", "Y (Disc 2)", "X - Y (Disc 2).m3u"},
    };
    for (const auto& row : rows) {
        settings_.DiscNumber = row.number;
        settings_.DiscTotal = row.total;
        EXPECT_EQ(Expand("$d of $S: $n"), row.codes) << row.number << "/" << row.total;
        EXPECT_EQ(AlbumFolderName(settings_, settings_), row.album);
        EXPECT_EQ(PlaylistName(settings_, settings_), row.playlist);
    }
}

TEST_F(NamingTest, DiscDataCannotLeadOutOfTheOutputFolder) {
    settings_.folderHistory = {"/rips"};
    settings_.RipInFolder = 1;
    settings_.Artist = "..";
    settings_.Album = "../../etc";
    EXPECT_EQ(ArtistFolderName(settings_, settings_), "_");
    EXPECT_EQ(AlbumFolderName(settings_, settings_), "_._.._etc");
    EXPECT_EQ(RipOutputFolder(settings_, settings_), "/rips/_/_._.._etc/");
    settings_.Artist = ".";
    settings_.Album = "AC/DC";
    EXPECT_EQ(RipOutputFolder(settings_, settings_), "/rips/_/AC_DC/");
    EXPECT_EQ(PlaylistName(settings_, settings_), "_ - AC_DC.m3u");
    settings_.Artist = std::string(300, 'a');
    EXPECT_EQ(ArtistFolderName(settings_, settings_).size(), 255u);
    EXPECT_LE(PlaylistName(settings_, settings_).size(), 255u);
}

TEST_F(NamingTest, RipOutputPath) {
    settings_.folderHistory = {"/rips"};
    settings_.RipInFolder = 1;
    settings_.Artist = "X";
    settings_.Album = "Y";
    settings_.currentTemplate = "$n-$t";
    track_.index = 2;
    track_.title = "T";
    EXPECT_EQ(RipOutputPath(settings_, settings_, settings_.currentTemplate, track_),
              "/rips/X/Y/03-T.mp3");

    settings_.RipInFolder = 0;
    track_.encoder = kEncoderOgg;
    EXPECT_EQ(RipOutputPath(settings_, settings_, settings_.currentTemplate, track_),
              "/rips/03-T.ogg");
    settings_.folderHistory = {"/rips/"};
    track_.encoder = kEncoderWav;
    EXPECT_EQ(RipOutputPath(settings_, settings_, settings_.currentTemplate, track_),
              "/rips/03-T.wav");
    track_.encoder = kEncoderWma;
    settings_.folderHistory.clear();
    EXPECT_EQ(RipOutputPath(settings_, settings_, settings_.currentTemplate, track_), "./03-T.wma");
    settings_.folderHistory = {""};  // an empty output folder means here, never "/"
    EXPECT_EQ(RipBaseFolder(settings_), "./");
}

TEST_F(NamingTest, ConvertOutputPathReplacesTheWholeExtension) {
    settings_.Outfolder = "/out";
    settings_.WAVEncoder = kEncoderMp3;
    EXPECT_EQ(ConvertOutputPath(settings_, "/in/song.wav"), "/out/song.mp3");
    EXPECT_EQ(ConvertOutputPath(settings_, "/in/a.flac"), "/out/a.mp3");
    EXPECT_EQ(ConvertOutputPath(settings_, "/in/my.disc/song"), "/out/song.mp3");
    EXPECT_EQ(ConvertOutputPath(settings_, "/in/v1.2.wav"), "/out/v1.2.mp3");
    EXPECT_EQ(ConvertOutputPath(settings_, "relative.wav"), "/out/relative.mp3");
    settings_.WAVEncoder = kEncoderOgg;
    settings_.Outfolder = "/out/";
    EXPECT_EQ(ConvertOutputPath(settings_, "/in/song.WAV"), "/out/song.ogg");
    settings_.WAVEncoder = kEncoderWma;
    EXPECT_EQ(ConvertOutputPath(settings_, "/in/x.wav"), "/out/x.wma");
    // The name of a file is kept whole (its characters are the user's, not the disc's).
    EXPECT_EQ(ConvertOutputPath(settings_, "/in/a+b.wav"), "/out/a+b.wma");
}

TEST_F(NamingTest, DecodeOutputPath) {
    settings_.Outfolder = "/out";
    EXPECT_EQ(DecodeOutputPath(settings_, "/in/song.ogg"), "/out/song.wav");
    EXPECT_EQ(DecodeOutputPath(settings_, "/in/a+b [live].ogg"), "/out/a&b (live).wav");
    EXPECT_EQ(DecodeOutputPath(settings_, "/in.dir/noext"), "/out/noext.wav");
    EXPECT_EQ(DecodeOutputPath(settings_, "plain.oga"), "/out/plain.wav");
    settings_.Outfolder = "";
    EXPECT_EQ(DecodeOutputPath(settings_, "/in/song.ogg"), "./song.wav");
    const std::string longName = std::string(260, 'n') + ".ogg";
    EXPECT_EQ(DecodeOutputPath(settings_, "/in/" + longName),
              "./" + std::string(251, 'n') + ".wav");
}

TEST(TempPcmPath, FolderRulesAndOwnName) {
    testing::AllRecords s;
    Track track;
    track.index = 2;
    const std::string name = "cddatmp-" + std::to_string(::getpid()) + "-03.pcm";
    s.Tmpfolder = "/var/tmp/rips";
    s.folderHistory = {"/music"};
    EXPECT_EQ(TempPcmPath(s, track), "/var/tmp/rips/" + name);
    s.Tmpfolder = "/var/tmp/";
    EXPECT_EQ(TempPcmPath(s, track), "/var/tmp/" + name);
    s.Tmpfolder = "";
    EXPECT_EQ(TempPcmPath(s, track), "/music/" + name);
    s.folderHistory = {""};
    EXPECT_EQ(TempPcmPath(s, track), "./" + name);
    s.folderHistory.clear();
    EXPECT_EQ(TempPcmPath(s, track), "./" + name);
}

}  // namespace
}  // namespace disctrove
