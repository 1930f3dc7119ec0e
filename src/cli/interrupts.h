// Ctrl+C for the terminal program: the first one runs the action of the moment (stop the rip,
// cancel the look-up), a second one ends the program at once.
#pragma once

#include <csignal>
#include <functional>
#include <mutex>
#include <thread>

namespace disctrove::cli {

class Interrupts {
  public:
    // Blocks SIGINT and SIGTERM for this thread and every thread started later, and starts the
    // thread that waits for them. Make it before any other thread.
    Interrupts();
    ~Interrupts();
    Interrupts(const Interrupts&) = delete;
    Interrupts& operator=(const Interrupts&) = delete;

    // What the next interrupt does (nothing: end the program).
    void OnInterrupt(std::function<void()> action);

  private:
    void Wait();

    sigset_t signals_{};
    std::mutex mutex_;
    std::function<void()> action_;
    bool interrupted_ = false;
    bool ending_ = false;
    std::thread thread_;
};

}  // namespace disctrove::cli
