#include "platform/profile/profile_document.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "support/temp_dir.h"

namespace disctrove::platform {
namespace {

using testing::ReadWholeFile;
using testing::TempDir;
using testing::WriteWholeFile;

ProfileDocument FromText(const TempDir& dir, const std::string& text) {
    WriteWholeFile(dir.File("p.ini"), text);
    return ProfileDocument::Load(dir.File("p.ini"));
}

TEST(ProfileRead, MissingFileOrKeyGivesTheDefault) {
    TempDir dir;
    const auto missing = ProfileDocument::Load(dir.File("none.ini"));
    EXPECT_EQ(missing.ReadString("GENERAL", "Encoder", "MP3"), "MP3");

    const auto doc = FromText(dir, "[GENERAL]\nEncoder=WAV\n");
    EXPECT_EQ(doc.ReadString("GENERAL", "Cdrom", "0"), "0");
    EXPECT_EQ(doc.ReadString("OTHER", "Encoder", "x"), "x");
    EXPECT_FALSE(doc.Find("GENERAL", "Cdrom").has_value());
}

TEST(ProfileRead, EmptyValueIsAValueNotAMissingKey) {
    TempDir dir;
    const auto doc = FromText(dir, "[GENERAL]\nOutfolder=\n");
    EXPECT_EQ(doc.ReadString("GENERAL", "Outfolder", "."), "");
}

TEST(ProfileRead, NamesMatchIgnoringCaseAndBlanksAroundThemAreIgnored) {
    TempDir dir;
    const auto doc = FromText(dir, "  [ general ]\n  encoder =  OGG  \n[Cddb]\nSERVER=a.b\n");
    EXPECT_EQ(doc.ReadString("GENERAL", "Encoder", ""), "OGG");
    EXPECT_EQ(doc.ReadString("CDDB", "Server", ""), "a.b");
}

TEST(ProfileRead, CrLfAndLfFilesReadAlike) {
    TempDir dir;
    const auto crlf = FromText(dir, "[A]\r\nKey=one\r\nOther=two\r\n");
    EXPECT_EQ(crlf.ReadString("A", "Key", ""), "one");
    EXPECT_EQ(crlf.ReadString("A", "Other", ""), "two");
    const auto noFinalEnd = FromText(dir, "[A]\nKey=last");
    EXPECT_EQ(noFinalEnd.ReadString("A", "Key", ""), "last");
}

TEST(ProfileRead, FirstSectionAndFirstKeyWin) {
    TempDir dir;
    const auto doc = FromText(dir, "[A]\nK=1\nK=2\n[B]\nK=3\n[A]\nK=4\n");
    EXPECT_EQ(doc.ReadString("A", "K", ""), "1");
    EXPECT_EQ(doc.ReadString("B", "K", ""), "3");
}

TEST(ProfileRead, KeysOutsideTheirSectionDoNotCount) {
    TempDir dir;
    const auto doc = FromText(dir, "K=0\n[A]\n[B]\nK=1\n");
    EXPECT_FALSE(doc.Find("A", "K").has_value());
}

TEST(ProfileRead, TextsAreCutAt255CharactersWithoutSplittingOne) {
    TempDir dir;
    const auto doc = FromText(dir, "[A]\nLong=" + std::string(300, 'x') +
                                       "\nWide=" + std::string(254, 'y') + "\xC3\xA9\xC3\xA9\n");
    EXPECT_EQ(doc.ReadString("A", "Long", ""), std::string(255, 'x'));
    // 254 letters and one two-byte character make 255 characters.
    EXPECT_EQ(doc.ReadString("A", "Wide", ""), std::string(254, 'y') + "\xC3\xA9");
    EXPECT_EQ(doc.ReadString("A", "Long", "", 63).size(), 63u);
}

TEST(ProfileWrite, CreatesFileSectionAndKey) {
    TempDir dir;
    const std::string path = dir.File("sub/new.ini");
    auto doc = ProfileDocument::Load(path);
    doc.WriteString("GENERAL", "Encoder", "MP3");
    doc.WriteString("GENERAL", "Cdrom", "0");
    doc.WriteString("WAV", "Channels", "Stereo");
    ASSERT_TRUE(doc.Save(path));
    EXPECT_EQ(ReadWholeFile(path), "[GENERAL]\nEncoder=MP3\nCdrom=0\n\n[WAV]\nChannels=Stereo\n");
}

TEST(ProfileWrite, KeepsEveryOtherLineAndTheFilesLineEnds) {
    TempDir dir;
    const std::string original =
        "; my settings\r\n[GENERAL]\r\nencoder=WAV   \r\nCustom=keep me\r\n\r\n[Other]\r\nx=1";
    auto doc = FromText(dir, original);
    doc.WriteString("General", "Encoder", "OGG");  // existing key, other case
    doc.WriteString("GENERAL", "Jitter", "2");     // new key in an existing section
    doc.WriteString("ID3", "Artist", "A");         // new section
    EXPECT_EQ(doc.Text(),
              "; my settings\r\n[GENERAL]\r\nEncoder=OGG\r\nCustom=keep me\r\nJitter=2\r\n\r\n"
              "[Other]\r\nx=1\r\n\r\n[ID3]\r\nArtist=A\r\n");
}

TEST(ProfileWrite, ValuesReadBackExactlyAsWritten) {
    TempDir dir;
    const std::string path = dir.File("p.ini");
    auto doc = ProfileDocument::Load(path);
    const std::string values[] = {" padded ", "\"quoted\"", "a=b", "tab\t", "", "\"", "x\"y"};
    for (size_t i = 0; i < std::size(values); ++i) {
        doc.WriteString("S", "K" + std::to_string(i), values[i]);
    }
    ASSERT_TRUE(doc.Save(path));
    const auto again = ProfileDocument::Load(path);
    for (size_t i = 0; i < std::size(values); ++i) {
        EXPECT_EQ(again.ReadString("S", "K" + std::to_string(i), "?"), values[i]) << i;
    }
}

TEST(ProfileWrite, LineBreaksInAValueCannotAddKeysOrSections) {
    TempDir dir;
    auto doc = ProfileDocument::Load(dir.File("p.ini"));
    doc.WriteString("ID3", "Artist", "Evil\n[CDDB]\r\nServer=attacker");
    EXPECT_FALSE(doc.Find("CDDB", "Server").has_value());
    EXPECT_EQ(doc.ReadString("ID3", "Artist", ""), "Evil [CDDB]  Server=attacker");
}

TEST(ProfileWrite, SaveKeepsTheFileModeAndLeavesNoTemporaryFile) {
    TempDir dir;
    const std::string path = dir.File("p.ini");
    WriteWholeFile(path, "[A]\nK=1\n");
    ::chmod(path.c_str(), 0600);
    auto doc = ProfileDocument::Load(path);
    doc.WriteString("A", "K", "2");
    ASSERT_TRUE(doc.Save(path));
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_FALSE(std::ifstream(path + ".new").good());
    EXPECT_EQ(ReadWholeFile(path), "[A]\nK=2\n");
}

TEST(ProfileWrite, ByteOrderMarkIsKeptAndIgnoredForMatching) {
    TempDir dir;
    auto doc = FromText(dir, "\xEF\xBB\xBF[A]\nK=1\n");
    EXPECT_EQ(doc.ReadString("A", "K", ""), "1");
    doc.WriteString("A", "K", "2");
    EXPECT_EQ(doc.Text(), "\xEF\xBB\xBF[A]\nK=2\n");
}

TEST(ProfileWrite, SaveIntoAnUnwritablePlaceFails) {
    TempDir dir;
    auto doc = ProfileDocument::Load(dir.File("p.ini"));
    doc.WriteString("A", "K", "1");
    WriteWholeFile(dir.File("file"), "");
    EXPECT_FALSE(doc.Save(dir.File("file/p.ini")));  // its folder is a file
}

}  // namespace
}  // namespace disctrove::platform
