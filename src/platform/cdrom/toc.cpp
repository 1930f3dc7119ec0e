#include "platform/cdrom/toc.h"

#include <algorithm>

namespace disctrove::platform {

int32_t Toc::AudioEnd(size_t index, int32_t lastSession) const {
    return AudioTrackEnd(tracks[index].start, NextStart(index), NextIsData(index), lastSession);
}

std::optional<size_t> Toc::IndexOfNumber(int number) const {
    if (tracks.empty() || number < tracks.front().number || number > tracks.back().number) {
        return std::nullopt;
    }
    return static_cast<size_t>(number - tracks.front().number);
}

std::optional<size_t> Toc::IndexOfAudioAt(int32_t start) const {
    for (size_t i = 0; i < tracks.size(); ++i) {
        if (tracks[i].start == start && !tracks[i].isData) {
            return i;
        }
    }
    return std::nullopt;
}

size_t Toc::AudioTrackCount() const {
    return static_cast<size_t>(
        std::count_if(tracks.begin(), tracks.end(), [](const TocTrack& t) { return !t.isData; }));
}

Toc TocFromRecord(const TocRecord& record) {
    Toc toc;
    if (record.length == 0 || record.lastTrack < record.firstTrack) {
        return toc;
    }
    // Entry i is track firstTrack + i; the entry after the last track is the lead-out.
    const size_t count = std::min<size_t>(size_t{record.lastTrack} - record.firstTrack + 1,
                                          record.tracks.size() - 1);
    for (size_t i = 0; i < count; ++i) {
        const TocRecordEntry& entry = record.tracks[i];
        toc.tracks.push_back({record.firstTrack + static_cast<int>(i), TocStart(entry),
                              TocIsData(entry), (entry.adrControl & kTocControlPreEmphasis) != 0});
    }
    toc.leadOut = TocStart(record.tracks[count]);
    return toc;
}

}  // namespace disctrove::platform
