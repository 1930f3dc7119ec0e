#include "audio/ctdb_stage.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <random>
#include <vector>

namespace disctrove {
namespace {

uint32_t Crc(const std::vector<uint8_t>& bytes, uint64_t from, uint64_t to) {
    return static_cast<uint32_t>(crc32_z(0, bytes.data() + from, static_cast<size_t>(to - from)));
}

// Each disc's audio goes through one stage per track in pieces of `chunk` bytes (7 splits sample
// frames between calls); each track's checksum is the plain CRC-32 of its share of the disc's
// bytes from 10 sectors in to the last whole 10-sector block but one, and the tracks' pieces
// make the disc's checksum.
TEST(CtdbStage, ChecksumsOfTheTracksAndTheDisc) {
    struct Case {
        std::vector<uint64_t> tracks;  // frames
        size_t chunk;
    };
    const Case cases[] = {
        {{20000, 13001, 17777}, 7},
        {{20000, 13001, 17777}, 4096},
        {{30000}, 1000},
    };
    std::mt19937 random(7);
    for (const Case& c : cases) {
        uint64_t discFrames = 0;
        for (const uint64_t frames : c.tracks) {
            discFrames += frames;
        }
        std::vector<uint8_t> disc(discFrames * 4);
        std::generate(disc.begin(), disc.end(), [&random] { return random() & 0xFF; });
        std::fill_n(disc.begin(), 4 * 6000, 0);  // silence at the start counts like any sound
        const uint64_t discFrom = 5880 * 4;
        const uint64_t discTo = (discFrames - 5880 - discFrames % 5880) * 4;

        std::vector<CtdbPiece> pieces;
        uint64_t start = 0;  // of the track, in bytes
        for (size_t t = 0; t < c.tracks.size(); ++t) {
            const uint64_t end = start + c.tracks[t] * 4;
            CtdbStage stage(c.tracks[t], t == 0, t + 1 == c.tracks.size(), discFrames);
            for (uint64_t at = start; at < end; at += c.chunk) {
                const size_t size = static_cast<size_t>(std::min<uint64_t>(c.chunk, end - at));
                ASSERT_TRUE(stage.Take({disc.data() + at, size}));
            }
            EXPECT_EQ(stage.crc(), Crc(disc, std::max(start, discFrom), std::min(end, discTo)))
                << "track " << t + 1 << " of " << c.tracks.size() << ", pieces of " << c.chunk;
            pieces.push_back(stage.piece());
            start = end;
        }
        EXPECT_EQ(CtdbDiscCrc(pieces), Crc(disc, discFrom, discTo));
    }
}

}  // namespace
}  // namespace disctrove
