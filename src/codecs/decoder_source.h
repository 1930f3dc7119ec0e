// What a decoder of one format is to the decode loop: a source that is opened, tells the format
// of its samples and hands them out piece by piece, in a WAV file's channel order. The loop
// (RunDecode) owns the rest: the refusal to overwrite its own source, the overwrite question, the
// WAV file under a hidden name and its rename or removal, progress, Stop and errors.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "codecs/worker_context.h"
#include "disc/disc_model.h"

namespace disctrove {

// The samples a source hands out.
struct DecodedFormat {
    int32_t channels = 0;
    int32_t rate = 0;
    int32_t bits = 16;           // of a sample in the WAV file: 8, 16, 24 or 32
    int32_t formatWord = 1;      // what the progress record's format tells of the bits
    uint64_t expectedBytes = 1;  // the progress record's length: the samples' bytes, 1 unknown
};

// One piece of what a source decodes.
struct DecodedPiece {
    enum class Kind { samples, hole, end, failed };
    Kind kind = Kind::end;
    // samples: little-endian, interleaved, WAV order; the source's own, until its next Read
    const void* bytes = nullptr;
    size_t size = 0;
    const char* message = nullptr;  // failed: what to tell; the WAV file keeps what came before
};

class DecoderSource {
  public:
    virtual ~DecoderSource() = default;

    // Before the overwrite question: opens `path`. Null, or what to tell (nothing is made).
    virtual const char* Open(const std::string& path) = 0;
    // After the question, before the WAV file is made: reads as far as the samples' format, so
    // a file that is not of the format leaves no empty WAV file behind. Null, or what to tell.
    virtual const char* Begin() { return nullptr; }
    virtual DecodedFormat Format() const = 0;
    virtual DecodedPiece Read() = 0;
    // How far the decode has come (0 to 100) once `written` bytes of samples were written;
    // nothing when the source cannot tell.
    virtual std::optional<uint64_t> Percent(uint64_t written) = 0;
    // Pieces between two progress notifications.
    virtual uint64_t ReportEvery() const { return 5; }
    // After the last piece of a decode that was neither stopped nor failed: null, or what to
    // tell of a damaged file (the decode then ends as an error, the WAV file kept).
    virtual const char* Check() { return nullptr; }
};

// The one decode loop: decodes decodeSourcePath (the decode command's source, whatever its format)
// into wavSourcePath through `source`. `progress` carries the progress to the dialog (its title
// becomes the source's file name, its status the outcome: 100, 101 or 102). Sets `finished` and
// posts WorkFinished on every way out. Returns 0 on success or Stop, 102 after a failure while
// decoding, -1 when the source or destination could not be opened, the source is not of the
// format, or the user declined to overwrite.
int RunDecode(WorkerContext& context, Track& progress, std::unique_ptr<DecoderSource> source);

// Ends a decode that cannot begin: tells `message`, ends as an error and returns -1.
int RefuseDecode(WorkerContext& context, Track& progress, const std::string& message);

inline constexpr const char* kCannotCreateDecodeOutputMessage = "Cannot create output file.";
inline constexpr const char* kFullDiskMessage = "Cannot write to output file. Probably full disk.";

}  // namespace disctrove
