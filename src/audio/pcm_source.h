// The sample source of an encoder: a WAV file (file conversion), the raw PCM temporary file
// of a rip, or a decoder's samples (a conversion from any format).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "audio/unique_file.h"
#include "audio/wav_file.h"

namespace disctrove {

enum class PcmSourceError {
    none,
    cannotOpen,   // "Cannot open PCM data file"
    notWav,       // not a WAV file at all (a FLAC file, say)
    corrupted,    // "WAV file is corrupted"
    notPcm,       // a WAV file whose samples are not integer PCM
    unsupported,  // more channels or wider samples than a WAV file read here may have
};

// The text shown for `error` ("" for none).
std::string_view PcmSourceMessage(PcmSourceError error);

// A decoder's samples as an encoder's source.
class PcmStream {
  public:
    virtual ~PcmStream() = default;
    // What the stream hands out: channels, rate and bits of little-endian integer PCM in a WAV
    // file's channel order (formatTag 1), and dataLength, the bytes of all its samples (0 when
    // the decoder cannot tell beforehand: then there is no progress).
    virtual WavHeader Format() const = 0;
    // Up to `size` bytes of whole frames; 0 at the end of the samples or when decoding failed.
    virtual size_t Read(void* buffer, size_t size) = 0;
    // Once Read has returned 0: "" at a clean end, else what was wrong (a damaged file).
    virtual std::string Failure() const { return {}; }
};

class PcmSource {
  public:
    // A WAV file: its headers are read and only the bytes of its "data" chunk are delivered.
    static PcmSource OpenWav(const std::string& path);
    // The raw PCM temporary file: CD audio from its first byte to its last.
    static PcmSource OpenRaw(const std::string& path);
    // A decoder's samples.
    static PcmSource OfStream(std::unique_ptr<PcmStream> stream);

    PcmSourceError error() const { return error_; }
    // Channels, rate, bits and data length; for a raw file CD audio and the file's size.
    const WavHeader& format() const { return format_; }
    // Progress total: the number of sample bytes the source holds.
    uint64_t totalBytes() const { return format_.dataLength; }

    // Reads up to `size` bytes of samples; returns the count, 0 at the end of the samples.
    size_t Read(void* buffer, size_t size);
    // Once Read has returned 0: "" at a clean end of the samples, else what went wrong.
    std::string Failure() const { return stream_ ? stream_->Failure() : std::string(); }

  private:
    PcmSource() = default;
    explicit PcmSource(const std::string& path);  // opens the file, or notes that it cannot

    UniqueFile file_;
    std::unique_ptr<PcmStream> stream_;
    PcmSourceError error_ = PcmSourceError::none;
    WavHeader format_;
    uint64_t remaining_ = 0;
    bool bounded_ = false;  // stop after dataLength bytes rather than at the end of the file
};

}  // namespace disctrove
