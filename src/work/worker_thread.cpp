#include "work/worker_thread.h"

#include "platform/system/files.h"

namespace disctrove {

WorkerThread::~WorkerThread() {
    if (thread_.joinable()) {
        Stop();
        thread_.join();
    }
}

void WorkerThread::Stop() {
    const std::lock_guard lock(stopMutex_);
    stop_.request_stop();
}

bool WorkerThread::Start(std::function<int(std::stop_token)> body) {
    if (running_) {
        return false;
    }
    if (thread_.joinable()) {
        JoinEnded();  // its body has returned: only the thread itself is left
    }
    std::stop_token stop;
    {
        const std::lock_guard lock(stopMutex_);
        stop = stop_.get_token();
    }
    running_ = true;
    thread_ = std::thread([this, body = std::move(body), stop = std::move(stop)] {
        platform::SetIdlePriority();
        result_ = body(stop);
        running_ = false;
    });
    return true;
}

int WorkerThread::Join() {
    if (thread_.joinable()) {
        JoinEnded();
    }
    return result_;
}

void WorkerThread::JoinEnded() {
    thread_.join();
    const std::lock_guard lock(stopMutex_);
    stop_ = std::stop_source();  // a stop asked of the run that ended does not stop the next
}

}  // namespace disctrove
