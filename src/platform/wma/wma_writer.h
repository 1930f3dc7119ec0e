// Windows Media Audio files: a writer of one WMA version 2 stream in an ASF file, with the
// catalogue of codec formats it can encode. Backed by FFmpeg (the wmav2 encoder, the ASF muxer).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace disctrove::platform {

inline constexpr uint16_t kWmaV2FormatTag = 0x161;

// A codec format as the classic encoders list them (the fields of a WAVEFORMATEX).
struct WmaCodecFormat {
    uint16_t formatTag = kWmaV2FormatTag;
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint32_t averageBytesPerSecond = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 16;
    bool operator==(const WmaCodecFormat&) const = default;
};

// The WMA version 2 formats this writer can encode, in the codec's order: the classic list of
// rates, channel counts and bit rates, less what the wmav2 encoder refuses (below 24 kbit/s).
const std::vector<WmaCodecFormat>& WmaCodecFormats();

// The PCM handed to WriteSample: interleaved 16-bit samples.
struct WmaPcmFormat {
    uint16_t channels = 2;
    uint32_t sampleRate = 44100;
    uint16_t bitsPerSample = 16;
};

class WmaWriter {
  public:
    WmaWriter();
    // Ends writing when it was begun and not ended.
    ~WmaWriter();
    WmaWriter(const WmaWriter&) = delete;
    WmaWriter& operator=(const WmaWriter&) = delete;

    void SetOutputFilename(const std::string& path);
    // One audio stream ("Audio Stream") of `format`.
    void SetProfile(const WmaCodecFormat& format);
    // A header attribute: "Title", "Author", "WM/AlbumTitle", "WM/Genre", "WM/Year",
    // "WM/TrackNumber", or any other name.
    void SetAttribute(const std::string& name, const std::string& value);
    // Opens the file and writes its header. The PCM must have the profile's rate and channels.
    bool BeginWriting(const WmaPcmFormat& input);
    // Encodes `bytes` of PCM that begin at `time` (100-nanosecond units).
    bool WriteSample(uint64_t time, const uint8_t* pcm, size_t bytes);
    // Puts what was written so far into the file, so that it can be played.
    bool Flush();
    // Encodes what is left and finishes the file; false when that could not be written.
    bool EndWriting();

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace disctrove::platform
