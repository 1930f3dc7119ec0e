// How the terminal program shows what workers report and answers what they ask.
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "disc/disc_state.h"
#include "work/worker_interfaces.h"

namespace disctrove::cli {

class Terminal : public WorkerNotifications, public WorkerQuestions {
  public:
    // Progress lines name the tracks of `disc`.
    explicit Terminal(const DiscState& disc);

    // Answers given on the command line; without them a terminal is asked, else No.
    void SetAnswers(std::optional<ConfirmAnswer> overwrite, std::optional<ConfirmAnswer> readError);

    // The name progress lines give a conversion's file (position -1).
    void SetFileName(std::string name) { fileName_ = std::move(name); }

    // Says something on standard error, leaving a progress line first.
    void Say(const std::string& text);

    void TrackProgress(int32_t position, int32_t status) override;
    // Progress of one piece of work (`key`) that is no track: "name: 40%", its status when it
    // ended (over 100). On a terminal the pieces in progress share updating lines; else a line
    // for every tenth percent.
    void Progress(int32_t key, const std::string& name, int32_t status);
    // Ends the progress of `key` without a line of its own, and prints `line` on standard output,
    // above the progress lines of a terminal.
    void EndProgress(int32_t key, const std::string& line);
    // On a terminal, a last line under those of the work in progress ("" none).
    void SetOverall(std::string line);
    void WorkFinished() override;
    void LookupDone() override {}
    void Inform(std::string_view text) override;
    ConfirmAnswer Confirm(ConfirmTopic topic, std::string_view text) override;

  private:
    // Takes the progress lines off the screen (a terminal); they come back at the next report.
    void EndProgressLine();
    void DrawProgressLines();
    std::string Describe(int32_t position) const;

    const DiscState& disc_;
    std::mutex mutex_;
    bool interactive_;  // standard input and error are a terminal
    // On a terminal, the tracks in progress, each on a line of its own below what was said.
    std::map<int32_t, std::string> active_;
    int drawnLines_ = 0;  // progress lines on the screen now
    std::optional<ConfirmAnswer> overwrite_;
    std::optional<ConfirmAnswer> readError_;
    std::string fileName_;
    std::string overall_;
    std::map<int32_t, int32_t> lastStep_;  // without a terminal: the last tenth told per track
};

// "Completed", "Stopped" or "ERROR": how a finished track is listed (a track the run did not
// reach counts as stopped).
const char* StatusText(int32_t status);

}  // namespace disctrove::cli
