// The cover the main window shows beside the track list as soon as a release is chosen: fetched
// on a thread of its own, so that a slow server never holds the window up.
#pragma once

#include <QObject>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/settings.h"

namespace disctrove::ui {

class CoverPreview {
  public:
    // `shown` gets the release and its picture (empty: none) on the thread of `receiver`.
    using Shown = std::function<void(const std::string& releaseId, std::vector<uint8_t> picture)>;
    CoverPreview(QObject* receiver, Shown shown) : receiver_(receiver), shown_(std::move(shown)) {}
    // Gives up a fetch on its way and waits for its thread.
    ~CoverPreview() { Cancel(); }
    CoverPreview(const CoverPreview&) = delete;
    CoverPreview& operator=(const CoverPreview&) = delete;

    // Fetches the cover of the chosen release (settings.release) when CoverArt is on and it is
    // not known yet; an earlier fetch still on its way is given up first.
    void Start(const Settings& settings);
    void Cancel();

  private:
    QObject* receiver_;
    Shown shown_;
    std::atomic<bool> cancel_{false};
    std::thread thread_;
};

}  // namespace disctrove::ui
