// Questions from the several threads of one run, asked one at a time.
#pragma once

#include <mutex>

#include "work/worker_interfaces.h"

namespace disctrove {

// Passes questions on to the front end's questions, never two at once: a second thread waits
// until the box in front of the user has been answered.
class SerialQuestions final : public WorkerQuestions {
  public:
    explicit SerialQuestions(WorkerQuestions& questions) : questions_(questions) {}

    void Inform(std::string_view text) override {
        const std::lock_guard lock(mutex_);
        questions_.Inform(text);
    }
    ConfirmAnswer Confirm(ConfirmTopic topic, std::string_view text) override {
        const std::lock_guard lock(mutex_);
        return questions_.Confirm(topic, text);
    }

  private:
    WorkerQuestions& questions_;
    std::mutex mutex_;
};

}  // namespace disctrove
