// The encoder threads of a rip: tracks that have been read wait in a queue, and up to a set
// number of them are encoded at once while the reader goes on with the next track.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "codecs/worker_context.h"
#include "disc/disc_model.h"
#include "disc/track_result.h"

namespace disctrove {

struct EncodeTask {
    Track* track = nullptr;
    TrackResult* result = nullptr;  // where the encoder's note goes
    std::string sourcePath;  // the track's raw PCM temporary file, removed when the task ends
    std::string outputPath;
    size_t order = 0;  // the track's place among the marked tracks of the run
};

// How many encoder threads `EncoderThreads` asks for: the number itself, or one per processor
// core for 0 (and for a value no one could mean).
size_t EncoderThreadCount(int32_t setting);

class EncoderPool {
  public:
    // Called on an encoder thread when a task has ended; `kept` is false when the run was
    // stopped before the task ended.
    using TaskEnded = std::function<void(const EncodeTask& task, bool kept)>;

    // `context` gives the records, the stop, the notifications and the questions (which must be
    // safe to ask from several threads). Threads are started as tasks come, up to `threads`.
    EncoderPool(WorkerContext& context, size_t threads, TaskEnded ended);
    // Finish().
    ~EncoderPool();
    EncoderPool(const EncoderPool&) = delete;
    EncoderPool& operator=(const EncoderPool&) = delete;

    // Waits until a further track's temporary file fits: at most one track waits for an
    // encoder while every encoder works.
    void WaitForRoom();

    // Waits until no waiting or running task writes `outputPath`, so that two tracks of one
    // run that are named alike are written one after the other, as the user was asked.
    void WaitUntilWritten(const std::string& outputPath);

    void Submit(EncodeTask task);

    // Waits until every task has ended and the threads have returned. Tasks still waiting
    // when the run was stopped end as stopped, and their temporary files are removed.
    void Finish();

  private:
    void Serve();
    bool Writes(const std::string& outputPath) const;  // with mutex_ held

    WorkerContext& context_;
    const size_t maxThreads_;
    TaskEnded ended_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<EncodeTask> queue_;
    std::vector<std::string> running_;  // output paths of the tasks being encoded
    size_t idle_ = 0;                   // threads waiting for a task
    bool closing_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace disctrove
