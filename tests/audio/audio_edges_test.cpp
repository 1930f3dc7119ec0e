#include "audio/audio_edges.h"

#include <gtest/gtest.h>

#include <vector>

namespace disctrove {
namespace {

// Whatever the sizes of the pieces the audio comes in (frames split between them), the edges are
// the track's first and last whole frames; a track shorter than the edges keeps all of it.
TEST(AudioEdgesStage, KeepsTheFirstAndLastFramesWhateverThePieces) {
    for (const size_t frames : {size_t{100}, kEdgeFrames * 3 + 17}) {
        std::vector<uint8_t> audio(frames * 4);
        for (size_t i = 0; i < audio.size(); ++i) {
            audio[i] = static_cast<uint8_t>(i * 7 + i / 251);
        }
        const auto word = [&audio](size_t frame) {
            const uint8_t* b = audio.data() + frame * 4;
            return uint32_t{b[0]} | (uint32_t{b[1]} << 8) | (uint32_t{b[2]} << 16) |
                   (uint32_t{b[3]} << 24);
        };
        for (const size_t piece : {size_t{7}, size_t{2352}, size_t{40001}}) {
            AudioEdgesStage stage;
            for (size_t at = 0; at < audio.size(); at += piece) {
                stage.Take(std::span(audio).subspan(at, std::min(piece, audio.size() - at)));
            }
            const AudioEdges edges = stage.edges();
            ASSERT_EQ(edges.frames, frames);
            const size_t kept = std::min(frames, kEdgeFrames);
            ASSERT_EQ(edges.head.size(), kept);
            ASSERT_GE(edges.tail.size(), kept) << piece;
            for (size_t i = 0; i < kept; ++i) {
                EXPECT_EQ(edges.head[i], word(i));
            }
            for (size_t i = 0; i < edges.tail.size(); ++i) {
                EXPECT_EQ(edges.tail[i], word(frames - edges.tail.size() + i)) << piece << " " << i;
            }
        }
    }
}

}  // namespace
}  // namespace disctrove
