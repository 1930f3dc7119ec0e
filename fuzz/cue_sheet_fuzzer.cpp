// A CUE sheet of audio files: parsed, laid out as a disc (each file named by it made beside it,
// its length taken from its name, some ending inside a sector), and its table of contents,
// facts, CD-Text and a few sectors read.
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "platform/cdrom/audio_file_image.h"
#include "platform/cdrom/cdrom_records.h"
#include "platform/cdrom/cue_parser.h"
#include "platform/cdrom/disc_device.h"

using namespace disctrove::platform;

namespace {

// Silence of a length that the file's name gives.
class NamedLength final : public PcmFileReader {
  public:
    explicit NamedLength(const std::string& path)
        : frames_(path.size() * 100 * 588 + (path.size() % 3 == 0 ? 0 : 7)) {}
    uint64_t Frames() const override { return frames_; }
    bool Read(uint64_t first, uint32_t count, uint8_t* out) override {
        if (first + count > frames_) {
            __builtin_trap();  // the image asked past the file's end
        }
        std::fill_n(out, size_t{count} * 4, uint8_t{0});
        return true;
    }

  private:
    uint64_t frames_;
};

bool PlainName(const std::string& name) {
    return !name.empty() && name.size() < 64 && name.front() != '.' &&
           std::all_of(name.begin(), name.end(), [](unsigned char c) {
               return std::isalnum(c) || c == '.' || c == '_' || c == '-';
           });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool opener = [] {
        SetPcmFileOpener([](const std::string& path, std::string&) {
            return std::make_unique<NamedLength>(path);
        });
        return true;
    }();
    (void)opener;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string problem;
    const auto sheet = ParseCueSheet(text, problem);
    if (!sheet) {
        return 0;
    }
    for (const CueFile& file : sheet->files) {
        if (!PlainName(file.name)) {
            return 0;
        }
        disctrove::fuzz::WriteScratchFile(file.name, nullptr, 0);
    }
    const std::string path = disctrove::fuzz::WriteScratchFile("disc.cue", data, size);
    const auto image = OpenAudioFileImage(path, problem);
    if (!image) {
        return 0;
    }
    DiscLayout layout;
    DiscFacts facts;
    ReadError error;
    if (!image->ReadLayout(layout, error) || !image->ReadFacts(facts) ||
        facts.tracks.size() != layout.tracks.size() ||
        image->ReadCdText().tracks.size() != layout.tracks.size()) {
        __builtin_trap();
    }
    std::vector<uint8_t> sectors(4 * size_t{kCdSectorBytes});
    for (const auto& track : layout.tracks) {
        if (track.start < 0 || track.start >= layout.leadOut) {
            __builtin_trap();
        }
        (void)image->ReadAudio(track.start, 4, sectors.data(), false, error);
    }
    (void)image->ReadAudio(0, 1, sectors.data(), false, error);
    (void)image->ReadAudio(layout.leadOut - 1, 1, sectors.data(), false, error);
    return 0;
}
