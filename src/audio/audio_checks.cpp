#include "audio/audio_checks.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace disctrove {

namespace {

uint32_t Magnitude(uint8_t low, uint8_t high) {
    const auto value = static_cast<int16_t>(static_cast<uint16_t>(low | (high << 8)));
    return value < 0 ? static_cast<uint32_t>(-int32_t{value}) : static_cast<uint32_t>(value);
}

}  // namespace

bool AudioChecksStage::Take(std::span<const uint8_t> bytes) {
    // zlib takes at most 4 GiB per call; a read is far smaller, but the loop costs nothing.
    for (std::span<const uint8_t> rest = bytes; !rest.empty();) {
        const size_t part = std::min<size_t>(rest.size(), 1u << 30);
        checks_.crc32 =
            static_cast<uint32_t>(crc32(checks_.crc32, rest.data(), static_cast<uInt>(part)));
        rest = rest.subspan(part);
    }
    size_t at = 0;
    if (halfSample_ && !bytes.empty()) {
        checks_.peak = std::max(checks_.peak, Magnitude(lowByte_, bytes[0]));
        halfSample_ = false;
        at = 1;
    }
    // The loudest sample is the largest or the smallest: two plain reductions, which the
    // compiler turns into vector code.
    int16_t highest = 0;
    int16_t lowest = 0;
    for (; at + 1 < bytes.size(); at += 2) {
        int16_t value = 0;  // little-endian, as on every machine this runs on
        std::memcpy(&value, bytes.data() + at, 2);
        highest = std::max(highest, value);
        lowest = std::min(lowest, value);
    }
    checks_.peak = std::max(
        {checks_.peak, static_cast<uint32_t>(highest), static_cast<uint32_t>(-int32_t{lowest})});
    if (at < bytes.size()) {
        halfSample_ = true;
        lowByte_ = bytes[at];
    }
    return true;
}

}  // namespace disctrove
