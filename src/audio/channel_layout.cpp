#include "audio/channel_layout.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <iterator>

namespace disctrove {

namespace {

using enum Speaker;

constexpr int32_t kMaskSpeakers = 18;  // the speakers the WAVE channel mask names
constexpr float kMinus3dB = 0.70710678f;

// The Vorbis layouts of one to eight channels, in Vorbis's order.
const std::vector<Speaker>& VorbisLayout(int32_t channels) {
    static const std::vector<Speaker> kLayouts[] = {
        {frontCenter},
        {frontLeft, frontRight},
        {frontLeft, frontCenter, frontRight},
        {frontLeft, frontRight, backLeft, backRight},
        {frontLeft, frontCenter, frontRight, backLeft, backRight},
        {frontLeft, frontCenter, frontRight, backLeft, backRight, lowFrequency},
        {frontLeft, frontCenter, frontRight, sideLeft, sideRight, backCenter, lowFrequency},
        {frontLeft, frontCenter, frontRight, sideLeft, sideRight, backLeft, backRight,
         lowFrequency},
    };
    return kLayouts[channels - 1];
}

bool IsFront(Speaker s) {
    return s == frontLeft || s == frontRight || s == frontCenter || s == frontLeftOfCenter ||
           s == frontRightOfCenter || s == unknown;
}

// Where a speaker the output lacks is heard instead, nearest first: each entry one speaker, or
// a pair sharing it.
const std::vector<std::vector<Speaker>>& FoldTargets(Speaker s) {
    static const std::vector<std::vector<Speaker>> kTargets[] = {
        // front left, front right, front centre
        {{frontCenter}},
        {{frontCenter}},
        {{frontLeft, frontRight}},
        // LFE: no other speaker is made for it
        {},
        // back left, back right
        {{sideLeft}, {frontLeft}, {frontCenter}},
        {{sideRight}, {frontRight}, {frontCenter}},
        // front left of centre, front right of centre
        {{frontLeft}, {frontCenter}},
        {{frontRight}, {frontCenter}},
        // back centre
        {{backLeft, backRight}, {sideLeft, sideRight}, {frontLeft, frontRight}, {frontCenter}},
        // side left, side right
        {{backLeft}, {frontLeft}, {frontCenter}},
        {{backRight}, {frontRight}, {frontCenter}},
        // top centre, top front left, top front centre, top front right
        {{frontCenter}, {frontLeft, frontRight}},
        {{frontLeft}, {frontCenter}},
        {{frontCenter}, {frontLeft, frontRight}},
        {{frontRight}, {frontCenter}},
        // top back left, top back centre, top back right
        {{backLeft}, {sideLeft}, {frontLeft}, {frontCenter}},
        {{backCenter},
         {backLeft, backRight},
         {sideLeft, sideRight},
         {frontLeft, frontRight},
         {frontCenter}},
        {{backRight}, {sideRight}, {frontRight}, {frontCenter}},
        // unknown
        {{frontCenter}, {frontLeft, frontRight}},
    };
    static_assert(std::size(kTargets) == static_cast<size_t>(unknown) + 1);
    return kTargets[static_cast<size_t>(s)];
}

}  // namespace

std::vector<Speaker> SpeakersOf(int32_t channels, ChannelOrder order, uint32_t wavMask) {
    if (channels <= 0) {
        return {};
    }
    const bool maskFits = channels > 2 && channels <= 8 && order == ChannelOrder::wav &&
                          wavMask >> kMaskSpeakers == 0 && std::popcount(wavMask) == channels;
    std::vector<Speaker> speakers;
    if (maskFits) {
        for (int32_t bit = 0; bit < kMaskSpeakers; ++bit) {
            if ((wavMask >> bit & 1u) != 0) {
                speakers.push_back(static_cast<Speaker>(bit));
            }
        }
    } else if (channels <= 8) {
        speakers = VorbisLayout(channels);
        if (order == ChannelOrder::wav) {
            std::ranges::sort(speakers);  // the same speakers, by mask bit
        }
    } else {
        for (int32_t c = 0; c < channels; ++c) {
            speakers.push_back(c < kMaskSpeakers ? static_cast<Speaker>(c) : unknown);
        }
    }
    return speakers;
}

std::vector<float> ChannelMatrix(const std::vector<Speaker>& in, const std::vector<Speaker>& out) {
    const size_t width = in.size();
    std::vector<float> matrix(out.size() * width, 0.0f);
    if (in == out) {
        for (size_t c = 0; c < width; ++c) {
            matrix[c * width + c] = 1.0f;
        }
        return matrix;
    }
    const auto row = [&](Speaker s) {
        const auto found = s == unknown ? out.end() : std::ranges::find(out, s);
        return found == out.end() ? -1 : static_cast<int32_t>(found - out.begin());
    };
    // A mono source is the whole sound, not the centre of a mix: spread to a pair, each side
    // gets all of it.
    const float pairShare = width == 1 ? 1.0f : kMinus3dB;
    for (size_t c = 0; c < width; ++c) {
        const Speaker s = in[c];
        if (const int32_t same = row(s); same >= 0) {
            matrix[static_cast<size_t>(same) * width + c] = 1.0f;
            continue;
        }
        for (const auto& group : FoldTargets(s)) {
            if (!std::ranges::all_of(group, [&](Speaker t) { return row(t) >= 0; })) {
                continue;
            }
            for (const Speaker t : group) {
                // A surround or top speaker heard from the front is 3 dB down.
                const float share = (group.size() == 2 ? pairShare : 1.0f) *
                                    (!IsFront(s) && IsFront(t) ? kMinus3dB : 1.0f);
                matrix[static_cast<size_t>(row(t)) * width + c] = share;
            }
            break;
        }
    }
    for (size_t r = 0; r < out.size(); ++r) {
        const auto first = matrix.begin() + static_cast<std::ptrdiff_t>(r * width);
        float sum = 0.0f;
        std::for_each(first, first + static_cast<std::ptrdiff_t>(width),
                      [&](float v) { sum += std::fabs(v); });
        if (sum > 1.0f) {
            std::for_each(first, first + static_cast<std::ptrdiff_t>(width),
                          [&](float& v) { v /= sum; });
        }
    }
    return matrix;
}

std::vector<int32_t> ChannelPermutation(const std::vector<Speaker>& from,
                                        const std::vector<Speaker>& to) {
    std::vector<int32_t> places(to.size());
    for (size_t c = 0; c < to.size(); ++c) {
        places[c] = static_cast<int32_t>(c);
    }
    if (from == to || from.size() != to.size() || !std::ranges::is_permutation(from, to)) {
        return places;
    }
    for (size_t c = 0; c < to.size(); ++c) {
        const auto found = to[c] == unknown ? from.end() : std::ranges::find(from, to[c]);
        if (found != from.end()) {
            places[c] = static_cast<int32_t>(found - from.begin());
        }
    }
    return places;
}

}  // namespace disctrove
