// How workers reach the desktop program: notifications become queued signals on the UI thread,
// questions are asked on the UI thread while the worker waits for the answer.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <condition_variable>
#include <functional>
#include <mutex>

#include "front/program_state.h"
#include "ui/user_dialogs.h"
#include "work/run_state.h"
#include "work/worker_interfaces.h"

namespace disctrove::ui {

class WorkerBridge : public QObject, public WorkerNotifications, public WorkerQuestions {
    Q_OBJECT

  public:
    // Questions are shown with `owner` (the main window) as their owner.
    WorkerBridge(UserDialogs& dialogs, QWidget* owner);

    void TrackProgress(int32_t position, int32_t status) override;
    void WorkFinished() override;
    void LookupDone() override;
    void Inform(std::string_view text) override;
    ConfirmAnswer Confirm(ConfirmTopic topic, std::string_view text) override;

    // Waits on the UI thread until the worker has set `finished`. Posted notifications and the
    // worker's questions still arrive meanwhile; the user's input waits.
    void WaitUntilFinished(const RunState& run);

  signals:
    void trackProgress(int position, int status);
    void workFinished();
    void lookupDone();

    // Posted by a worker that has put its question in question_.
    void questionPosted();

  private:
    // Runs `ask` on the bridge's (the UI) thread and waits for it; one question at a time. The
    // question and its answer pass under mutex_ rather than through Qt's blocking connection,
    // whose futex ThreadSanitizer cannot see (it took the hand-over for races).
    template <typename Ask>
    auto OnUiThread(Ask ask);
    // On the UI thread: asks the posted question and wakes the worker.
    void TakeQuestion();

    UserDialogs& dialogs_;
    QPointer<QWidget> owner_;
    std::mutex asking_;  // held by the worker whose question is under way
    std::mutex mutex_;   // guards what follows
    std::condition_variable answer_;
    std::function<void()> question_;
    bool answered_ = false;
};

}  // namespace disctrove::ui
