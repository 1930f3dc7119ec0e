// A worker (a rip, a conversion, a decode) on a thread of its own, at idle priority. The thread
// owns the run's stop: Stop() asks the worker to stop through the token its body was given.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <stop_token>
#include <thread>

namespace disctrove {

class WorkerThread {
  public:
    WorkerThread() = default;
    // Asks a running worker to stop and waits for it.
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Runs `body` on a new thread with the stop token of this run; false while the body of an
    // earlier worker still runs. A worker whose body has returned is joined here, so a second
    // run in one session starts. The caller shows the run (RunState's `ripping`, `finished`;
    // PrepareRip does for a rip) and puts that back when the start is refused; `body` sets
    // `finished` as it ends.
    bool Start(std::function<int(std::stop_token)> body);

    // Asks the running worker to stop; its loops end at their next look at the token. Asked
    // before Start, it stops the run that starts next (a Ctrl+C may come just before the
    // start). Any thread may ask (the terminal's Ctrl+C comes on a thread of its own).
    void Stop();

    // Waits for the worker; returns what its body returned.
    int Join();

    // True from Start until the body has returned.
    bool Running() const { return running_; }

  private:
    // Joins the thread of a body that has returned, and gives the next run a stop of its own.
    void JoinEnded();

    std::mutex stopMutex_;  // guards stop_, which JoinEnded replaces while Stop may be asked
    std::stop_source stop_;
    std::thread thread_;
    std::atomic<bool> running_{false};
    int result_ = 0;
};

}  // namespace disctrove
