#include "ui/rip_controller.h"

#include "rip/rip_worker.h"

namespace disctrove::ui {

RipController::RipController(const Options& options, const SessionInputs& session, DiscState& disc,
                             LastRip& lastRip, RunState& run, UserDialogs& dialogs, QWidget* owner)
    : options_(options),
      session_(session),
      disc_(disc),
      lastRip_(lastRip),
      run_(run),
      bridge_(dialogs, owner),
      context_{ripOptions_, disc, ripSession_, run, bridge_, bridge_} {
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
    problem = MakeRipFolder(options_);
    TakeResult();  // of a run whose end has not been seen yet
    if (!worker_.Running()) {
        if (options_.ImageFile) {
            MarkWholeDisc(disc_);  // an image holds every track
        }
        lastRip_.Begin(disc_);  // the marked tracks are about to say something new
    }
    if (!problem.empty()) {
        FailRipAtStart(disc_);
        lastRip_.Take(UnreadRipResult(options_, session_.currentTemplate, disc_));
        return Start::folderRefused;
    }
    if (!worker_.Running()) {
        // The worker of an earlier rip no longer reads them.
        ripOptions_ = options_;
        ripSession_ = session_;
    }
    PrepareRip(disc_, run_);
    if (!worker_.Start([this](std::stop_token stop) {
            context_.stop = std::move(stop);
            pending_ = RunRipWorker(context_);
            return pending_->outcome;
        })) {
        // Nothing started: nothing may claim to run.
        run_.ripping = 0;
        run_.finished = 1;
        for (Track& track : disc_.tracks) {
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
        StopRip(disc_, run_);
    }
}

void RipController::Wait() {
    bridge_.WaitUntilFinished(run_);
    worker_.Join();
    TakeResult();
}

void RipController::TakeResult() {
    // Running() turns false only after the worker's body has written pending_.
    if (pending_ && !worker_.Running()) {
        lastRip_.Take(std::move(*pending_));
        pending_.reset();
    }
}

void RipController::OnWorkFinished() {
    if (!run_.finished) {
        // The last word of a run that Stop already waited for, arriving after the next run
        // began: that run is not over.
        return;
    }
    run_.ripping = 0;
    worker_.Join();  // the worker has posted its last word: the next Rip starts a new one
    TakeResult();
    emit finished();
}

}  // namespace disctrove::ui
