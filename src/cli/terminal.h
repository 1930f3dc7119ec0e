// How the terminal program shows what workers report and answers what they ask.
#pragma once

#include <mutex>
#include <optional>
#include <string>

#include "app/settings.h"
#include "work/worker_context.h"

namespace disctrove::cli {

class Terminal : public WorkerNotifications, public WorkerQuestions {
  public:
    explicit Terminal(const Settings& settings);

    // Answers given on the command line; without them a terminal is asked, else No.
    void SetAnswers(std::optional<ConfirmAnswer> overwrite, std::optional<ConfirmAnswer> readError);

    // The name progress lines give a conversion's file (position -1).
    void SetFileName(std::string name) { fileName_ = std::move(name); }

    // Says something on standard error, leaving a progress line first.
    void Say(const std::string& text);

    void TrackProgress(int32_t position, int32_t status) override;
    void WorkFinished() override;
    void CddbDone() override {}
    void Inform(std::string_view text) override;
    ConfirmAnswer Confirm(ConfirmTopic topic, std::string_view text) override;

  private:
    void EndProgressLine();

    const Settings& settings_;
    std::mutex mutex_;
    bool interactive_;           // standard input and error are a terminal
    bool progressOpen_ = false;  // a progress line waits for its end
    std::optional<ConfirmAnswer> overwrite_;
    std::optional<ConfirmAnswer> readError_;
    std::string fileName_;
    int32_t lastPosition_ = -2;  // the last progress line shown, so that repeats are left out
    int32_t lastStep_ = -1;
};

// "Completed", "Stopped" or "ERROR": how a finished track is listed (a track the run did not
// reach counts as stopped).
const char* StatusText(int32_t status);

}  // namespace disctrove::cli
