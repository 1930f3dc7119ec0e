#include "rip/read_window.h"

#include <algorithm>

namespace disctrove {

namespace {

constexpr int64_t kFramesPerSector = platform::kCdSectorBytes / 4;

}  // namespace

AudioRegion ReadableAudioAround(const platform::Toc& toc, int32_t lastSession, int32_t start,
                                uint32_t lengthSectors) {
    const int count = toc.lastTrack >= toc.firstTrack && toc.length > 0
                          ? std::min(toc.lastTrack - toc.firstTrack + 1, 99)
                          : 0;
    int at = 0;
    while (at < count && platform::TocStart(toc.tracks[at]) != start) {
        ++at;
    }
    if (at == count || platform::TocIsData(toc.tracks[at])) {
        return {start, start + int64_t{lengthSectors}};
    }
    int first = at;
    while (first > 0 && !platform::TocIsData(toc.tracks[first - 1])) {
        --first;
    }
    int last = at;
    while (last + 1 < count && !platform::TocIsData(toc.tracks[last + 1])) {
        ++last;
    }
    const platform::TocTrack& next = toc.tracks[last + 1];  // a track or the lead-out
    const bool nextIsData = last + 1 < count && platform::TocIsData(next);
    const int32_t end = platform::AudioTrackEnd(platform::TocStart(toc.tracks[last]),
                                                platform::TocStart(next), nextIsData, lastSession);
    return {first == 0 ? 0 : platform::TocStart(toc.tracks[first]), end};
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
