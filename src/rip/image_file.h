// The one file of a rip to an image: the whole disc's audio as a WAV or FLAC file, written under a
// working name and given its own only when every sector of it is there.
#pragma once

#include <memory>
#include <string>

#include "audio/sample_stage.h"
#include "audio/unique_file.h"
#include "codecs/worker_context.h"
#include "rip/cue_sheet.h"

namespace disctrove {

class EncoderSink;

// "" when an image can be written in `kind`, else what to tell the user.
std::string ImageFormatProblem(EncoderKind kind);

// "<Artist> - <Album>" with the extension of `kind`, in `folder`: beside the log and the CUE
// sheet, which are named alike.
std::string ImagePath(const Options& options, const DiscState& disc, const std::string& folder,
                      EncoderKind kind);

class ImageFile {
  public:
    // The image of `layout`, in the format of the run's encoder (options.Encoder), at `path`.
    // A FLAC image carries the album's tags and `sheet`, as a CUESHEET comment and as its
    // CUESHEET block.
    ImageFile(WorkerContext& context, ImageLayout layout, std::string path, std::string sheet);
    ~ImageFile();
    ImageFile(const ImageFile&) = delete;
    ImageFile& operator=(const ImageFile&) = delete;

    const std::string& path() const { return path_; }
    EncoderKind kind() const { return kind_; }
    const ImageLayout& layout() const { return layout_; }

    enum class Opening {
        open,
        declined,  // No to the question whether to replace the file there, or Stop
        failed,    // the file cannot be made, or the encoder refuses (told)
    };
    // Asks before an existing file is replaced, then creates the working file.
    Opening Open();

    // Where the audio goes, from the image's first sector on.
    SampleStage& stage();

    // What the last write that failed was told, for the user.
    std::string WriteFailure() const;

    // Ends the file and gives it its name; "" when done, else what to tell (nothing is left).
    std::string Finish();

    // Removes what was written: a part of a disc never passes for the whole.
    void Discard();

    // Whether the image was finished and has its name.
    bool written() const { return written_; }

  private:
    class SinkStage;

    WorkerContext& context_;
    ImageLayout layout_;
    std::string path_;
    std::string sheet_;
    EncoderKind kind_;
    std::string writePath_;
    bool open_ = false;  // the working file may be there
    bool written_ = false;
    UniqueFile wav_;  // a WAV image's file
    std::unique_ptr<FileWriterStage> wavWriter_;
    std::unique_ptr<EncoderSink> sink_;  // a FLAC image's encoder
    std::unique_ptr<SinkStage> sinkStage_;
};

}  // namespace disctrove
