#include "rip/read_window.h"

#include <algorithm>
#include <optional>

namespace disctrove {

namespace {

constexpr int64_t kFramesPerSector = platform::kCdSectorBytes / 4;

}  // namespace

AudioRegion ReadableAudioAround(const platform::Toc& toc, int32_t lastSession, int32_t start,
                                uint32_t lengthSectors) {
    std::optional<size_t> at = toc.IndexOfAudioAt(start);
    if (!at && !toc.tracks.empty() && !toc.tracks.front().isData && start >= 0 &&
        start < toc.tracks.front().start) {
        at = 0;  // what lies before the first track is read with it
    }
    if (!at) {
        return {start, start + int64_t{lengthSectors}};
    }
    size_t first = *at;
    while (first > 0 && !toc.tracks[first - 1].isData) {
        --first;
    }
    size_t last = *at;
    while (last + 1 < toc.tracks.size() && !toc.tracks[last + 1].isData) {
        ++last;
    }
    return {first == 0 ? 0 : toc.tracks[first].start, toc.AudioEnd(last, lastSession)};
}

ReadWindow PlanReadWindow(int64_t start, uint32_t lengthSectors, int32_t offsetSamples,
                          AudioRegion region) {
    ReadWindow window;
    const int64_t frames = int64_t{lengthSectors} * kFramesPerSector;
    const int64_t from = start * kFramesPerSector + offsetSamples;
    const int64_t to = from + frames;
    const int64_t readableFrom = region.first * kFramesPerSector;
    const int64_t readableTo = region.end * kFramesPerSector;
    if (to <= readableFrom || from >= readableTo) {
        window.leadSilence = static_cast<uint64_t>(frames) * 4;
        return window;
    }
    const int64_t audioFrom = std::max(from, readableFrom);
    const int64_t audioTo = std::min(to, readableTo);
    window.firstSector = static_cast<uint32_t>(audioFrom / kFramesPerSector);
    window.endSector = static_cast<uint32_t>((audioTo + kFramesPerSector - 1) / kFramesPerSector);
    window.leadSilence = static_cast<uint64_t>(audioFrom - from) * 4;
    window.skipBytes = static_cast<uint64_t>(audioFrom - window.firstSector * kFramesPerSector) * 4;
    window.audioBytes = static_cast<uint64_t>(audioTo - audioFrom) * 4;
    window.tailSilence = static_cast<uint64_t>(to - audioTo) * 4;
    return window;
}

bool WindowStage::Take(std::span<const uint8_t> bytes) {
    const size_t skipped = static_cast<size_t>(std::min<uint64_t>(skip_, bytes.size()));
    skip_ -= skipped;
    bytes = bytes.subspan(skipped);
    const size_t taken = static_cast<size_t>(std::min<uint64_t>(left_, bytes.size()));
    left_ -= taken;
    return taken == 0 || next_.Take(bytes.first(taken));
}

}  // namespace disctrove
