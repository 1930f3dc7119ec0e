#include "rip/encoder_pool.h"

#include <algorithm>

#include "codecs/encode_job.h"
#include "platform/system/files.h"

namespace disctrove {

size_t EncoderThreadCount(int32_t setting) {
    constexpr int32_t kMostThreads = 64;
    if (setting > 0 && setting <= kMostThreads) {
        return static_cast<size_t>(setting);
    }
    return std::max<size_t>(1, std::thread::hardware_concurrency());
}

EncoderPool::EncoderPool(WorkerContext& context, size_t threads, TaskEnded ended)
    : context_(context), maxThreads_(std::max<size_t>(1, threads)), ended_(std::move(ended)) {}

EncoderPool::~EncoderPool() {
    Finish();
}

bool EncoderPool::Writes(const std::string& outputPath) const {
    return std::find(running_.begin(), running_.end(), outputPath) != running_.end() ||
           std::any_of(queue_.begin(), queue_.end(),
                       [&](const EncodeTask& task) { return task.outputPath == outputPath; });
}

void EncoderPool::WaitForRoom() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return queue_.size() + running_.size() <= maxThreads_; });
}

void EncoderPool::WaitUntilWritten(const std::string& outputPath) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return !Writes(outputPath); });
}

void EncoderPool::Submit(EncodeTask task) {
    const std::lock_guard lock(mutex_);
    queue_.push_back(std::move(task));
    if (idle_ < queue_.size() && threads_.size() < maxThreads_) {
        threads_.emplace_back([this] {
            platform::SetIdlePriority();
            Serve();
        });
    }
    changed_.notify_all();
}

void EncoderPool::Finish() {
    {
        const std::lock_guard lock(mutex_);
        closing_ = true;
        changed_.notify_all();
    }
    for (std::thread& thread : threads_) {
        thread.join();
    }
    threads_.clear();
}

void EncoderPool::Serve() {
    // Codec state of this thread alone; the run flags are the reader's.
    WorkerContext context = context_;
    context.run = RunFlags{};
    EncoderSet encoders;
    for (;;) {
        EncodeTask task;
        {
            std::unique_lock lock(mutex_);
            ++idle_;
            changed_.wait(lock, [this] { return !queue_.empty() || closing_; });
            --idle_;
            if (queue_.empty()) {
                return;
            }
            task = std::move(queue_.front());
            queue_.pop_front();
            running_.push_back(task.outputPath);
        }
        Track& track = *task.track;
        if (context.stop.stop_requested()) {
            ReportStatus(context, track, kStatusStopped);
        } else {
            RipEncoder* encoder = encoders.For(track.encoder);
            if (encoder == nullptr || !encoder->Ready(context)) {
                ReportStatus(context, track, kStatusError);
            } else {
                EncodeJob job{&track, task.sourcePath, task.outputPath, {}, task.result};
                encoder->Encode(context, job);
            }
        }
        platform::RemoveFile(task.sourcePath);  // in case the encoder could not
        ended_(task, !context.stop.stop_requested());
        const std::lock_guard lock(mutex_);
        running_.erase(std::find(running_.begin(), running_.end(), task.outputPath));
        changed_.notify_all();
    }
}

}  // namespace disctrove
