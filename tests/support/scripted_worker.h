// Notifications and questions for workers under test: answers come from a script, and
// everything the worker posted or asked is kept for the test to look at.
#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "work/worker_interfaces.h"

namespace disctrove::testing {

class RecordingNotifications : public WorkerNotifications {
  public:
    // Several encoder threads of a rip report at once.
    void TrackProgress(int32_t position, int32_t status) override {
        {
            const std::lock_guard lock(mutex_);
            progress.emplace_back(position, status);
        }
        if (onProgress) {
            onProgress(position, status);
        }
    }
    void WorkFinished() override { ++finishedCount; }
    void LookupDone() override { ++lookupDoneCount; }

    std::function<void(int32_t position, int32_t status)> onProgress;  // e.g. to press Stop
    std::vector<std::pair<int32_t, int32_t>> progress;                 // (position, status)
    int finishedCount = 0;
    int lookupDoneCount = 0;

  private:
    static inline std::mutex mutex_;  // shared: records stay assignable
};

class ScriptedQuestions : public WorkerQuestions {
  public:
    void Inform(std::string_view text) override { informed.emplace_back(text); }
    // The next scripted answer; No when the script has run out.
    ConfirmAnswer Confirm(ConfirmTopic, std::string_view text) override {
        asked.emplace_back(text);
        if (beforeAnswer) {
            beforeAnswer();
        }
        if (answers.empty()) {
            return ConfirmAnswer::no;
        }
        const ConfirmAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::function<void()> beforeAnswer;  // e.g. to press Stop while the question is open
    std::deque<ConfirmAnswer> answers;
    std::vector<std::string> informed;
    std::vector<std::string> asked;
};

}  // namespace disctrove::testing
