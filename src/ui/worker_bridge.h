// How workers reach the desktop program: notifications become queued signals on the UI thread,
// questions are asked on the UI thread while the worker waits for the answer.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include "ui/user_dialogs.h"
#include "work/worker_context.h"

namespace disctrove::ui {

class WorkerBridge : public QObject, public WorkerNotifications, public WorkerQuestions {
    Q_OBJECT

  public:
    // Questions are shown with `owner` (the main window) as their owner.
    WorkerBridge(UserDialogs& dialogs, QWidget* owner);

    void TrackProgress(int32_t position, int32_t status) override;
    void WorkFinished() override;
    void CddbDone() override;
    void Inform(std::string_view text) override;
    ConfirmAnswer Confirm(ConfirmTopic topic, std::string_view text) override;

    // Waits on the UI thread until the worker has set `finished`. Posted notifications and the
    // worker's questions still arrive meanwhile; the user's input waits.
    void WaitUntilFinished(const Settings& settings);

  signals:
    void trackProgress(int position, int status);
    void workFinished();
    void cddbDone();

  private:
    // Runs `ask` on the bridge's (the UI) thread and waits for it.
    template <typename Ask>
    auto OnUiThread(Ask ask);

    UserDialogs& dialogs_;
    QPointer<QWidget> owner_;
};

}  // namespace disctrove::ui
