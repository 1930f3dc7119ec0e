// Audio files of the formats the system's media framework decodes (MP3, WMA, AAC, ALAC and the
// rest FFmpeg knows), read as little-endian integer PCM in a WAV file's channel order.
//
// FFmpeg rather than libmpg123 for MP3: FFmpeg is linked already for WMA, and one decode path then
// serves MP3, WMA, AAC and ALAC alike. Its MP3 demuxer reads the LAME/Xing header and trims the
// encoder delay and padding, so an MP3 decodes to exactly the samples that were encoded.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace disctrove::platform {

enum class MediaCodec { mp3, wma, aac, alac, flac, vorbis, opus, pcm, other };

struct MediaFormat {
    int32_t channels = 0;
    int32_t rate = 0;
    // Of a sample handed out: 16 for lossy (floating-point) decoders, rounded as FFmpeg's own
    // program rounds them; a lossless decoder's own width (8, 16, 24 or 32) otherwise.
    int32_t bits = 16;
    uint32_t channelMask = 0;  // the speakers, as a WAV file's mask; 0 when not known
    uint64_t frames = 0;       // sample frames the file holds; 0 when the container does not say
    // `frames` is what the container states (not an estimate from the bit rate). Even so it may
    // be a little more than is decoded: an MP3's count includes the encoder's delay and padding.
    bool framesStated = false;
    MediaCodec codec = MediaCodec::other;
};

class MediaDecoder {
  public:
    // Opens the first audio stream of `path` and decodes its first samples. Null, with why in
    // `problem` (without the file's name), when the file cannot be read, holds no audio or its
    // audio cannot be decoded.
    static std::unique_ptr<MediaDecoder> Open(const std::string& path, std::string& problem);
    ~MediaDecoder();
    MediaDecoder(const MediaDecoder&) = delete;
    MediaDecoder& operator=(const MediaDecoder&) = delete;

    const MediaFormat& format() const;
    // The next samples, in place of what `out` held: whole frames. False at the end of the stream
    // or when decoding failed (then failure() says why).
    bool Decode(std::vector<uint8_t>& out);
    // Once Decode returned false: "" at a clean end, else what is wrong with the file.
    const std::string& failure() const;

    struct State;

  private:
    explicit MediaDecoder(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

}  // namespace disctrove::platform
