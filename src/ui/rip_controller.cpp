#include "ui/rip_controller.h"

#include "rip/rip_worker.h"

namespace disctrove::ui {

RipController::RipController(Settings& settings, UserDialogs& dialogs, QWidget* owner)
    : settings_(settings), bridge_(dialogs, owner), context_{ripOptions_, settings, ripSession_,
                                                             settings,    settings, bridge_,
                                                             bridge_} {
    connect(&bridge_, &WorkerBridge::trackProgress, this, [this](int position, int status) {
        (void)status;  // the track holds it too, and may be newer
        emit trackProgress(position);
    });
    connect(&bridge_, &WorkerBridge::workFinished, this, &RipController::OnWorkFinished);
}

// The worker, still running, is stopped and waited for by worker_'s destructor.
RipController::~RipController() = default;

RipController::Start RipController::StartRip(std::string& problem) {
    // A folder typed in the options is made now; one that cannot hold files ends the rip here.
    problem = MakeRipFolder(settings_);
    if (!problem.empty()) {
        FailRipAtStart(settings_);
        return Start::folderRefused;
    }
    if (!worker_.Running()) {
        // The worker of an earlier rip no longer reads them.
        ripOptions_ = settings_;
        ripSession_ = settings_;
    }
    PrepareRip(settings_, settings_);
    if (!worker_.Start([this](std::stop_token stop) {
            context_.stop = std::move(stop);
            return RunRipWorker(context_);
        })) {
        // Nothing started: nothing may claim to run.
        settings_.ripping = 0;
        settings_.finished = 1;
        for (Track& track : settings_.tracks) {
            if (track.marked) {
                track.status = kStatusNone;
            }
        }
        return Start::notStarted;
    }
    return Start::started;
}

void RipController::Stop() {
    if (Busy()) {
        worker_.Stop();
        StopRip(settings_, settings_);
    }
}

void RipController::Wait() {
    bridge_.WaitUntilFinished(settings_);
    worker_.Join();
}

void RipController::OnWorkFinished() {
    if (!settings_.finished) {
        // The last word of a run that Stop already waited for, arriving after the next run
        // began: that run is not over.
        return;
    }
    settings_.ripping = 0;
    worker_.Join();  // the worker has posted its last word: the next Rip starts a new one
    emit finished();
}

}  // namespace disctrove::ui
