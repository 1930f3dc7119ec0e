// Sample stages: what a track's audio passes through, once, on its way from the disc to its file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <vector>

namespace disctrove {

// One step of the chain. It sees every byte of a track's audio once, in order (16-bit
// little-endian samples, channels interleaved), and never reads a file to do its work.
class SampleStage {
  public:
    virtual ~SampleStage() = default;
    // The next bytes of the audio; false when the stage cannot go on (a write failed).
    virtual bool Take(std::span<const uint8_t> bytes) = 0;
};

// Stages in the order they were added; bytes go to each in turn until one fails.
class SampleChain final : public SampleStage {
  public:
    void Add(SampleStage& stage) { stages_.push_back(&stage); }
    bool Take(std::span<const uint8_t> bytes) override {
        for (SampleStage* stage : stages_) {
            if (!stage->Take(bytes)) {
                return false;
            }
        }
        return true;
    }

  private:
    std::vector<SampleStage*> stages_;
};

// The last stage: appends the audio to an open file and counts what it wrote.
class FileWriterStage final : public SampleStage {
  public:
    explicit FileWriterStage(std::FILE* out) : out_(out) {}
    bool Take(std::span<const uint8_t> bytes) override {
        if (std::fwrite(bytes.data(), 1, bytes.size(), out_) != bytes.size()) {
            return false;
        }
        written_ += bytes.size();
        return true;
    }
    uint64_t written() const { return written_; }

  private:
    std::FILE* out_;
    uint64_t written_ = 0;
};

}  // namespace disctrove
