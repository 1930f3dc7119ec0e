#include "work/worker_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace disctrove {
namespace {

// The owner's Stop reaches the running body through its token; one asked before a start stops
// that run (a Ctrl+C just before it); a run after a stopped one is not stopped.
TEST(WorkerThread, StopReachesTheRunItWasAskedOf) {
    WorkerThread worker;
    std::atomic<bool> began = false;
    const auto untilStopped = [&began](std::stop_token stop) {
        began = true;
        while (!stop.stop_requested()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return 1;
    };
    ASSERT_TRUE(worker.Start(untilStopped));
    while (!began) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_FALSE(worker.Start(untilStopped));  // one run at a time
    worker.Stop();
    EXPECT_EQ(worker.Join(), 1);

    const auto stopped = [](std::stop_token stop) { return stop.stop_requested() ? 2 : 3; };
    ASSERT_TRUE(worker.Start(stopped));
    EXPECT_EQ(worker.Join(), 3);  // the last run's stop is not this one's

    worker.Stop();
    ASSERT_TRUE(worker.Start(stopped));
    EXPECT_EQ(worker.Join(), 2);
}

}  // namespace
}  // namespace disctrove
