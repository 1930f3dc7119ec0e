// Notifications and questions for benchmarks: nothing shown, Yes to every question, messages
// on standard error.
#pragma once

#include <cstdio>

#include "work/worker_interfaces.h"

namespace disctrove::bench {

class SilentWorker : public WorkerNotifications, public WorkerQuestions {
  public:
    void TrackProgress(int32_t, int32_t) override {}
    void WorkFinished() override {}
    void LookupDone() override {}
    void Inform(std::string_view text) override {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
    }
    ConfirmAnswer Confirm(ConfirmTopic, std::string_view) override { return ConfirmAnswer::yes; }
};

}  // namespace disctrove::bench
