// The CDDB look-up: a worker thread that fetches the entry of the disc in the chosen drive from
// the CDDB server into cddbReply.
#pragma once

#include <atomic>
#include <thread>

#include "app/settings.h"
#include "rip/worker_context.h"

namespace disctrove {

// The e-mail address the hello gives when the settings name none.
inline constexpr const char* kDefaultCddbEmail = "cddb@disctrove.invalid";
inline constexpr size_t kCddbReplyBytes = 32000;
inline constexpr const char* kContactingCddbText = "Contacting CDDB server...";

// The body of the look-up thread: empties cddbReply, asks the server for the disc of drive
// Cdrom and, when it knows the disc, puts the entry of its first match into cddbReply. Always
// ends by clearing cddbRunning and posting CddbDone; cddbReply is not written after that.
void CddbLookupThread(Settings& settings, WorkerNotifications& notifications);

// Runs look-ups on a thread of their own, one at a time.
class CddbLookup {
  public:
    CddbLookup(Settings& settings, WorkerNotifications& notifications);
    // Cancels a running look-up and waits for its thread: no look-up outlives its owner.
    ~CddbLookup();
    CddbLookup(const CddbLookup&) = delete;
    CddbLookup& operator=(const CddbLookup&) = delete;

    // Sets cddbRunning and starts a look-up. Refused (false) while the thread of an earlier
    // look-up has not ended, even when cddbRunning was cleared since (a Stop or a refresh).
    bool Start();

    // True while a look-up thread runs.
    bool Busy() const { return !done_; }

    // Makes a running look-up give up soon, as a failed one (an empty reply).
    void Cancel() { cancel_ = true; }

  private:
    Settings& settings_;
    WorkerNotifications& notifications_;
    std::thread thread_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> done_{true};
};

}  // namespace disctrove
