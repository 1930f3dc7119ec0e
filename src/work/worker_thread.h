// A worker (a rip, a conversion, a decode) on a thread of its own, at idle priority.
#pragma once

#include <atomic>
#include <functional>
#include <thread>

#include "work/run_state.h"

namespace disctrove {

class WorkerThread {
  public:
    explicit WorkerThread(RunState& settings) : settings_(settings) {}
    // Asks a running worker to stop (clears `ripping`) and waits for it.
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Runs `body` on a new thread; false while the body of an earlier worker still runs. A
    // worker whose body has returned is joined here, so a second run in one session starts.
    // The caller has set `ripping` and cleared `finished` (PrepareRip does for a rip) and
    // puts them back when the start is refused; `body` sets `finished` as it ends.
    bool Start(std::function<int()> body);

    // Waits for the worker; returns what its body returned.
    int Join();

    // True from Start until the body has returned.
    bool Running() const { return running_; }

  private:
    RunState& settings_;
    std::thread thread_;
    std::atomic<bool> running_{false};
    int result_ = 0;
};

}  // namespace disctrove
