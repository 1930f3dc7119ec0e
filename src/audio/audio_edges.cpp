#include "audio/audio_edges.h"

#include <algorithm>

namespace disctrove {

namespace {

constexpr size_t kEdgeBytes = kEdgeFrames * 4;

std::vector<uint32_t> Words(std::span<const uint8_t> bytes) {
    std::vector<uint32_t> words(bytes.size() / 4);
    for (size_t i = 0; i < words.size(); ++i) {
        const uint8_t* b = bytes.data() + i * 4;
        words[i] = uint32_t{b[0]} | (uint32_t{b[1]} << 8) | (uint32_t{b[2]} << 16) |
                   (uint32_t{b[3]} << 24);
    }
    return words;
}

}  // namespace

bool AudioEdgesStage::Take(std::span<const uint8_t> bytes) {
    bytes_ += bytes.size();
    const size_t forHead = std::min(bytes.size(), kEdgeBytes - head_.size());
    head_.insert(head_.end(), bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(forHead));
    tail_.insert(tail_.end(), bytes.begin(), bytes.end());
    if (tail_.size() > kEdgeBytes) {
        // The tail starts on a frame of the track, so a frame split between two reads is never
        // cut in half when the front is dropped.
        const uint64_t start = bytes_ - tail_.size();
        const uint64_t newStart = (start + (tail_.size() - kEdgeBytes) + 3) / 4 * 4;
        tail_.erase(tail_.begin(), tail_.begin() + static_cast<ptrdiff_t>(newStart - start));
    }
    return true;
}

AudioEdges AudioEdgesStage::edges() const {
    AudioEdges edges;
    edges.frames = bytes_ / 4;
    edges.head = Words(head_);
    edges.tail = Words(tail_);  // a partial frame at the end is not audio
    return edges;
}

}  // namespace disctrove
