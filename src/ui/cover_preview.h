// The cover the main window shows beside the track list as soon as a release is chosen: fetched
// on a thread of its own, so that a slow server never holds the window up.
#pragma once

#include <QObject>
#include <cstdint>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "front/settings.h"

namespace disctrove::ui {

class CoverPreview : public QObject {
    Q_OBJECT

  public:
    explicit CoverPreview(QObject* parent) : QObject(parent) {}
    // Gives up a fetch on its way and waits for its thread.
    ~CoverPreview() override { Cancel(); }

    // Fetches the cover of the chosen release (settings.release) when CoverArt is on and it is
    // not known yet; an earlier fetch still on its way is given up first.
    void Start(const Settings& settings);
    void Cancel();

    // After `fetched`: the release and its picture (empty: none), once.
    std::optional<CoverArt> Take();

  signals:
    // Emitted on the fetching thread; the picture is handed over through Take, under a lock of
    // our own, so nothing but the wake-up passes through Qt's queue.
    void fetched();

  private:
    std::stop_source stop_;
    std::mutex mutex_;
    std::optional<CoverArt> result_;  // guarded by mutex_
    std::thread thread_;
};

}  // namespace disctrove::ui
