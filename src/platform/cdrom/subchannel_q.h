// The Q subchannel: the 12 bytes a disc carries beside each sector's audio, telling the track and
// index the sector belongs to and where it lies.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace disctrove::platform {

// One Q frame as it is on the disc: control and ADR, nine bytes of content, and the CRC (all bits
// inverted). A drive that delivers the frame formatted may leave the CRC at zero.
using QFrame = std::array<uint8_t, 12>;

// What a position frame (ADR 1) says of its sector.
struct QPosition {
    int track = 0;         // 1 to 99
    int index = 0;         // 0 (a pregap) to 99
    int32_t relative = 0;  // in sectors: from INDEX 01 on; in a pregap, counting down to it
    int32_t sector = 0;    // the sector the frame belongs to (its absolute time less 2 seconds)
    uint8_t control = 0;   // the track's flags: 4 channels, data, copy permitted, pre-emphasis
    bool operator==(const QPosition&) const = default;
};

// The position `frame` gives; none when it is not a position frame (another ADR: a catalogue
// number or ISRC), when its CRC is given and wrong, or when a field is not valid BCD or out of
// range (the lead-out's frames included).
std::optional<QPosition> DecodeQPosition(const QFrame& frame);

// The position frame of `position`, with its CRC, as a disc carries it.
QFrame EncodeQPosition(const QPosition& position);

// The Q frame held in 96 bytes of raw P-W subchannel data (the Q bit of each byte, in order).
QFrame QFrameOfRawSubchannel(const uint8_t* raw96);

// The CRC a Q frame carries for its first 10 bytes (CRC-16 with x^16 + x^12 + x^5 + 1, before
// its bits are inverted).
uint16_t QCrc(const uint8_t* bytes, size_t count);

}  // namespace disctrove::platform
