// Output formats: the encoder numbering, the per-format setting groups and the fixed value
// tables whose indexes those groups hold.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <type_traits>

namespace disctrove {

// Numbering shared by the whole program and the settings file.
enum EncoderKind : int32_t {
    kEncoderWav = 0,
    kEncoderOgg = 1,
    kEncoderMp3 = 2,
    kEncoderWma = 3,
    kEncoderFlac = 4,
    kEncoderOpus = 5,
};

// How many encoder kinds there are.
inline constexpr size_t kEncoderKinds = 6;

struct WavFormat {
    int32_t samplerateIndex = 0;
    int32_t channels = 1;         // 0 mono, 1 stereo
    int32_t samplebitsIndex = 1;  // 0 for 8 bits, 1 for 16 bits
    bool operator==(const WavFormat&) const = default;
};

struct OggFormat {
    int32_t samplerateIndex = 0;
    int32_t channels = 1;  // 0 mono, 1 stereo, 2 "5.1"
    int32_t useCbr = 0;
    int32_t useBbr = 0;
    int32_t useVbr = 1;
    int32_t cbrIndex = 0;
    int32_t minBbrIndex = 0;
    int32_t nominalBbrIndex = 0;
    int32_t maxBbrIndex = 3;
    int32_t vbr = 9;  // quality number, stored as is
    bool operator==(const OggFormat&) const = default;
};

struct Mp3Format {
    int32_t samplerateIndex = 0;
    int32_t channels = 1;  // 0 mono, 1 stereo, 2 joint stereo
    int32_t cbrIndex = 8;
    int32_t useVbr = 0;
    int32_t vbrQuality = 2;
    int32_t vbrMaxIndex = 10;
    int32_t presetIndex = 5;
    bool operator==(const Mp3Format&) const = default;
};

struct WmaFormat {
    int32_t samplerateIndex = 0;
    int32_t channels = 1;  // 0 mono, 1 stereo
    int32_t bitrateIndex = 6;
    bool operator==(const WmaFormat&) const = default;
};

struct FlacFormat {
    int32_t level = 5;   // compression level 0 to 8
    int32_t verify = 1;  // decode what is encoded as it goes, and compare
    bool operator==(const FlacFormat&) const = default;
};

struct OpusFormat {
    int32_t bitrate = 160;    // kbit/s, 6 to 510
    int32_t mode = 0;         // 0 VBR, 1 constrained VBR, 2 CBR (kOpusModeNames)
    int32_t complexity = 10;  // 0 to 10
    bool operator==(const OpusFormat&) const = default;
};

// One group of each kind: the main groups of the settings, or the groups the option pages edit.
struct FormatGroups {
    WavFormat wav;
    OggFormat ogg;
    Mp3Format mp3;
    WmaFormat wma;
    FlacFormat flac;
    OpusFormat opus;
    bool operator==(const FormatGroups&) const = default;
};

// Ten 32-bit words holding one format group; which one is told by the EncoderKind kept beside it.
// The group occupies the first words, the rest stay zero.
struct TrackFormat {
    std::array<int32_t, 10> words{};

    template <typename Group>
    static TrackFormat From(const Group& group) {
        static_assert(std::is_trivially_copyable_v<Group> && sizeof(Group) <= sizeof(words));
        TrackFormat format;
        std::memcpy(format.words.data(), &group, sizeof(Group));
        return format;
    }

    template <typename Group>
    Group As() const {
        static_assert(std::is_trivially_copyable_v<Group> && sizeof(Group) <= sizeof(words));
        Group group;
        std::memcpy(static_cast<void*>(&group), words.data(), sizeof(Group));
        return group;
    }

    bool operator==(const TrackFormat&) const = default;
};

static_assert(sizeof(WavFormat) == 3 * 4 && sizeof(OggFormat) == 10 * 4);
static_assert(sizeof(Mp3Format) == 7 * 4 && sizeof(WmaFormat) == 3 * 4);
static_assert(sizeof(FlacFormat) == 2 * 4 && sizeof(OpusFormat) == 3 * 4);
static_assert(sizeof(TrackFormat) == 40);

// The group of `kind` taken from `groups`, as a track carries it.
TrackFormat TrackFormatFor(EncoderKind kind, const FormatGroups& groups);

// The other way: a track's `format` of `kind` put into the group of that kind in `groups`.
void StoreTrackFormat(FormatGroups& groups, EncoderKind kind, const TrackFormat& format);

// Value tables. The groups hold indexes into them; the settings file holds the values.
inline constexpr std::array<int32_t, 4> kSampleRates = {0, 32000, 44100, 48000};
inline constexpr std::array<int32_t, 2> kSampleBits = {8, 16};
inline constexpr std::array<int32_t, 5> kOggBitrates = {128, 160, 192, 256, 350};
inline constexpr std::array<int32_t, 14> kMp3Bitrates = {32,  40,  48,  56,  64,  80,  96,
                                                         112, 128, 160, 192, 224, 256, 320};
inline constexpr std::array<int32_t, 9> kWmaBitrates = {6, 20, 32, 48, 56, 64, 96, 128, 160};
inline constexpr std::array<std::string_view, 23> kMp3PresetNames = {
    "Normal",  "Low",          "High",   "Voice", "R3mix", "Very high", "Standard", "Fast standard",
    "Extreme", "Fast extreme", "Insane", "ABR",   "CBR",   "Phone",     "SW",       "AM",
    "FM",      "Voice (new)",  "Radio",  "Tape",  "HiFi",  "CD",        "Studio"};
inline constexpr std::array<std::string_view, 2> kWavWmaChannelNames = {"Mono", "Stereo"};
inline constexpr std::array<std::string_view, 3> kOggChannelNames = {"Mono", "Stereo", "5.1"};
inline constexpr std::array<std::string_view, 3> kMp3ChannelNames = {"Mono", "Stereo", "JStereo"};
inline constexpr std::array<std::string_view, 2> kFlagNames = {"False", "True"};
inline constexpr std::array<std::string_view, 3> kOpusModeNames = {"VBR", "CVBR", "CBR"};
inline constexpr std::array<std::string_view, kEncoderKinds> kEncoderNames = {
    "WAV", "OGG", "MP3", "WMA", "FLAC", "OPUS"};
// File name extension of each encoder kind.
inline constexpr std::array<std::string_view, kEncoderKinds> kEncoderExtensions = {
    ".wav", ".ogg", ".mp3", ".wma", ".flac", ".opus"};

// Entry `index` of `table`, or entry `fallback` when the index lies outside it, so a damaged
// index never reads past a table.
template <typename T, size_t N>
constexpr T TableEntry(const std::array<T, N>& table, int64_t index, size_t fallback) {
    return index >= 0 && static_cast<uint64_t>(index) < N ? table[static_cast<size_t>(index)]
                                                          : table[fallback];
}

// The extension of `kind` (".wav" for a kind outside the table).
std::string_view ExtensionOf(int32_t kind);

}  // namespace disctrove
