// Acting on the modal dialogs the desktop program opens: the act runs once the dialog shows.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>

namespace disctrove::testing {

// Runs `act` on the next shown modal dialog of type Dialog, within five seconds. A dialog the
// act leaves open is closed after it, so a failing check never leaves a test waiting. Returns
// the watching timer, which deletes itself when done.
template <typename Dialog>
QPointer<QTimer> WhenShown(std::function<void(Dialog*)> act,
                           std::shared_ptr<bool> seen = std::make_shared<bool>(false)) {
    auto* timer = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(timer, &QTimer::timeout, [timer, clock, act = std::move(act), seen] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        const bool shown = dialog != nullptr && dialog->isVisible();
        if (!shown && clock->elapsed() < 5000) {
            return;
        }
        timer->stop();
        timer->deleteLater();
        if (shown) {
            *seen = true;
            act(dialog);
            if (dialog->isVisible()) {
                dialog->done(QDialog::Rejected);
            }
        }
    });
    timer->start(10);
    return timer;
}

// Runs `open`, which shows a modal Dialog, and `act` on it; false when no such dialog showed.
template <typename Dialog>
bool WithModal(const std::function<void()>& open, std::function<void(Dialog*)> act) {
    auto seen = std::make_shared<bool>(false);
    QPointer<QTimer> watch = WhenShown<Dialog>(std::move(act), seen);
    open();
    if (watch != nullptr) {
        watch->deleteLater();  // `open` returned without the dialog: stop watching
        watch->stop();
    }
    return *seen;
}

}  // namespace disctrove::testing
