// Notices a disc put into or taken out of the chosen drive: every two seconds the drive's media
// state is checked, and a change is reported once the window may refresh.
#pragma once

#include <QObject>
#include <functional>
#include <future>
#include <memory>

#include "platform/cdrom/cdrom_records.h"

class QTimer;

namespace disctrove::platform {
class MediaWatch;
}

namespace disctrove::ui {

class DiscWatch : public QObject {
    Q_OBJECT

  public:
    // `mayRefresh` tells whether a refresh may happen now (no rip, look-up or dialog).
    DiscWatch(std::function<bool()> mayRefresh, QObject* parent);
    ~DiscWatch() override;

    // Watches the drive `request` names from now on (each refresh starts the watch afresh).
    void Watch(const platform::GetCdHandleRequest& request);
    void Unwatch();

  public slots:
    // One look at the drive (the timer's work; tests call it directly).
    void Check();

  signals:
    void discChanged();

  private:
    std::function<bool()> mayRefresh_;
    QTimer* timer_ = nullptr;
    std::shared_ptr<platform::MediaWatch> watch_;
    // A real drive's answer on its way from another thread, and the watch it belongs to.
    std::future<bool> pending_;
    std::shared_ptr<platform::MediaWatch> pendingWatch_;
    bool changed_ = false;  // seen while a refresh could not happen
};

}  // namespace disctrove::ui
