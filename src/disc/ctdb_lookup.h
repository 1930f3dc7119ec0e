// The CTDB look-up of a rip: fetched while the tracks are read, and waited for once the last
// track is written.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>

#include "app/options.h"
#include "disc/ctdb_database.h"
#include "disc/disc_state.h"
#include "disc/track_result.h"
#include "net/web_client.h"

namespace disctrove {

// The request for the entries of the disc in drive Cdrom: CtdbServer ("host" or "host:port"),
// through the look-up client (see LookupClient); no host when no drive is chosen.
net::WebRequest CtdbRequest(const Options& options, const DiscState& disc);

// Sends `request`: found with the answer's entries, notPresent when the server does not know the
// disc (404, or an answer that lists no entry), failed when no whole and well-formed answer came,
// stopped when `stop` asked to stop first.
CtdbAnswer FetchCtdb(const net::WebRequest& request, std::stop_token stop = {});

// A look-up on a thread of its own, started when Ctdb is on and a track is marked; the thread is
// cancelled as soon as `stop` (the rip's Stop) is asked to stop, and cancelled and waited for
// when the object ends, so no look-up outlives its rip.
class CtdbLookup {
  public:
    CtdbLookup(const Options& options, const DiscState& disc, std::stop_token stop);
    ~CtdbLookup();
    CtdbLookup(const CtdbLookup&) = delete;
    CtdbLookup& operator=(const CtdbLookup&) = delete;

    bool started() const { return thread_.joinable() || done_; }

    // Waits for the answer: failed when the look-up was not started, stopped when it was
    // cancelled before its answer came.
    const CtdbAnswer& Wait();

  private:
    std::stop_source stop_;
    std::stop_callback<std::function<void()>> onStop_;  // the rip's Stop cancels the look-up
    std::mutex mutex_;
    std::condition_variable ended_;
    bool finished_ = false;  // the thread has its answer (guarded by mutex_)
    bool done_ = false;      // the thread has been joined
    CtdbAnswer answer_;
    std::thread thread_;
};

// Sets the CTDB verdict of every track a rip of `disc` read whole and completed (`results`), and
// returns the whole disc's when every audio track of it is among them; nothing when the look-up
// was not started (CTDB off). Waits for the look-up's answer.
std::optional<CtdbVerdict> JudgeCtdbRip(const DiscState& disc, std::vector<TrackResult>& results,
                                        CtdbLookup& lookup);

}  // namespace disctrove
