#include "platform/cdrom/subchannel_q.h"

namespace disctrove::platform {

namespace {

constexpr int kAdrPosition = 1;
constexpr int32_t kSectorsPerSecond = 75;
constexpr int32_t kLeadInSectors = 150;  // absolute time 00:02:00 is sector 0

std::optional<int> FromBcd(uint8_t value) {
    const int high = value >> 4;
    const int low = value & 0x0F;
    if (high > 9 || low > 9) {
        return std::nullopt;
    }
    return high * 10 + low;
}

uint8_t ToBcd(int value) {
    return static_cast<uint8_t>((value / 10) << 4 | (value % 10));
}

// A time of three BCD bytes (minutes, seconds, frames) in sectors.
std::optional<int32_t> TimeOf(const uint8_t* bytes) {
    const auto minutes = FromBcd(bytes[0]);
    const auto seconds = FromBcd(bytes[1]);
    const auto frames = FromBcd(bytes[2]);
    if (!minutes || !seconds || !frames || *seconds > 59 || *frames >= kSectorsPerSecond) {
        return std::nullopt;
    }
    return (*minutes * 60 + *seconds) * kSectorsPerSecond + *frames;
}

void PutTime(int32_t sectors, uint8_t* bytes) {
    bytes[0] = ToBcd(sectors / kSectorsPerSecond / 60 % 100);
    bytes[1] = ToBcd(sectors / kSectorsPerSecond % 60);
    bytes[2] = ToBcd(sectors % kSectorsPerSecond);
}

}  // namespace

uint16_t QCrc(const uint8_t* bytes, size_t count) {
    uint16_t crc = 0;
    for (size_t i = 0; i < count; ++i) {
        crc ^= static_cast<uint16_t>(bytes[i] << 8);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 0x8000) != 0 ? static_cast<uint16_t>((crc << 1) ^ 0x1021)
                                      : static_cast<uint16_t>(crc << 1);
        }
    }
    return crc;
}

std::optional<QPosition> DecodeQPosition(const QFrame& frame) {
    if ((frame[0] & 0x0F) != kAdrPosition) {
        return std::nullopt;
    }
    // Drives that hand out the frame formatted often leave its CRC out (zero).
    const uint16_t carried = static_cast<uint16_t>(frame[10] << 8 | frame[11]);
    if (carried != 0 && static_cast<uint16_t>(~carried) != QCrc(frame.data(), 10)) {
        return std::nullopt;
    }
    const auto track = FromBcd(frame[1]);
    const auto index = FromBcd(frame[2]);
    const auto relative = TimeOf(&frame[3]);
    const auto absolute = TimeOf(&frame[7]);
    if (!track || !index || !relative || !absolute || *track < 1 || *absolute < kLeadInSectors) {
        return std::nullopt;
    }
    return QPosition{*track, *index, *relative, *absolute - kLeadInSectors,
                     static_cast<uint8_t>(frame[0] >> 4)};
}

QFrame EncodeQPosition(const QPosition& position) {
    QFrame frame{};
    frame[0] = static_cast<uint8_t>(position.control << 4 | kAdrPosition);
    frame[1] = ToBcd(position.track);
    frame[2] = ToBcd(position.index);
    PutTime(position.relative, &frame[3]);
    PutTime(position.sector + kLeadInSectors, &frame[7]);
    const auto crc = static_cast<uint16_t>(~QCrc(frame.data(), 10));
    frame[10] = static_cast<uint8_t>(crc >> 8);
    frame[11] = static_cast<uint8_t>(crc);
    return frame;
}

QFrame QFrameOfRawSubchannel(const uint8_t* raw96) {
    QFrame frame{};
    for (size_t bit = 0; bit < 96; ++bit) {
        if ((raw96[bit] & 0x40) != 0) {
            frame[bit / 8] |= static_cast<uint8_t>(0x80 >> (bit % 8));
        }
    }
    return frame;
}

}  // namespace disctrove::platform
