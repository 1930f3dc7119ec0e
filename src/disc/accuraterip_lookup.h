// The AccurateRip look-up of a rip: fetched while the tracks are read, and the verdicts set
// once the last track is written.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <stop_token>
#include <thread>
#include <vector>

#include "app/options.h"
#include "disc/accuraterip_database.h"
#include "disc/disc_state.h"
#include "disc/pressing_offset.h"
#include "disc/track_result.h"
#include "net/web_client.h"

namespace disctrove {

// The place of `track`'s entry in each pressing of the disc whose table of contents is `toc`:
// its place among the audio tracks, one further on when the disc starts with a data track (the
// database gives that track the first entry).
size_t AccurateRipEntryOf(const platform::Toc& toc, const Track& track);

// The request for the answer on the disc in drive Cdrom: ArServer and ArPort, through the
// look-up client (see LookupClient); no host when no drive is chosen.
net::WebRequest AccurateRipRequest(const Options& options, const DiscState& disc);

// The pressings of the disc `disc` that the server's answer holds: those whose header names this
// disc (its audio track count and its three IDs), as an answer for another disc can share our
// checksums; none when the server does not know the disc (404), did not answer whole, or
// answered something that is no AccurateRip answer, or `stop` was asked to stop first.
std::vector<AccurateRipPressing> FetchAccurateRip(const net::WebRequest& request,
                                                  const AccurateRipDiscId& disc,
                                                  std::stop_token stop = {});

// A look-up on a thread of its own, started when AccurateRip is on and a track is marked; the
// thread is cancelled as soon as `stop` (the rip's Stop) is asked to stop, and cancelled and
// waited for when the object ends, so no look-up outlives its rip.
class AccurateRipLookup {
  public:
    AccurateRipLookup(const Options& options, const DiscState& disc, std::stop_token stop);
    ~AccurateRipLookup();
    AccurateRipLookup(const AccurateRipLookup&) = delete;
    AccurateRipLookup& operator=(const AccurateRipLookup&) = delete;

    bool started() const { return thread_.joinable() || done_; }

    // The table of contents of the disc asked about (empty when the look-up was not started).
    const platform::Toc& toc() const { return toc_; }

    // Waits for the answer; a look-up cancelled before its answer came has none. The pressings,
    // empty when there are none.
    const std::vector<AccurateRipPressing>& Wait();

  private:
    std::stop_source stop_;
    std::stop_callback<std::function<void()>> onStop_;  // the rip's Stop cancels the look-up
    platform::Toc toc_;
    std::mutex mutex_;
    std::condition_variable ended_;
    bool finished_ = false;  // the thread has its answer (guarded by mutex_)
    bool done_ = false;      // the thread has been joined
    std::vector<AccurateRipPressing> pressings_;
    std::thread thread_;
};

// Sets the verdict of every track a rip of `disc` read (`results`): judged against the
// look-up's pressings when the look-up ran and the track was read whole and completed, none
// otherwise. A track that matches no pressing at the drive's alignment is searched for at other
// pressing offsets, with what `read` kept of it and of its neighbours (by track index). Stop
// (before or during the wait) ends a look-up still under way, and its tracks are then unknown.
void JudgeRip(const DiscState& disc, std::vector<TrackResult>& results, AccurateRipLookup& lookup,
              const std::map<int32_t, SlidingTrack>& read = {});

}  // namespace disctrove
