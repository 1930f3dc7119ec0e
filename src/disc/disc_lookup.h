// The look-up of the disc in the chosen drive: MusicBrainz and the CDDB server, as the settings
// say, on a worker thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>

#include "front/settings.h"
#include "work/worker_context.h"

namespace disctrove {

inline constexpr const char* kContactingCddbText = "Contacting CDDB server...";

// The body of the look-up thread: empties cddbReply and releaseCandidates, then asks for the
// disc of drive Cdrom as lookupSource says. Automatic: MusicBrainz first when
// musicBrainz.Use is on, and the CDDB server when MusicBrainz found nothing or did not answer;
// musicBrainz or cddb: that source alone. The releases MusicBrainz found go into
// releaseCandidates, the entry of the CDDB server's first match into cddbReply; lookupAnswer
// names the source that answered, lookupUnanswered those that gave no whole answer. Gives up at
// once when `stop` is asked to stop. Always ends by clearing cddbRunning and posting
// LookupDone; none of these fields is written after that.
void DiscLookupThread(Settings& settings, WorkerNotifications& notifications,
                      std::stop_token stop = {});

// Runs look-ups on a thread of their own, one at a time. Each look-up is made for the drive
// Cdrom and the disc ID that drive had at its last refresh; its reply is taken only for that
// disc, so a reply that arrives after a refresh or a change of drive never names another disc.
class DiscLookup {
  public:
    DiscLookup(Settings& settings, WorkerNotifications& notifications);
    // Cancels a running look-up and waits for its thread: no look-up outlives its owner.
    ~DiscLookup();
    DiscLookup(const DiscLookup&) = delete;
    DiscLookup& operator=(const DiscLookup&) = delete;

    // Sets cddbRunning, empties the results of the last look-up (cddbReply, releaseCandidates,
    // lookupUnanswered, lookupAnswer) and starts a look-up on a copy of the settings and drives,
    // so that the record may change while it runs. A cancelled look-up that has not ended yet is
    // waited for first (cancelling makes it end at once). Refused (false) while a look-up that
    // was not cancelled still runs, even when cddbRunning was cleared since. Call it, Cancel and
    // TakeReply from one thread.
    bool Start();

    // True while a look-up runs: false from the moment its done notification is posted.
    bool Busy() const { return !done_; }

    // False while a look-up that was not cancelled runs (Start would refuse).
    bool CanStart() const { return done_ || stop_.stop_requested(); }

    // Makes a running look-up give up soon, as a failed one (an empty reply), and its reply is
    // never taken. A refresh and a change of drive call it.
    void Cancel();

    // On the look-up-done notification: true when it ends the latest look-up, which was not
    // cancelled and was made for the disc the drive list holds now (drive Cdrom, its discId);
    // that look-up's results are then moved into the settings (cddbReply, releaseCandidates,
    // lookupUnanswered, lookupAnswer). Each look-up is taken at most once, so a notification of
    // an earlier, cancelled look-up is told apart from the latest one.
    bool TakeReply();

  private:
    // Passes the thread's notifications on, noting first which look-up has ended.
    class Relay final : public WorkerNotifications {
      public:
        Relay(DiscLookup& owner, uint64_t lookup) : owner_(owner), lookup_(lookup) {}
        void TrackProgress(int32_t position, int32_t status) override {
            owner_.notifications_.TrackProgress(position, status);
        }
        void WorkFinished() override { owner_.notifications_.WorkFinished(); }
        void LookupDone() override;

      private:
        DiscLookup& owner_;
        uint64_t lookup_;
    };

    Settings& settings_;
    WorkerNotifications& notifications_;
    std::thread thread_;
    // The running look-up's; a new one for each look-up, made while no thread runs.
    std::stop_source stop_;
    std::atomic<bool> done_{true};

    // The record the running look-up reads its inputs from and writes its results into; only
    // its thread touches it until the thread is joined.
    std::unique_ptr<Settings> job_;

    std::mutex mutex_;        // guards what follows
    uint64_t started_ = 0;    // the number of the latest look-up
    uint64_t ended_ = 0;      // the number of the latest look-up that has ended
    uint64_t taken_ = 0;      // the number of the latest look-up whose reply was taken
    uint64_t cancelled_ = 0;  // the number of the latest look-up that was cancelled
    int32_t drive_ = -1;      // what the latest look-up was made for
    uint32_t discId_ = 0;
};

}  // namespace disctrove
