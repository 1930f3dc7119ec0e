#include "audio/audio_checks.h"

#include "audio/accuraterip_stage.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <vector>

namespace disctrove {
namespace {

// Reads come in pieces of any size, even ones that split a sample; the checks are those of the
// whole audio.
TEST(AudioChecksStage, PiecesOfAnySizeGiveTheChecksOfTheWhole) {
    std::vector<uint8_t> audio(10000);
    for (size_t i = 0; i < audio.size(); ++i) {
        audio[i] = static_cast<uint8_t>(i * 37 + i / 7);
    }
    audio[5000] = 0x00;  // the sample at bytes 5000-5001 is -32768, the loudest there is
    audio[5001] = 0x80;
    const auto whole = static_cast<uint32_t>(crc32(0, audio.data(), audio.size()));
    for (const size_t piece : {size_t{1}, size_t{3}, size_t{2352}, size_t{4999}, audio.size()}) {
        AudioChecksStage stage;
        AccurateRipStage accurateRip(audio.size() / 4, true, true);
        for (size_t at = 0; at < audio.size(); at += piece) {
            const std::span<const uint8_t> bytes{audio.data() + at,
                                                 std::min(piece, audio.size() - at)};
            ASSERT_TRUE(stage.Take(bytes));
            ASSERT_TRUE(accurateRip.Take(bytes));
        }
        EXPECT_EQ(stage.checks().crc32, whole) << piece;
        EXPECT_EQ(stage.checks().peak, 32768u) << piece;
        AccurateRipStage wholeSums(audio.size() / 4, true, true);
        wholeSums.Take(audio);
        EXPECT_EQ(accurateRip.sums().v1, wholeSums.sums().v1) << piece;
        EXPECT_EQ(accurateRip.sums().v2, wholeSums.sums().v2) << piece;
    }
    AudioChecksStage silence;
    const std::vector<uint8_t> zeros(100, 0);
    silence.Take(zeros);
    EXPECT_EQ(silence.checks().peak, 0u);
    EXPECT_EQ(silence.checks().crc32, static_cast<uint32_t>(crc32(0, zeros.data(), 100)));
}

}  // namespace
}  // namespace disctrove
