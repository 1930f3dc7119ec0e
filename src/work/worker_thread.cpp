#include "work/worker_thread.h"

#include "platform/system/files.h"

namespace disctrove {

WorkerThread::~WorkerThread() {
    if (thread_.joinable()) {
        settings_.ripping = 0;
        thread_.join();
    }
}

bool WorkerThread::Start(std::function<int()> body) {
    if (running_) {
        return false;
    }
    if (thread_.joinable()) {
        thread_.join();  // its body has returned: only the thread itself is left
    }
    running_ = true;
    thread_ = std::thread([this, body = std::move(body)] {
        platform::SetIdlePriority();
        result_ = body();
        running_ = false;
    });
    return true;
}

int WorkerThread::Join() {
    if (thread_.joinable()) {
        thread_.join();
    }
    return result_;
}

}  // namespace disctrove
