#include "codecs/wav_sink.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include "audio/unique_file.h"
#include "audio/wav_file.h"
#include "codecs/encoder_sink.h"
#include "codecs/tag_writer.h"

namespace disctrove {

namespace {

constexpr size_t kBlockFrames = 16384;
// The RIFF length counts 36 bytes of header, the data and its pad byte in 32 bits.
constexpr uint64_t kMaxDataBytes = UINT32_MAX - 36 - 1;
constexpr const char* kTooLongMessage =
    "The source is too long for a WAV file (more than 4 GB of samples).";

class WavSink final : public EncoderSink {
  public:
    std::string Accept(const SinkOpening& opening, SampleFeed& feed) override {
        const WavHeader& input = opening.input;
        frameBytes_ = size_t{input.channels} * static_cast<size_t>((input.bitsPerSample + 7) / 8);
        if (input.dataLength > kMaxDataBytes) {
            return kTooLongMessage;
        }
        feed.blockFrames = kBlockFrames;
        return "";
    }

    std::string Open(const SinkOpening& opening, SampleFeed&) override {
        opening_ = &opening;
        out_ = CreateWorkingFile(opening.writePath, "wb");
        if (!out_) {
            return kCannotCreateOutputMessage;
        }
        // A header that claims nothing until the end, as a file left by a crash must.
        WriteHeader(0);
        return std::ferror(out_.get()) != 0 ? WriteFailedMessage(opening.outputPath) : "";
    }

    std::string Write(const void* samples, size_t frames) override {
        const size_t bytes = frames * frameBytes_;
        if (written_ + bytes > kMaxDataBytes) {
            return kTooLongMessage;
        }
        if (std::fwrite(samples, 1, bytes, out_.get()) != bytes) {
            return WriteFailedMessage(opening_->outputPath);
        }
        written_ += bytes;
        return "";
    }

    // A stopped file is ended as a whole one: its header claims what it holds.
    std::string Finish(bool) override {
        bool good = (written_ % 2 == 0 || std::fputc(0, out_.get()) != EOF);  // the pad byte
        WriteHeader(static_cast<uint32_t>(written_));
        good = good && std::ferror(out_.get()) == 0;
        good = std::fclose(out_.release()) == 0 && good;
        if (good && opening_->carried != nullptr) {
            good =
                WriteFileTags(opening_->writePath, opening_->Tags(TagSet::full), opening_->Cover());
        }
        return good ? "" : WriteFailedMessage(opening_->outputPath);
    }

  private:
    void WriteHeader(uint32_t dataLength) {
        const WavHeader& input = opening_->input;
        // Samples of 20 bits come in 24-bit containers: the header gives the container.
        WritePcmWavHeader(out_.get(), input.channels, static_cast<int32_t>(input.sampleRate),
                          (input.bitsPerSample + 7) / 8 * 8, dataLength);
    }

    const SinkOpening* opening_ = nullptr;
    size_t frameBytes_ = 0;
    uint64_t written_ = 0;
    UniqueFile out_;
};

}  // namespace

std::unique_ptr<EncoderSink> MakeWavSink() {
    return std::make_unique<WavSink>();
}

}  // namespace disctrove
