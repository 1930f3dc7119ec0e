// The LAME encoder library, loaded at run time, behind the classic stream interface of six
// functions (beInitStream, beEncodeChunk, beDeinitStream, beCloseStream, beVersion,
// beWriteVBRHeader) and its 331-byte configuration record.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace disctrove::platform {

#pragma pack(push, 1)

// The configuration record in its LAME layout; little-endian, zero-filled before use.
struct BeConfig {
    uint32_t configKind;     // 256: the LAME layout
    uint32_t structVersion;  // 1
    uint32_t structSize;     // 331
    uint32_t sampleRate;     // of the samples handed over
    uint32_t resampleRate;   // of the MP3; 0 for the same
    int32_t mode;            // kBeModeStereo, ...
    uint32_t bitrate;        // kbit/s
    uint32_t maxBitrate;     // kbit/s
    int32_t preset;          // kBePreset...
    uint32_t mpegVersion;    // 1 for MPEG-1
    uint32_t psyModel;
    uint32_t emphasis;
    uint32_t privateBit;
    uint32_t crc;
    uint32_t copyright;
    uint32_t original;
    uint32_t writeVbrHeader;
    uint32_t enableVbr;
    int32_t vbrQuality;
    uint32_t abrBps;
    int32_t vbrMethod;  // -1 none, 0 default, 1 old, 2 new, 3 mtrh, 4 abr
    uint32_t noReservoir;
    uint32_t strictIso;
    uint16_t quality;  // used only when its low byte is the complement of its high byte
    std::array<uint8_t, 237> reserved;
};

#pragma pack(pop)

static_assert(sizeof(BeConfig) == 331);

inline constexpr uint32_t kBeConfigLame = 256;
inline constexpr int32_t kBeModeStereo = 0;
inline constexpr int32_t kBeModeJointStereo = 1;
inline constexpr int32_t kBeModeDualChannel = 2;
inline constexpr int32_t kBeModeMono = 3;
inline constexpr int32_t kBePresetAbr = 11;
inline constexpr int32_t kBePresetCbr = 12;

// Whether `preset` (a record's preset field) makes LAME's stream mono whatever the mode says:
// the voice, phone, short wave and AM presets.
constexpr bool PresetForcesMono(int32_t preset) {
    return preset == 3 || preset == 1000 || preset == 2000 || preset == 3000 || preset == 5000;
}

// The channel count of the stream `config` opens: the samples handed to beEncodeChunk must
// have exactly this many channels.
constexpr int32_t BeStreamChannels(const BeConfig& config) {
    return config.mode == kBeModeMono || PresetForcesMono(config.preset) ? 1 : 2;
}

// Results of the be functions.
inline constexpr uint32_t kBeOk = 0;
inline constexpr uint32_t kBeInvalidFormat = 1;
inline constexpr uint32_t kBeInvalidParameters = 2;
inline constexpr uint32_t kBeInvalidHandle = 4;

using BeStream = uint32_t;

// What a stream makes: LAME may choose another rate or bit rate than the record asked for
// where the MPEG version of the rate has no such bit rate.
struct BeStreamFormat {
    uint32_t sampleRate = 0;  // of the MP3
    uint32_t bitrate = 0;     // kbit/s when constant; 0 for a variable or average bit rate
};

struct BeVersion {
    uint8_t major = 0;  // of LAME's engine
    uint8_t minor = 0;
    std::string text;  // as LAME tells it, "3.100"
};

class LameLibrary {
  public:
    enum class LoadError { none, cannotLoad, missingFunction };

    // Loads "libmp3lame.so.0", or the file that $DISCTROVE_LAME_LIBRARY names, and binds the
    // LAME functions by name. Null on failure, with `error` and the loader's `reason`.
    static std::unique_ptr<LameLibrary> Load(LoadError& error, std::string& reason);

    ~LameLibrary();
    LameLibrary(const LameLibrary&) = delete;
    LameLibrary& operator=(const LameLibrary&) = delete;

    // Opens a stream as `config` says. `samples`: how many 16-bit samples (all channels
    // together) each chunk should hold; `bufferSize`: the bytes the output buffer must hold.
    uint32_t beInitStream(const BeConfig* config, uint32_t* samples, uint32_t* bufferSize,
                          BeStream* stream);
    // Encodes `samples` interleaved samples; `produced` receives the bytes put in `output`.
    uint32_t beEncodeChunk(BeStream stream, uint32_t samples, const int16_t* pcm, uint8_t* output,
                           uint32_t* produced);
    // Flushes what the encoder still holds.
    uint32_t beDeinitStream(BeStream stream, uint8_t* output, uint32_t* produced);
    // Ends the stream. With the VBR header on it is kept for beWriteVBRHeader.
    uint32_t beCloseStream(BeStream stream);
    void beVersion(BeVersion* version) const;
    // What the open `stream` makes; false for an unknown stream.
    bool beStreamFormat(BeStream stream, BeStreamFormat* format) const;
    // Writes the info frame of the last stream closed with its VBR header on over the frame
    // reserved for it at the start of the file (after an ID3v2 tag, if any).
    uint32_t beWriteVBRHeader(const char* path);

  private:
    struct Functions;
    struct Stream;
    struct Token {};  // only Load makes libraries

  public:
    LameLibrary(Token, void* handle, std::unique_ptr<Functions> functions);

  private:
    void Release(Stream& stream);

    void* handle_;
    std::unique_ptr<Functions> lame_;
    std::map<BeStream, std::unique_ptr<Stream>> streams_;
    std::unique_ptr<Stream> pendingTag_;  // closed, waiting for beWriteVBRHeader
    BeStream nextStream_ = 1;
};

}  // namespace disctrove::platform
