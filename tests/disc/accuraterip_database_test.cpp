#include "disc/accuraterip_database.h"

#include <gtest/gtest.h>

#include <vector>

namespace disctrove {
namespace {

void Put32(std::vector<uint8_t>& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

// A pressing as the database writes it: (confidence, checksum) per track.
std::vector<uint8_t> Pressing(const std::vector<std::pair<uint8_t, uint32_t>>& tracks) {
    std::vector<uint8_t> out{static_cast<uint8_t>(tracks.size())};
    Put32(out, 0x164419);
    Put32(out, 0xb9f6e2);
    Put32(out, 0x9e11600b);
    for (const auto& [confidence, checksum] : tracks) {
        out.push_back(confidence);
        Put32(out, checksum);
        Put32(out, 0xFEEDu);
    }
    return out;
}

TEST(AccurateRipDatabase, PathOfTheDiscsAnswer) {
    const AccurateRipDiscId id{10, 0x00164419, 0x00b9f6e2, 0x9e11600b};
    EXPECT_EQ(AccurateRipPath(id), "accuraterip/9/1/4/dBAR-010-00164419-00b9f6e2-9e11600b.bin");
}

TEST(AccurateRipDatabase, EveryPressingAndEveryVerdict) {
    std::vector<uint8_t> answer = Pressing({{12, 0x1111}, {0, 0x2222}, {7, 0x3333}});
    const auto second = Pressing({{30, 0xAAAA}, {5, 0x2222}});  // a pressing with fewer tracks
    answer.insert(answer.end(), second.begin(), second.end());
    const auto pressings = ParseAccurateRipAnswer(answer);
    ASSERT_TRUE(pressings.has_value());
    ASSERT_EQ(pressings->size(), 2u);
    EXPECT_EQ((*pressings)[0].cddb, 0x9e11600bu);
    EXPECT_EQ((*pressings)[1].tracks[0].frame450, 0xFEEDu);

    struct Case {
        size_t position;
        AccurateRipSums sums;
        AccurateRipVerdict verdict;
        uint32_t confidence;
    };
    const Case cases[] = {
        {0, {0x1111, 0x9999}, AccurateRipVerdict::accurate, 12},    // v1 matches the first
        {0, {0x9999, 0xAAAA}, AccurateRipVerdict::accurate, 30},    // v2 matches the second
        {0, {0x9999, 0x9998}, AccurateRipVerdict::inaccurate, 42},  // all entries' confidence
        {1, {0x2222, 0}, AccurateRipVerdict::accurate, 5},          // the highest that matches
        {2, {0x3334, 0}, AccurateRipVerdict::inaccurate, 7},
        {3, {0x1111, 0}, AccurateRipVerdict::unknown, 0},  // no entry for the track
    };
    for (const Case& c : cases) {
        const AccurateRipResult result = JudgeTrack(*pressings, c.position, c.sums);
        EXPECT_EQ(result.verdict, c.verdict) << c.position << " " << c.sums.v1;
        EXPECT_EQ(result.confidence, c.confidence) << c.position << " " << c.sums.v1;
    }
    EXPECT_STREQ(VerdictName(AccurateRipVerdict::inaccurate), "inaccurate");
}

// An answer that is empty, cut short or says nonsense is "not in the database", never a crash.
TEST(AccurateRipDatabase, MalformedAnswersAreNothing) {
    const auto whole = Pressing({{3, 0x1}, {4, 0x2}});
    std::vector<std::vector<uint8_t>> bad = {{}, {0}, std::vector<uint8_t>(13, 0)};
    for (size_t cut = 1; cut < whole.size(); cut += 4) {
        bad.emplace_back(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
    }
    std::vector<uint8_t> trailing = whole;
    trailing.push_back(2);  // a second pressing that never comes
    bad.push_back(trailing);
    std::vector<uint8_t> html = {'<', 'h', 't', 'm', 'l', '>'};
    bad.push_back(html);
    for (const auto& answer : bad) {
        EXPECT_FALSE(ParseAccurateRipAnswer(answer).has_value()) << answer.size();
    }
    EXPECT_TRUE(ParseAccurateRipAnswer(whole).has_value());
}

}  // namespace
}  // namespace disctrove
