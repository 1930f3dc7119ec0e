#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <stop_token>

#include "codecs/encoder_sink.h"
#include "support/all_records.h"
#include "support/audio_files.h"
#include "support/scripted_worker.h"
#include "support/temp_dir.h"

namespace disctrove {
namespace {

using testing::MakeSineWav;
using testing::ReadWholeFile;
using testing::TempDir;

// A format that stores the source's bytes as they are; it fails at block `failAt` (from 1; 0
// never), and keeps the part a Stop leaves only when told to.
class CopySink final : public EncoderSink {
  public:
    CopySink(int failAt, bool keepsStoppedPart) : failAt_(failAt), keeps_(keepsStoppedPart) {}
    std::string Accept(const SinkOpening& opening, SampleFeed& feed) override {
        frameBytes_ = size_t{opening.input.channels} * ((opening.input.bitsPerSample + 7) / 8);
        feed.blockFrames = 1024;
        feed.reportEvery = 1;
        return "";
    }
    std::string Open(const SinkOpening& opening, SampleFeed&) override {
        out_.open(opening.writePath, std::ios::binary);
        return out_ ? "" : "cannot create";
    }
    std::string Write(const void* samples, size_t frames) override {
        if (++blocks_ == failAt_) {
            return "the sink failed";
        }
        out_.write(static_cast<const char*>(samples),
                   static_cast<std::streamsize>(frames * frameBytes_));
        return "";
    }
    std::string Finish(bool) override {
        out_.close();
        return "";
    }
    bool KeepsStoppedPart() const override { return keeps_; }

  private:
    int failAt_;
    bool keeps_;
    int blocks_ = 0;
    size_t frameBytes_ = 0;
    std::ofstream out_;
};

// What the loop does for any sink: progress, the working file's rename on success and on a kept
// Stop, its removal on a failure and on a Stop the sink does not keep, the failure told once.
TEST(EncodeLoopTest, EverySinkGetsTheSameEnding) {
    TempDir dir;
    const std::string wav = MakeSineWav(dir.path(), "in.wav", 44100, 2, 16, 1);
    const std::string output = dir.File("out.copy");
    testing::AllRecords settings;
    testing::RecordingNotifications notes;
    testing::ScriptedQuestions questions;
    std::stop_source stop;  // the Stop of the one who runs the worker
    WorkerContext context{settings, settings,  settings, settings,
                          notes,    questions, {},       stop.get_token()};
    const auto encode = [&](int failAt, bool keeps) {
        std::filesystem::remove(output);
        notes.progress.clear();
        stop = std::stop_source();  // a new run
        context.stop = stop.get_token();
        Track track;
        EncodeJob job{&track, wav, output};
        RunEncode(context, job, false, std::make_unique<CopySink>(failAt, keeps));
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}),
                  std::filesystem::exists(output) ? 2 : 1)
            << "a working file was left";
        return track.status;
    };

    EXPECT_EQ(encode(0, true), kStatusCompleted);
    EXPECT_EQ(ReadWholeFile(output), ReadWholeFile(wav).substr(44));
    ASSERT_GE(notes.progress.size(), 3u);
    EXPECT_LT(notes.progress.front().second, notes.progress[1].second);
    EXPECT_EQ(notes.progress.back().second, kStatusCompleted);

    EXPECT_EQ(encode(3, true), kStatusError);
    EXPECT_FALSE(std::filesystem::exists(output));
    EXPECT_EQ(questions.informed, std::vector<std::string>{"the sink failed"});

    notes.onProgress = [&](int32_t, int32_t status) {
        if (status > 0 && status < 100) {
            stop.request_stop();
        }
    };
    EXPECT_EQ(encode(0, true), kStatusStopped);
    EXPECT_GT(ReadWholeFile(output).size(), 0u);
    EXPECT_LT(ReadWholeFile(output).size(), ReadWholeFile(wav).size() - 44);
    EXPECT_EQ(encode(0, false), kStatusStopped);
    EXPECT_FALSE(std::filesystem::exists(output));
    EXPECT_EQ(questions.informed.size(), 1u);
}

}  // namespace
}  // namespace disctrove
