#include "platform/cdrom/index_search.h"

#include <algorithm>
#include <cstdlib>

#include "platform/cdrom/toc.h"

namespace disctrove::platform {

namespace {

// How many sectors on either side of one whose frame tells nothing are tried.
constexpr int32_t kNeighbours = 3;
// How far the sector a frame names may lie from the one read: a drive's Q channel may lag its
// audio by a sector or two, never by more.
constexpr int32_t kMostDrift = 10;
// The first step back from a track's start: most pregaps are 2 seconds.
constexpr int32_t kFirstStep = 150;

class QProbe {
  public:
    explicit QProbe(DiscDevice& device) : device_(device) {}

    bool unsupported() const { return unsupported_; }
    bool anyPosition() const { return anyPosition_; }
    void StartTrack() { reads_ = 0; }

    // The position frame read at `sector`, or else at the sectors beside it (nearest first),
    // that names a sector within [low, high]; none when none does or the track's reads are
    // spent. The position's `sector` is the one it names.
    std::optional<QPosition> Near(int32_t sector, int32_t low, int32_t high) {
        for (int32_t attempt = 0; attempt <= 2 * kNeighbours; ++attempt) {
            const int32_t step = (attempt + 1) / 2;
            const int32_t at = attempt % 2 == 1 ? sector + step : sector - step;
            if (at < low || at > high) {
                continue;
            }
            if (unsupported_ || reads_ >= kMostQReadsPerTrack) {
                return std::nullopt;
            }
            ++reads_;
            QFrame frame{};
            const QRead read = device_.ReadSubchannelQ(at, frame);
            if (read == QRead::unsupported) {
                unsupported_ = true;
                return std::nullopt;
            }
            if (read != QRead::ok) {
                continue;
            }
            const auto position = DecodeQPosition(frame);
            if (position && std::abs(position->sector - at) <= kMostDrift &&
                position->sector >= low && position->sector <= high) {
                anyPosition_ = true;
                return position;
            }
        }
        return std::nullopt;
    }

  private:
    DiscDevice& device_;
    int reads_ = 0;
    bool unsupported_ = false;
    bool anyPosition_ = false;
};

// The first sector after `outside` up to `inside` whose frame `holds`, where the frame of
// `outside` does not and that of `inside` does (positions on a disc only go forward).
template <class Holds>
std::optional<int32_t> FirstHolding(QProbe& probe, int32_t outside, int32_t inside, Holds holds) {
    while (inside - outside > 1) {
        const int32_t middle = outside + (inside - outside) / 2;
        const auto position = probe.Near(middle, outside + 1, inside - 1);
        if (!position) {
            return std::nullopt;
        }
        (holds(*position) ? inside : outside) = position->sector;
    }
    return inside;
}

struct PregapFound {
    bool known = false;
    std::optional<int32_t> start;
};

// The pregap of track `number`, which starts at `start`; `floor` is a sector known to lie
// before it (the previous track's start, or -1 before the disc's first sector).
PregapFound FindPregap(QProbe& probe, int number, int32_t start, int32_t floor) {
    if (start - 1 <= floor) {
        return {true, std::nullopt};
    }
    const auto inPregap = [number](const QPosition& p) {
        return p.track == number && p.index == 0;
    };
    const auto last = probe.Near(start - 1, floor + 1, start - 1);
    if (!last) {
        return {};
    }
    if (!inPregap(*last)) {
        return {true, std::nullopt};
    }
    int32_t inside = last->sector;
    int32_t outside = floor;
    for (int32_t step = kFirstStep; inside - step > floor; step *= 2) {
        const auto position = probe.Near(inside - step, floor + 1, inside - 1);
        if (!position) {
            return {};
        }
        if (!inPregap(*position)) {
            outside = position->sector;
            break;
        }
        inside = position->sector;
    }
    const auto found = FirstHolding(probe, outside, inside, inPregap);
    return found ? PregapFound{true, found} : PregapFound{};
}

// The starts of INDEX 02 on of track `number`, which holds the sectors from `start` to before
// `end`; none when its frames could not be read.
std::optional<std::vector<int32_t>> FindIndexes(QProbe& probe, int number, int32_t start,
                                                int32_t end) {
    std::vector<int32_t> starts;
    if (end - 1 <= start) {
        return starts;
    }
    const auto last = probe.Near(end - 1, start + 1, end - 1);
    if (!last || last->track != number) {
        return std::nullopt;
    }
    int32_t outside = start;  // INDEX 01
    for (int index = 2; index <= last->index; ++index) {
        const auto found = FirstHolding(
            probe, outside, last->sector,
            [number, index](const QPosition& p) { return p.track == number && p.index >= index; });
        if (!found) {
            return std::nullopt;
        }
        starts.push_back(*found);
        outside = *found - 1;  // the next index may begin where this one does, if it was skipped
    }
    return starts;
}

}  // namespace

std::optional<std::vector<TrackIndexes>> SearchIndexesInSubchannel(DiscDevice& device,
                                                                   const DiscLayout& layout) {
    QProbe probe(device);
    const size_t count = layout.tracks.size();
    std::vector<TrackIndexes> found(count);
    // The pregaps first: a track's indexes end where the next track's pregap begins.
    for (size_t i = 0; i < count && !probe.unsupported(); ++i) {
        const auto& track = layout.tracks[i];
        // The audio before a data track's start is read as data: no pregap is searched there.
        if (track.data || (i > 0 && layout.tracks[i - 1].data)) {
            continue;
        }
        probe.StartTrack();
        const int number = layout.firstTrack + static_cast<int>(i);
        const int32_t floor = i == 0 ? -1 : layout.tracks[i - 1].start;
        const PregapFound pregap = FindPregap(probe, number, track.start, floor);
        found[i].pregapKnown = pregap.known;
        found[i].pregapStart = pregap.start;
    }
    for (size_t i = 0; i < count && !probe.unsupported(); ++i) {
        const auto& track = layout.tracks[i];
        if (track.data) {
            continue;
        }
        const bool last = i + 1 == count;
        const int32_t next = last ? layout.leadOut : layout.tracks[i + 1].start;
        int32_t end = AudioTrackEnd(track.start, next, !last && layout.tracks[i + 1].data,
                                    layout.lastSession);
        if (!last && !found[i + 1].pregapKnown && !layout.tracks[i + 1].data) {
            continue;  // where the track ends is not known
        }
        if (!last && found[i + 1].pregapStart) {
            end = std::min(end, *found[i + 1].pregapStart);
        }
        probe.StartTrack();
        const auto indexes =
            FindIndexes(probe, layout.firstTrack + static_cast<int>(i), track.start, end);
        if (indexes) {
            found[i].indexesKnown = true;
            found[i].indexStarts = *indexes;
        }
    }
    if (probe.unsupported() || !probe.anyPosition()) {
        return std::nullopt;
    }
    return found;
}

void ApplyIndexes(const std::vector<TrackIndexes>& found, DiscFacts& facts) {
    facts.tracks.resize(std::max(facts.tracks.size(), found.size()));
    for (size_t i = 0; i < found.size(); ++i) {
        if (found[i].pregapKnown) {
            facts.tracks[i].pregapStart = found[i].pregapStart;
        }
        if (found[i].indexesKnown) {
            facts.tracks[i].indexStarts = found[i].indexStarts;
        }
    }
    facts.indexSource = IndexSource::subchannel;
}

}  // namespace disctrove::platform
