#include "audio/wav_file.h"

#include <sys/types.h>

#include <array>
#include <cstring>

namespace disctrove {

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatExtensible = 0xFFFE;
// The GUID of an extensible format's sub-format, after its first two bytes (the format tag).
constexpr std::array<uint8_t, 14> kSubFormatGuidTail = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                        0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

void PutLe16(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

void PutLe32(uint8_t* at, uint32_t value) {
    PutLe16(at, value);
    PutLe16(at + 2, value >> 16);
}

uint16_t Le16(const uint8_t* at) {
    return static_cast<uint16_t>(at[0] | (at[1] << 8));
}

uint32_t Le32(const uint8_t* at) {
    return Le16(at) | (static_cast<uint32_t>(Le16(at + 2)) << 16);
}

bool ReadExactly(std::FILE* in, void* buffer, size_t size) {
    return std::fread(buffer, 1, size, in) == size;
}

// Reads the body of a "fmt " chunk of `size` bytes; false when it is too short to describe
// a format.
bool ReadFormatChunk(std::FILE* in, uint32_t size, WavHeader& header) {
    std::array<uint8_t, 40> body{};
    const size_t wanted = size < body.size() ? size : body.size();
    if (size < 16 || !ReadExactly(in, body.data(), wanted)) {
        return false;
    }
    header.formatTag = Le16(&body[0]);
    header.channels = Le16(&body[2]);
    header.sampleRate = Le32(&body[4]);
    header.bitsPerSample = Le16(&body[14]);
    if (header.formatTag == kFormatExtensible) {
        const bool guidPresent = wanted >= 40 && std::memcmp(&body[26], kSubFormatGuidTail.data(),
                                                             kSubFormatGuidTail.size()) == 0;
        // An extensible header that names no known sub-format is not one we can read.
        header.formatTag = guidPresent ? Le16(&body[24]) : 0;
        header.channelMask = wanted >= 24 ? Le32(&body[20]) : 0;
    }
    // Skip what is left of the chunk and its pad byte.
    const off_t rest = static_cast<off_t>(size - wanted) + (size & 1u);
    return rest == 0 || fseeko(in, rest, SEEK_CUR) == 0;
}

void WriteHeader(std::FILE* out, int32_t channels, int32_t sampleRate, uint32_t bits,
                 uint32_t dataLength, uint32_t riffLength) {
    if (out == nullptr) {
        return;
    }
    const uint32_t blockAlign = static_cast<uint32_t>(channels) * (bits / 8);
    std::array<uint8_t, kWavHeaderSize> bytes{};
    std::memcpy(&bytes[0], "RIFF", 4);
    PutLe32(&bytes[4], riffLength);
    std::memcpy(&bytes[8], "WAVEfmt ", 8);
    PutLe32(&bytes[16], 16);
    PutLe16(&bytes[20], kFormatPcm);
    PutLe16(&bytes[22], static_cast<uint32_t>(channels));
    PutLe32(&bytes[24], static_cast<uint32_t>(sampleRate));
    PutLe32(&bytes[28], static_cast<uint32_t>(sampleRate) * blockAlign);
    PutLe16(&bytes[32], blockAlign);
    PutLe16(&bytes[34], bits);
    std::memcpy(&bytes[36], "data", 4);
    PutLe32(&bytes[40], dataLength);
    std::fseek(out, 0, SEEK_SET);
    std::fwrite(bytes.data(), 1, bytes.size(), out);
}

}  // namespace

void WriteWavHeader(std::FILE* out, int32_t channels, int32_t sampleRate, int32_t bitsIndex,
                    uint32_t dataLength) {
    WriteHeader(out, channels, sampleRate, bitsIndex == 0 ? 8 : 16, dataLength, dataLength + 36);
}

void WritePcmWavHeader(std::FILE* out, int32_t channels, int32_t sampleRate, int32_t bitsPerSample,
                       uint32_t dataLength) {
    WriteHeader(out, channels, sampleRate, static_cast<uint32_t>(bitsPerSample), dataLength,
                dataLength + 36 + (dataLength & 1u));
}

WavHeaderResult ReadWavHeader(std::FILE* in, WavHeader& header) {
    header = WavHeader{};
    std::array<uint8_t, 12> riff{};
    const size_t got = std::fread(riff.data(), 1, riff.size(), in);
    // Another kind of file (FLAC, AVI, ...) says so in its first bytes; a WAV file cut short
    // before them is a damaged one.
    if ((got >= 4 && std::memcmp(&riff[0], "RIFF", 4) != 0) ||
        (got == riff.size() && std::memcmp(&riff[8], "WAVE", 4) != 0)) {
        return WavHeaderResult::notWav;
    }
    if (got < riff.size()) {
        return WavHeaderResult::corrupted;
    }
    bool formatSeen = false;
    uint32_t declared = 0;  // the "data" chunk's own length
    for (;;) {
        std::array<uint8_t, 8> chunk{};
        if (!ReadExactly(in, chunk.data(), chunk.size())) {
            return WavHeaderResult::corrupted;  // no "data" chunk before the end
        }
        const uint32_t size = Le32(&chunk[4]);
        if (std::memcmp(&chunk[0], "fmt ", 4) == 0) {
            if (!ReadFormatChunk(in, size, header)) {
                return WavHeaderResult::corrupted;
            }
            formatSeen = true;
        } else if (std::memcmp(&chunk[0], "data", 4) == 0) {
            declared = size;
            break;
        } else if (fseeko(in, static_cast<off_t>(size) + (size & 1u), SEEK_CUR) != 0) {
            return WavHeaderResult::corrupted;
        }
    }
    if (!formatSeen || header.channels == 0 || header.sampleRate == 0 ||
        header.bitsPerSample == 0) {
        return WavHeaderResult::corrupted;
    }
    if (header.formatTag != kFormatPcm) {
        return WavHeaderResult::notPcm;
    }
    if (header.channels > kMaxWavChannels || header.bitsPerSample > kMaxWavBitsPerSample) {
        return WavHeaderResult::unsupported;
    }

    // The chunk's own length, unless the file cannot hold it (or it claims nothing at all).
    const off_t dataStart = ftello(in);
    if (dataStart < 0 || fseeko(in, 0, SEEK_END) != 0) {
        return WavHeaderResult::corrupted;
    }
    const off_t fileEnd = ftello(in);
    if (fileEnd < dataStart || fseeko(in, dataStart, SEEK_SET) != 0) {
        return WavHeaderResult::corrupted;
    }
    const uint64_t available = static_cast<uint64_t>(fileEnd - dataStart);
    header.readToEnd = declared == 0 || declared > available;
    header.dataLength = header.readToEnd ? available : declared;
    return WavHeaderResult::ok;
}

}  // namespace disctrove
