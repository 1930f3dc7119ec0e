#include "ui/run_progress.h"

#include <cmath>
#include <vector>

namespace disctrove::ui {

namespace {

// The first seconds of a run (the drive spinning up, the first reads) say little of its pace.
constexpr double kSettleSeconds = 2.0;

bool Finished(int32_t status) {
    return status >= kStatusCompleted;
}

QString Duration(long long seconds) {
    const long long hours = seconds / 3600;
    const long long minutes = seconds / 60 % 60;
    const long long rest = seconds % 60;
    return hours > 0 ? QStringLiteral("%1:%2:%3")
                           .arg(hours)
                           .arg(minutes, 2, 10, QLatin1Char('0'))
                           .arg(rest, 2, 10, QLatin1Char('0'))
                     : QStringLiteral("%1:%2").arg(minutes).arg(rest, 2, 10, QLatin1Char('0'));
}

}  // namespace

double WorkDone(std::span<const TrackWork> tracks) {
    double total = 0;
    double done = 0;
    for (const TrackWork& track : tracks) {
        // A track of no length still counts, as a sector.
        const double weight = std::max<uint32_t>(track.sectors, 1);
        total += weight;
        if (Finished(track.status)) {
            done += weight;
        } else if (track.status > 0) {
            done += weight * track.status / 100.0;
        }
    }
    return total > 0 ? done / total : 0;
}

std::optional<long long> SecondsLeft(double done, double elapsedSeconds) {
    if (done <= 0 || elapsedSeconds < kSettleSeconds) {
        return std::nullopt;
    }
    if (done >= 1) {
        return 0;
    }
    return std::llround(elapsedSeconds * (1 - done) / done);
}

RunProgress::RunProgress(QWidget* parent) : QProgressBar(parent) {
    setTextVisible(true);
    // Wide enough for the longest text, so that it never wraps inside the bar.
    const QString longest =
        tr("%1 of %2 tracks").arg(99).arg(99) + tr(", %1 left").arg(QStringLiteral("0:00:00"));
    setMinimumWidth(fontMetrics().horizontalAdvance(longest) + 40);
    hide();
}

void RunProgress::Start(const DiscState& disc) {
    clock_.start();
    show();
    Update(disc);
}

void RunProgress::Update(const DiscState& disc) {
    if (!clock_.isValid()) {
        return;
    }
    std::vector<TrackWork> work;
    int done = 0;
    for (const Track& track : disc.tracks) {
        if (track.marked) {
            work.push_back({track.lengthSectors, track.status});
            done += Finished(track.status) ? 1 : 0;
        }
    }
    const int marked = static_cast<int>(work.size());
    setRange(0, std::max(marked, 1));
    setValue(done);
    QString text = tr("%1 of %2 tracks").arg(done).arg(marked);
    const auto left = SecondsLeft(WorkDone(work), static_cast<double>(clock_.elapsed()) / 1000.0);
    if (left) {
        text += tr(", %1 left").arg(Duration(*left));
    }
    setFormat(text);
}

void RunProgress::Finish() {
    clock_.invalidate();
    hide();
}

}  // namespace disctrove::ui
