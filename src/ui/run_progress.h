// The status bar's bar for a whole rip: tracks done of the tracks marked, and the time left.
#pragma once

#include <QElapsedTimer>
#include <QProgressBar>
#include <cstdint>
#include <optional>
#include <span>

#include "front/settings.h"

namespace disctrove::ui {

struct TrackWork {
    uint32_t sectors = 0;
    int32_t status = kStatusNone;  // a percentage while under way, then Completed, Stopped, ERROR
};

// The share of the run's work done, 0 to 1: a finished track counts whole, a track under way by
// its percentage, each weighed by its length.
double WorkDone(std::span<const TrackWork> tracks);

// The seconds left when `done` of the work took `elapsedSeconds`: the rest at the same pace.
// None until some work is done.
std::optional<long long> SecondsLeft(double done, double elapsedSeconds);

class RunProgress : public QProgressBar {
    Q_OBJECT

  public:
    explicit RunProgress(QWidget* parent);

    void Start(const Settings& settings);
    void Update(const Settings& settings);
    void Finish();
    bool running() const { return clock_.isValid(); }

  private:
    QElapsedTimer clock_;
};

}  // namespace disctrove::ui
