#include "audio/loudness_stage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "tools/music.h"

namespace disctrove {
namespace {

// Measuring while the audio passes in pieces that split frames and samples gives what
// measuring the whole WAV file gives.
TEST(LoudnessStage, PiecesOfAnySizeMeasureLikeTheWholeFile) {
    testing::TempDir dir;
    const std::vector<int16_t> samples = testing::SynthesizeMusic(3, 2);
    const std::string wav = dir.File("music.wav");
    testing::WriteStereoWav(wav, samples);
    const auto whole = MeasureWavFile(wav);
    ASSERT_TRUE(whole);
    std::vector<uint8_t> bytes(samples.size() * 2);
    std::memcpy(bytes.data(), samples.data(), bytes.size());
    for (const size_t piece : {size_t{1}, size_t{3}, size_t{2352 * 7 + 1}}) {
        LoudnessStage stage;
        for (size_t at = 0; at < bytes.size(); at += piece) {
            ASSERT_TRUE(stage.Take({bytes.data() + at, std::min(piece, bytes.size() - at)}));
        }
        const auto result = stage.meter().Result();
        ASSERT_TRUE(result);
        EXPECT_DOUBLE_EQ(result->gainDb, whole->gainDb) << piece;
        EXPECT_DOUBLE_EQ(result->peak, whole->peak) << piece;
    }
    LoudnessStage silence;
    ASSERT_TRUE(silence.Take(std::vector<uint8_t>(44100 * 4)));
    EXPECT_FALSE(silence.meter().Result());  // nothing to measure: no gain
}

// Finished measurements, as a rip keeps them until the last track, give the album the same
// loudness and peak as running ones.
TEST(LoudnessStage, FinishedMeasurementsTakenTogetherMeasureAsBefore) {
    std::vector<LoudnessStage> running(3);
    std::vector<LoudnessStage> finished(3);
    for (size_t i = 0; i < running.size(); ++i) {
        const std::vector<int16_t> samples =
            testing::SynthesizeMusic(2 + static_cast<int>(i), static_cast<int>(i) + 1);
        std::vector<uint8_t> bytes(samples.size() * 2);
        std::memcpy(bytes.data(), samples.data(), bytes.size());
        ASSERT_TRUE(running[i].Take(bytes));
        ASSERT_TRUE(finished[i].Take(bytes));
        finished[i].Finish();
        ASSERT_TRUE(finished[i].meter().ok());
    }
    const auto meters = [](const std::vector<LoudnessStage>& stages) {
        std::vector<const LoudnessMeter*> list;
        for (const LoudnessStage& stage : stages) {
            list.push_back(&stage.meter());
        }
        return LoudnessMeter::Together(list);
    };
    const auto before = meters(running);
    const auto after = meters(finished);
    ASSERT_TRUE(before && after);
    EXPECT_DOUBLE_EQ(after->gainDb, before->gainDb);
    EXPECT_DOUBLE_EQ(after->peak, before->peak);
    EXPECT_DOUBLE_EQ(finished[1].meter().Result()->gainDb, running[1].meter().Result()->gainDb);
}

}  // namespace
}  // namespace disctrove
