// A worker (a rip, a conversion, a decode) on a thread of its own, at idle priority.
#pragma once

#include <functional>
#include <thread>

#include "app/settings.h"

namespace disctrove {

class WorkerThread {
  public:
    explicit WorkerThread(Settings& settings) : settings_(settings) {}
    // Asks a running worker to stop (clears `ripping`) and waits for it.
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Runs `body` on a new thread; false while an earlier worker has not finished. The caller
    // has set `ripping` and cleared `finished` (PrepareRip does for a rip); `body` sets
    // `finished` as it ends, as every worker does.
    bool Start(std::function<int()> body);

    // Waits for the worker; returns what its body returned.
    int Join();

  private:
    Settings& settings_;
    std::thread thread_;
    int result_ = 0;
};

}  // namespace disctrove
