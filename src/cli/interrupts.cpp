#include "cli/interrupts.h"

#include <pthread.h>

#include <cstdlib>

namespace disctrove::cli {

Interrupts::Interrupts() {
    sigemptyset(&signals_);
    sigaddset(&signals_, SIGINT);
    sigaddset(&signals_, SIGTERM);
    sigaddset(&signals_, SIGUSR1);  // ends the waiting thread
    pthread_sigmask(SIG_BLOCK, &signals_, nullptr);
    thread_ = std::thread([this] { Wait(); });
}

Interrupts::~Interrupts() {
    {
        const std::lock_guard lock(mutex_);
        ending_ = true;
    }
    pthread_kill(thread_.native_handle(), SIGUSR1);
    thread_.join();
}

void Interrupts::OnInterrupt(std::function<void()> action) {
    const std::lock_guard lock(mutex_);
    action_ = std::move(action);
}

void Interrupts::Wait() {
    for (;;) {
        int received = 0;
        sigwait(&signals_, &received);
        const std::lock_guard lock(mutex_);
        if (ending_) {
            return;
        }
        if (received == SIGUSR1) {
            continue;
        }
        if (interrupted_ || !action_) {
            std::_Exit(130);  // asked twice, or nothing to stop gently
        }
        interrupted_ = true;
        action_();
    }
}

}  // namespace disctrove::cli
