// Disc images whose audio lies in WAV or FLAC files: a CUE sheet naming them (one file for the
// disc or one a track), or a FLAC file with the sheet inside it (a CUESHEET block). libcdio reads
// only raw sectors, so these are read through decoders that the program hands the drive layer at
// start-up (SetPcmFileOpener): the decoders live above it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace disctrove::platform {

// What a FLAC file says of itself as a disc.
struct EmbeddedCueSheet {
    std::string sheet;      // its CUESHEET block written as a CUE sheet; empty when it has none
    std::string notCd;      // why its CUESHEET block is no CD's (then `sheet` is empty)
    std::string tagSheet;   // a CUE sheet kept as text in a CUESHEET tag, as some players keep it
    std::string title;      // the album's, from its tags
    std::string performer;  // the album's
};

// A file of CD audio, read anywhere.
class PcmFileReader {
  public:
    virtual ~PcmFileReader() = default;

    // Stereo sample frames the file holds.
    virtual uint64_t Frames() const = 0;

    // Reads `count` frames from frame `first` (all within Frames()) as CD audio: 16-bit
    // little-endian samples, left first. False when the file cannot be read there.
    virtual bool Read(uint64_t first, uint32_t count, uint8_t* out) = 0;

    virtual EmbeddedCueSheet Embedded() const { return {}; }
};

// Opens a WAV or FLAC file of 44100 Hz, 16-bit stereo audio; null, with what is wrong in
// `problem` (named by the file), when the file is missing, of another kind or another format.
using PcmFileOpener =
    std::function<std::unique_ptr<PcmFileReader>(const std::string& path, std::string& problem)>;

// Makes `opener` the one that images of WAV and FLAC files are read with. Call once at start-up,
// before any image is added.
void SetPcmFileOpener(PcmFileOpener opener);

// True for a path these images are: a FLAC file, or a CUE sheet one of whose FILE lines names a
// WAV or FLAC file (by its type or its name).
bool IsAudioFileImage(const std::string& path);

}  // namespace disctrove::platform
