#include "platform/cdrom/cddb_protocol.h"

#include <gtest/gtest.h>

namespace disctrove::platform {
namespace {

// The disc of the protocol's worked example: offsets 150 ... 174593, 2474 seconds.
DiscLayout ExampleDisc() {
    DiscLayout layout;
    for (const int offset :
         {150, 15094, 33264, 56071, 65515, 80900, 104437, 129474, 143140, 174593}) {
        layout.tracks.push_back({offset - 150, false});
    }
    layout.leadOut = 2474 * 75 - 150;
    return layout;
}

TEST(CddbCommands, DiscIdAndQuery) {
    EXPECT_EQ(ComputeCddbDiscId(ExampleDisc()), 0x8309a80au);
    EXPECT_EQ(CddbQueryCommand(ExampleDisc()),
              "cddb query 8309a80a 10 150 15094 33264 56071 65515 80900 104437 129474 143140 "
              "174593 2474");
    DiscLayout small;
    small.tracks = {{0, false}};
    small.leadOut = 75 * 60;
    EXPECT_EQ(CddbQueryCommand(small).substr(0, 19), "cddb query 02003c01");  // zero-padded
}

TEST(CddbAnswers, Status) {
    EXPECT_EQ(CddbStatus("200 rock 1234 A / B"), 200);
    EXPECT_EQ(CddbStatus("202\r\n"), 202);
    EXPECT_EQ(CddbStatus("2000 x"), 0);
    EXPECT_EQ(CddbStatus("ab1 x"), 0);
    EXPECT_EQ(CddbStatus("20"), 0);
    EXPECT_EQ(CddbStatus(""), 0);
    EXPECT_EQ(CddbStatus("-10 roa+"), 0);  // found by fuzz/cddb_answer_fuzzer
    EXPECT_EQ(CddbStatus("+20 x"), 0);
}

TEST(CddbAnswers, QueryAnswers) {
    auto one = ParseCddbQueryAnswer("200 rock 8309a80a The Band / Album\r\n", 32);
    ASSERT_TRUE(one.understood);
    ASSERT_EQ(one.matches.size(), 1u);
    EXPECT_EQ(one.matches[0].category, "rock");
    EXPECT_EQ(one.matches[0].discId, "8309a80a");
    EXPECT_EQ(one.matches[0].title, "The Band / Album");

    auto list = ParseCddbQueryAnswer(
        "210 Found exact matches, list follows (until terminating `.')\r\n"
        "folk 8309a80a A / B\r\nrock 8309a80a C / D\r\n.\r\nmisc 1 ignored\r\n",
        32);
    ASSERT_TRUE(list.understood);
    ASSERT_EQ(list.matches.size(), 2u);
    EXPECT_EQ(list.matches[1].category, "rock");

    auto inexact = ParseCddbQueryAnswer("211 close\nmisc 12345678 X / Y\n.\n", 32);
    ASSERT_EQ(inexact.matches.size(), 1u);
    EXPECT_EQ(inexact.matches[0].discId, "12345678");

    auto none = ParseCddbQueryAnswer("202 No match for disc ID 8309a80a.\r\n", 32);
    EXPECT_TRUE(none.understood);
    EXPECT_TRUE(none.matches.empty());
}

TEST(CddbAnswers, MatchListsAreBounded) {
    std::string body = "210 many\n";
    for (int i = 0; i < 40; ++i) {
        body += "rock " + std::to_string(10000000 + i) + " T\n";
    }
    EXPECT_EQ(ParseCddbQueryAnswer(body + ".\n", 32).matches.size(), 32u);
    // A list without its terminating "." still gives what arrived.
    EXPECT_EQ(ParseCddbQueryAnswer(body, 5).matches.size(), 5u);
}

TEST(CddbAnswers, ErrorsAndGarbageAreNotUnderstood) {
    for (const char* body : {"403 Database entry is corrupt.\r\n", "409 No handshake.\r\n",
                             "500 Unknown developer email\r\n", "530 Server error\r\n",
                             "\x01\x02 garbage", "", "200 rock\r\n", "<html>Not Found</html>"}) {
        EXPECT_FALSE(ParseCddbQueryAnswer(body, 32).understood) << body;
    }
}

TEST(CddbAnswers, ReadAnswers) {
    EXPECT_EQ(ParseCddbReadAnswer("210 rock 8309a80a CD database entry follows\r\n"
                                  "# xmcd\r\nDTITLE=A / B\r\nTTITLE0=x\r\n.\r\nafter\r\n"),
              "# xmcd\nDTITLE=A / B\nTTITLE0=x\n");
    // Without its terminator the entry is what arrived; a cut last line stays unterminated.
    EXPECT_EQ(ParseCddbReadAnswer("210 rock 1 follows\nDTITLE=A / B\nTTITLE0=x"),
              "DTITLE=A / B\nTTITLE0=x");
    EXPECT_EQ(ParseCddbReadAnswer("210 rock 1 follows\n.\n"), "");
    EXPECT_FALSE(ParseCddbReadAnswer("401 rock 1 No such CD entry in database.\r\n"));
    EXPECT_FALSE(ParseCddbReadAnswer("garbage"));
}

TEST(CddbText, Latin1BecomesUtf8) {
    EXPECT_EQ(CddbTextToUtf8("F\xC3\xB6rst \xE2\x82\xAC"), "F\xC3\xB6rst \xE2\x82\xAC");  // UTF-8
    EXPECT_EQ(CddbTextToUtf8("F\xF6rst \xE9t\xE9"), "F\xC3\xB6rst \xC3\xA9t\xC3\xA9");
    EXPECT_EQ(CddbTextToUtf8("\xC0\xAF"), "\xC3\x80\xC2\xAF");  // an overlong form is no UTF-8
    EXPECT_EQ(CddbTextToUtf8("\xED\xA0\x80"), "\xC3\xAD\xC2\xA0\xC2\x80");  // nor a surrogate
    EXPECT_EQ(CddbTextToUtf8("plain"), "plain");
}

}  // namespace
}  // namespace disctrove::platform
