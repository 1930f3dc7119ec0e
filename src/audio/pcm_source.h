// The sample source of an encoder: a WAV file (file conversion) or the raw PCM temporary file
// of a rip.
#pragma once

#include <cstddef>
#include <cstdint>
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

class PcmSource {
  public:
    // A WAV file: its headers are read and only the bytes of its "data" chunk are delivered.
    static PcmSource OpenWav(const std::string& path);
    // The raw PCM temporary file: CD audio from its first byte to its last.
    static PcmSource OpenRaw(const std::string& path);

    PcmSourceError error() const { return error_; }
    // Channels, rate, bits and data length; for a raw file CD audio and the file's size.
    const WavHeader& format() const { return format_; }
    // Progress total: the number of sample bytes the source holds.
    uint64_t totalBytes() const { return format_.dataLength; }

    // Reads up to `size` bytes of samples; returns the count, 0 at the end of the samples.
    size_t Read(void* buffer, size_t size);

  private:
    explicit PcmSource(const std::string& path);  // opens the file, or notes that it cannot

    UniqueFile file_;
    PcmSourceError error_ = PcmSourceError::none;
    WavHeader format_;
    uint64_t remaining_ = 0;
    bool bounded_ = false;  // stop after dataLength bytes rather than at the end of the file
};

}  // namespace disctrove
