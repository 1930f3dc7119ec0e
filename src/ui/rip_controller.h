// Runs rips for the main window: starts the worker on its thread, passes on what it reports, and
// stops or waits for it. The worker reads and writes the disc's tracks while it
// runs; the window writes none of what it reads until the run is over (see Running()).
#pragma once

#include <QObject>
#include <optional>
#include <string>

#include "app/options.h"
#include "codecs/worker_context.h"
#include "disc/disc_state.h"
#include "rip/last_rip.h"
#include "ui/user_dialogs.h"
#include "ui/worker_bridge.h"
#include "work/run_state.h"
#include "work/session_inputs.h"
#include "work/worker_thread.h"

class QWidget;

namespace disctrove::ui {

class RipController : public QObject {
    Q_OBJECT

  public:
    // Rips the marked tracks of `disc` as `options` and `session` say (copied as a rip starts),
    // with the run's flags in `run`. What a run proves of its tracks, and the files it leaves,
    // reach `lastRip` once its worker is gone. The worker's questions are asked with `owner` (the
    // main window) as their owner.
    RipController(const Options& options, const SessionInputs& session, DiscState& disc,
                  LastRip& lastRip, RunState& run, UserDialogs& dialogs, QWidget* owner);
    // A worker still running is stopped and waited for.
    ~RipController() override;

    enum class Start {
        started,
        folderRefused,  // the output folder cannot hold files: the marked tracks say ERROR
        notStarted,     // no thread: nothing runs, the tracks are as before
    };
    // Starts a rip of the marked tracks. With folderRefused, `problem` says why.
    Start StartRip(std::string& problem);

    // Asks a running rip to stop: its tracks not done say Stopped. Wait() then waits for it.
    void Stop();
    // Asks a running rip to end without marking its tracks (the window closes).
    void Abandon() {
        if (Running()) {
            worker_.Stop();
        }
        run_.ripping = 0;
    }
    // Waits for the worker to end; posted notices and its questions still arrive meanwhile, the
    // user's input waits.
    void Wait();

    // A rip runs, or its end has not been seen yet.
    bool Busy() const { return run_.ripping != 0; }
    // Busy, or its worker has not returned yet: the tracks are the worker's.
    bool Running() const { return Busy() || worker_.Running(); }

  signals:
    // The track at `row` has a new status.
    void trackProgress(int row);
    // The run is over and its worker gone; also while Wait() waits for a stopped run.
    void finished();

  private:
    void OnWorkFinished();
    // After the worker's thread has ended: its result goes to lastRip_.
    void TakeResult();

    const Options& options_;
    const SessionInputs& session_;
    DiscState& disc_;
    LastRip& lastRip_;
    RunState& run_;
    // The options and the naming template a rip reads: copied as the rip starts, so what is
    // applied during the rip never reaches its worker.
    Options ripOptions_;
    SessionInputs ripSession_;
    WorkerBridge bridge_;
    WorkerContext context_;
    WorkerThread worker_;
    // The worker's result, written by its thread as it returns and read after the join.
    std::optional<RipResult> pending_;
};

}  // namespace disctrove::ui
