#include "audio/ctdb_stage.h"

#include <zlib.h>

#include <algorithm>

namespace disctrove {

namespace {

constexpr uint64_t kBlockFrames = 10 * 588;  // ten sectors
constexpr uint64_t kFrameBytes = 4;

}  // namespace

CtdbStage::CtdbStage(uint64_t frames, bool first, bool last, uint64_t discFrames)
    : from_(std::min(first ? kBlockFrames : 0, frames) * kFrameBytes), to_(frames * kFrameBytes) {
    if (last) {
        const uint64_t tail = kBlockFrames + discFrames % kBlockFrames;
        to_ = frames > tail ? (frames - tail) * kFrameBytes : 0;
    }
    to_ = std::max(to_, from_);
}

bool CtdbStage::Take(std::span<const uint8_t> bytes) {
    const uint64_t start = position_;
    position_ += bytes.size();
    const uint64_t from = std::max(start, from_);
    const uint64_t to = std::min(position_, to_);
    if (from < to) {
        crc_ = static_cast<uint32_t>(
            crc32_z(crc_, bytes.data() + (from - start), static_cast<size_t>(to - from)));
    }
    return true;
}

uint32_t CtdbDiscCrc(std::span<const CtdbPiece> pieces) {
    uLong crc = 0;
    for (const CtdbPiece& piece : pieces) {
        crc = crc32_combine(crc, piece.crc, static_cast<z_off_t>(piece.bytes));
    }
    return static_cast<uint32_t>(crc);
}

}  // namespace disctrove
