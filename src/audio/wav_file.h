// WAV files: their header, written and read.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace disctrove {

// CD digital audio: 44100 Hz, 2 interleaved channels (left first), 16-bit little-endian samples.
inline constexpr int32_t kCdSampleRate = 44100;
inline constexpr int32_t kCdChannels = 2;
inline constexpr int32_t kCdBytesPerSector = 2352;
inline constexpr int32_t kCdSectorsPerSecond = 75;
inline constexpr uint32_t kCdFramesPerSector = 588;  // stereo sample frames

inline constexpr size_t kWavHeaderSize = 44;

// Writes the 44-byte header of a PCM WAV file at offset 0 of `out` (nothing when `out` is null):
// `bitsIndex` 0 means 8 bits, 1 means 16 bits. Written once with data length 0 right after the
// file is created and again with the real length after the last sample, so a file left by an
// interrupted writer still starts with a header that claims no more than it holds.
void WriteWavHeader(std::FILE* out, int32_t channels, int32_t sampleRate, int32_t bitsIndex,
                    uint32_t dataLength);

// The same for samples of `bitsPerSample` bits (8, 16, 24 or 32; 8-bit ones unsigned, as WAV
// stores them): a plain PCM header, which every reader takes for any width and up to 8
// channels. The RIFF length counts the pad byte a writer adds after data of odd length.
void WritePcmWavHeader(std::FILE* out, int32_t channels, int32_t sampleRate, int32_t bitsPerSample,
                       uint32_t dataLength);

// The most a WAV file read here may have: a header claiming more (65535 channels of 512-bit
// samples, say) would make its readers allocate gigabytes before the first sample.
inline constexpr uint16_t kMaxWavChannels = 255;
inline constexpr uint16_t kMaxWavBitsPerSample = 32;

enum class WavHeaderResult {
    ok,
    notWav,       // no RIFF/WAVE header at all: some other kind of file
    corrupted,    // cut inside its headers, or a format chunk without channels, rate or width
    notPcm,       // a well-formed WAV file whose samples are not integer PCM (float, ADPCM, ...)
    unsupported,  // integer PCM of more channels or wider samples than the limits above
};

struct WavHeader {
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint16_t bitsPerSample = 0;
    // Bytes of sample data: the "data" chunk's length, or everything from the first sample byte
    // to the end of the file when the chunk claims 0 bytes or more than the file holds (a file
    // from an interrupted or streaming writer).
    uint64_t dataLength = 0;
    bool readToEnd = false;    // dataLength was taken from the file's size
    uint16_t formatTag = 0;    // the format of the samples (for extensible files, the sub-format's)
    uint32_t channelMask = 0;  // for extensible files, the speakers the channels feed
};

// Reads the headers of a RIFF/WAVE file from the start of `in`, skipping chunks other than
// "fmt " and "data" wherever they stand, and leaves `in` at the first sample byte. Accepts the
// long "fmt " chunk and the extensible format.
WavHeaderResult ReadWavHeader(std::FILE* in, WavHeader& header);

}  // namespace disctrove
