#include "ui/disc_watch.h"

#include <QTimer>
#include <chrono>

#include "platform/cdrom/media_watch.h"

namespace disctrove::ui {

namespace {
constexpr int kIntervalMs = 2000;
}

DiscWatch::DiscWatch(std::function<bool()> mayRefresh, QObject* parent)
    : QObject(parent), mayRefresh_(std::move(mayRefresh)), timer_(new QTimer(this)) {
    connect(timer_, &QTimer::timeout, this, &DiscWatch::Check);
    timer_->start(kIntervalMs);
}

// An answer still on its way is waited for by the future's destructor: the drive's test ends.
DiscWatch::~DiscWatch() = default;

void DiscWatch::Watch(const platform::GetCdHandleRequest& request) {
    watch_ = std::make_shared<platform::MediaWatch>(request);
    changed_ = false;
}

void DiscWatch::Unwatch() {
    watch_.reset();
    changed_ = false;
}

void DiscWatch::Check() {
    if (pending_.valid()) {
        if (pending_.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
            return;  // the drive has not answered yet
        }
        const bool changed = pending_.get();
        // An answer for a drive watched before the last refresh tells nothing now.
        changed_ = changed_ || (changed && pendingWatch_ == watch_);
        pendingWatch_.reset();
    }
    if (!watch_) {
        return;
    }
    if (!mayRefresh_()) {
        return;  // a real drive keeps its news until asked; a file's stamp stays the old one
    }
    if (changed_) {
        changed_ = false;
        emit discChanged();
        return;
    }
    if (watch_->slow()) {
        pendingWatch_ = watch_;
        pending_ = std::async(std::launch::async, [watch = watch_] { return watch->Changed(); });
        return;
    }
    if (watch_->Changed()) {
        emit discChanged();
    }
}

}  // namespace disctrove::ui
