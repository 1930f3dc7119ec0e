#include "ui/worker_bridge.h"

#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include "ui/core_texts.h"

namespace disctrove::ui {

WorkerBridge::WorkerBridge(UserDialogs& dialogs, QWidget* owner)
    : dialogs_(dialogs), owner_(owner) {
    connect(this, &WorkerBridge::questionPosted, this, &WorkerBridge::TakeQuestion,
            Qt::QueuedConnection);
}

template <typename Ask>
auto WorkerBridge::OnUiThread(Ask ask) {
    if (QThread::currentThread() == thread()) {
        return ask();
    }
    const std::lock_guard oneAtATime(asking_);
    decltype(ask()) result{};
    std::unique_lock lock(mutex_);
    question_ = [&] { result = ask(); };
    answered_ = false;
    lock.unlock();
    emit questionPosted();
    lock.lock();
    answer_.wait(lock, [this] { return answered_; });
    return result;
}

void WorkerBridge::TakeQuestion() {
    std::function<void()> question;
    {
        const std::lock_guard lock(mutex_);
        question = std::move(question_);
        question_ = nullptr;
    }
    if (question) {
        question();
    }
    const std::lock_guard lock(mutex_);
    answered_ = true;
    answer_.notify_all();
}

void WorkerBridge::TrackProgress(int32_t position, int32_t status) {
    emit trackProgress(position, status);
}

void WorkerBridge::WorkFinished() {
    emit workFinished();
}

void WorkerBridge::LookupDone() {
    emit lookupDone();
}

void WorkerBridge::Inform(std::string_view text) {
    const QString message = CoreText(text);
    OnUiThread([&] {
        dialogs_.Inform(owner_, QStringLiteral("Disctrove"), message);
        return true;
    });
}

ConfirmAnswer WorkerBridge::Confirm(ConfirmTopic, std::string_view text) {
    const QString question = CoreText(text);
    return OnUiThread([&] { return dialogs_.Confirm(owner_, question); });
}

void WorkerBridge::WaitUntilFinished(const RunState& run) {
    if (run.finished) {
        return;
    }
    QEventLoop loop;
    connect(this, &WorkerBridge::workFinished, &loop, &QEventLoop::quit);
    QTimer poll;  // a worker that ended without a notification is noticed too
    connect(&poll, &QTimer::timeout, &loop, [&] {
        if (run.finished) {
            loop.quit();
        }
    });
    poll.start(50);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace disctrove::ui
