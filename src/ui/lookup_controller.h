// Runs the disc's look-ups for the main window (MusicBrainz, then the CDDB server) on a thread
// of their own, and says on the window's thread when one has ended.
#pragma once

#include <QObject>

#include "app/options.h"
#include "disc/disc_lookup.h"
#include "disc/disc_state.h"
#include "disc/lookup_result.h"
#include "work/run_state.h"
#include "work/worker_interfaces.h"

namespace disctrove::ui {

class LookupController : public QObject, private WorkerNotifications {
    Q_OBJECT

  public:
    // Looks up the disc of `disc`'s chosen drive as `options` say, from `source`; the answer
    // goes into `found`, and `run.lookupRunning` says while the window waits for it.
    LookupController(const Options& options, const DiscState& disc, const LookupSource& source,
                     LookupResult& found, RunState& run, QObject* parent = nullptr);
    // A running look-up is cancelled and its thread waited for.
    ~LookupController() override;

    // Starts a look-up for the disc in the chosen drive; false while an earlier one is still on
    // its way.
    bool Start();
    // Makes a running look-up give up; its reply is never taken (a refresh, another drive).
    void Cancel();
    // The window no longer waits for a look-up (Stop): only an earlier one still under way keeps
    // a new one from starting.
    void StopWaiting() { run_.lookupRunning = 0; }

    // A look-up runs, or the window still waits for one.
    bool Running() const { return run_.lookupRunning != 0 || !lookup_.CanStart(); }
    // The window waits for a look-up it started.
    bool Waiting() const { return run_.lookupRunning != 0; }

  signals:
    // A look-up ended. `taken`: it was the latest, for the disc in the list, and its results
    // (cddbReply, releaseCandidates, lookupAnswer, lookupUnanswered) are now in `found`;
    // otherwise it was cancelled or made for another disc, and nothing changed.
    void ended(bool taken);
    // Posted by the look-up's thread.
    void posted();

  private:
    void TrackProgress(int32_t, int32_t) override {}
    void WorkFinished() override {}
    // The look-up has ended: the window waits for it no longer (told on the look-up's thread,
    // before the queued notification).
    void LookupDone() override {
        run_.lookupRunning = 0;
        emit posted();
    }
    void OnPosted();

    const Options& options_;
    const DiscState& disc_;
    const LookupSource& source_;
    LookupResult& found_;
    RunState& run_;
    DiscLookup lookup_;
};

}  // namespace disctrove::ui
