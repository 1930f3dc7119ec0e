// The look-up of the disc in the chosen drive: MusicBrainz and the CDDB server, as the options
// say, on a worker thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>

#include "app/options.h"
#include "disc/disc_state.h"
#include "disc/lookup_result.h"
#include "work/worker_interfaces.h"

namespace disctrove {

inline constexpr const char* kContactingCddbText = "Contacting CDDB server...";

// What one look-up reads, copied when it starts, so that the options and the drive list may
// change while it runs.
struct LookupJob {
    Options options;             // the servers, the proxy and the e-mail address
    std::optional<Drive> drive;  // the chosen drive; none when Cdrom names no drive
    LookupSource source = LookupSource::automatic;
};

// The job for the disc of drive Cdrom, asked where `source` says.
LookupJob LookupJobFor(const Options& options, const DiscState& disc, LookupSource source);

// One look-up, on the caller's thread. Automatic: MusicBrainz first when musicBrainz.Use is on,
// and the CDDB server when MusicBrainz found nothing or did not answer; musicBrainz or cddb: that
// source alone. The releases MusicBrainz found go into releaseCandidates, the entry of the CDDB
// server's first match into cddbReply; lookupAnswer names the source that answered,
// lookupUnanswered those that gave no whole answer. Gives up at once when `stop` is asked to
// stop.
LookupResult LookUpDisc(const LookupJob& job, std::stop_token stop = {});

// Runs look-ups on a thread of their own, one at a time, and posts LookupDone when each ends.
// Each look-up is made for the drive Cdrom and the disc ID that drive had at its last refresh;
// its reply is taken only for that disc, so a reply that arrives after a refresh or a change of
// drive never names another disc. Call Start, Cancel, WaitForCancelled and TakeReply from one
// thread.
class DiscLookup {
  public:
    explicit DiscLookup(WorkerNotifications& notifications);
    // Cancels a running look-up and waits for its thread: no look-up outlives its owner.
    ~DiscLookup();
    DiscLookup(const DiscLookup&) = delete;
    DiscLookup& operator=(const DiscLookup&) = delete;

    // Starts a look-up of the disc of drive Cdrom, as `source` says, on a copy of the options
    // and of that drive, so that both may change while it runs. A cancelled look-up that has not
    // ended yet is waited for first (cancelling makes it end at once). Refused (false) while a
    // look-up that was not cancelled still runs.
    bool Start(const Options& options, const DiscState& disc, LookupSource source);

    // True while a look-up runs: false from the moment its done notification is posted.
    bool Busy() const { return !done_; }

    // False while a look-up that was not cancelled runs (Start would refuse).
    bool CanStart() const { return done_ || stop_.stop_requested(); }

    // Waits for a cancelled look-up that has not ended yet, so that its done notification is
    // posted before whatever the caller does next (Start does it too).
    void WaitForCancelled();

    // Makes a running look-up give up soon, as a failed one (an empty reply), and its reply is
    // never taken. A refresh and a change of drive call it.
    void Cancel();

    // On the look-up-done notification: the results of the latest look-up when it has ended,
    // was not cancelled and was made for the disc the drive list holds now (drive Cdrom of
    // `options`, its discId in `disc`); nothing otherwise. Each look-up is taken at most once,
    // so a notification of an earlier, cancelled look-up is told apart from the latest one.
    std::optional<LookupResult> TakeReply(const Options& options, const DiscState& disc);

  private:
    // On the look-up's thread, when look-up number `lookup` has its results: notes that it has
    // ended and posts LookupDone.
    void Ended(uint64_t lookup);

    WorkerNotifications& notifications_;
    std::thread thread_;
    // The running look-up's; a new one for each look-up, made while no thread runs.
    std::stop_source stop_;
    std::atomic<bool> done_{true};

    // What the running look-up found; only its thread touches it until the thread is joined.
    LookupResult result_;

    std::mutex mutex_;        // guards what follows
    uint64_t started_ = 0;    // the number of the latest look-up
    uint64_t ended_ = 0;      // the number of the latest look-up that has ended
    uint64_t taken_ = 0;      // the number of the latest look-up whose reply was taken
    uint64_t cancelled_ = 0;  // the number of the latest look-up that was cancelled
    int32_t drive_ = -1;      // what the latest look-up was made for
    uint32_t discId_ = 0;
};

}  // namespace disctrove
