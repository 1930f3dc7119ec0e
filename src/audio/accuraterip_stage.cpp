#include "audio/accuraterip_stage.h"

#include <algorithm>

namespace disctrove {

namespace {

constexpr uint64_t kSkippedFrames = 5 * 588;  // five sectors

uint32_t Word(const uint8_t* b) {
    return uint32_t{b[0]} | (uint32_t{b[1]} << 8) | (uint32_t{b[2]} << 16) | (uint32_t{b[3]} << 24);
}

}  // namespace

AccurateRipRange AccurateRipRangeOf(uint64_t frames, bool first, bool last) {
    return {first ? kSkippedFrames : 1,
            last ? (frames > kSkippedFrames ? frames - kSkippedFrames : 0) : frames};
}

// A track that is not the last counts every frame it is given, even past its stated length.
AccurateRipStage::AccurateRipStage(uint64_t frames, bool first, bool last)
    : from_(AccurateRipRangeOf(frames, first, last).from),
      to_(last ? AccurateRipRangeOf(frames, first, last).to : UINT64_MAX) {}

void AccurateRipStage::Add(uint32_t word) {
    ++position_;
    if (position_ >= from_ && position_ <= to_) {
        const uint64_t product = uint64_t{word} * position_;
        v1_ += static_cast<uint32_t>(product);
        high_ += static_cast<uint32_t>(product >> 32);
        sum_ += word;
    }
}

bool AccurateRipStage::Take(std::span<const uint8_t> bytes) {
    size_t at = 0;
    while (partialBytes_ > 0 && at < bytes.size()) {
        partial_[partialBytes_++] = bytes[at++];
        if (partialBytes_ == 4) {
            Add(Word(partial_));
            partialBytes_ = 0;
        }
    }
    // Whole frames: the positions inside the counted range go through a loop without tests.
    const uint64_t frames = (bytes.size() - at) / 4;
    const uint8_t* data = bytes.data() + at;
    uint64_t i = 0;
    for (; i < frames && position_ + 1 < from_; ++i) {
        Add(Word(data + i * 4));
    }
    const uint64_t inside = to_ > position_ ? std::min(frames - i, to_ - position_) : 0;
    uint32_t low = v1_;
    uint32_t high = high_;
    uint32_t sum = sum_;
    for (const uint64_t end = i + inside; i < end; ++i) {
        const uint32_t word = Word(data + i * 4);
        const uint64_t product = uint64_t{word} * (position_ + 1 + (i - (end - inside)));
        low += static_cast<uint32_t>(product);
        high += static_cast<uint32_t>(product >> 32);
        sum += word;
    }
    v1_ = low;
    high_ = high;
    sum_ = sum;
    position_ += inside;
    for (; i < frames; ++i) {
        Add(Word(data + i * 4));
    }
    at += static_cast<size_t>(frames) * 4;
    for (; at < bytes.size(); ++at) {
        partial_[partialBytes_++] = bytes[at];
    }
    return true;
}

}  // namespace disctrove
