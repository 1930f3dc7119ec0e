#include "disc/pressing_offset.h"

#include <cstdlib>

#include "audio/accuraterip_stage.h"

namespace disctrove {

namespace {

// The frames around one track: its own (from 0) and its neighbours' edges (negative positions,
// and positions from its length on); nothing where none was kept.
class FrameWindow {
  public:
    FrameWindow(const SlidingTrack& track, const SlidingTrack* previous, const SlidingTrack* next)
        : track_(track), previous_(previous), next_(next) {}

    std::optional<uint32_t> At(int64_t i) const {
        const auto frames = static_cast<int64_t>(track_.edges.frames);
        if (i < 0) {
            if (previous_ == nullptr) {
                return std::nullopt;
            }
            const auto& tail = previous_->edges.tail;
            const int64_t back = -i;
            return back <= static_cast<int64_t>(tail.size())
                       ? std::optional(tail[tail.size() - static_cast<size_t>(back)])
                       : std::nullopt;
        }
        if (i >= frames) {
            const auto& head = next_ != nullptr ? next_->edges.head : std::vector<uint32_t>{};
            const auto past = static_cast<size_t>(i - frames);
            return past < head.size() ? std::optional(head[past]) : std::nullopt;
        }
        const auto& head = track_.edges.head;
        if (i < static_cast<int64_t>(head.size())) {
            return head[static_cast<size_t>(i)];
        }
        const auto& tail = track_.edges.tail;
        const int64_t fromTail = i - (frames - static_cast<int64_t>(tail.size()));
        return fromTail >= 0 ? std::optional(tail[static_cast<size_t>(fromTail)]) : std::nullopt;
    }

  private:
    const SlidingTrack& track_;
    const SlidingTrack* previous_;
    const SlidingTrack* next_;
};

}  // namespace

std::optional<PressingMatch> FindPressingOffset(const std::vector<AccurateRipPressing>& pressings,
                                                size_t position, const SlidingTrack& track,
                                                const SlidingTrack* previous,
                                                const SlidingTrack* next) {
    const AccurateRipRange range = AccurateRipRangeOf(track.edges.frames, track.first, track.last);
    if (range.to < range.from) {
        return std::nullopt;
    }
    const auto from = static_cast<int64_t>(range.from);
    const auto to = static_cast<int64_t>(range.to);
    const FrameWindow window(track, previous, next);
    std::optional<PressingMatch> best;
    const auto consider = [&](int32_t offset, uint32_t v1) {
        for (const AccurateRipPressing& pressing : pressings) {
            if (position >= pressing.tracks.size()) {
                continue;
            }
            const auto& entry = pressing.tracks[position];
            if (entry.checksum != v1 || entry.confidence == 0) {
                continue;
            }
            if (!best || entry.confidence > best->confidence ||
                (entry.confidence == best->confidence &&
                 std::abs(offset) < std::abs(best->offset))) {
                best = PressingMatch{offset, entry.confidence};
            }
        }
    };
    // With x the frames around the track and the counted positions k = from..to weighing frame
    // x[k - 1 + o]: v1(o) = sum of k * x[k - 1 + o] and s(o) = sum of x[k - 1 + o], both mod 2^32.
    // Moving one frame later drops x[from - 1 + o] and takes x[to + o]; one frame earlier drops
    // x[to - 1 + o] and takes x[from - 2 + o].
    const auto ufrom = static_cast<uint32_t>(from);
    const auto uto = static_cast<uint32_t>(to);
    uint32_t v1 = track.v1;
    uint32_t sum = track.sum;
    for (int32_t o = 0; o < kMaxPressingOffset; ++o) {
        const auto dropped = window.At(from - 1 + o);
        const auto taken = window.At(to + o);
        if (!dropped || !taken) {
            break;
        }
        v1 = v1 - ufrom * *dropped + (uto + 1) * *taken - (sum - *dropped + *taken);
        sum = sum - *dropped + *taken;
        consider(o + 1, v1);
    }
    v1 = track.v1;
    sum = track.sum;
    for (int32_t o = 0; o > -kMaxPressingOffset; --o) {
        const auto dropped = window.At(to - 1 + o);
        const auto taken = window.At(from - 2 + o);
        if (!dropped || !taken) {
            break;
        }
        sum = sum + *taken - *dropped;
        v1 = v1 + (ufrom - 1) * *taken - uto * *dropped + sum;
        consider(o - 1, v1);
    }
    return best;
}

}  // namespace disctrove
