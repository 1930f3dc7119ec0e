#include "disc/accuraterip_lookup.h"

#include <algorithm>
#include <string>

#include "disc/accuraterip_id.h"
#include "disc/disc.h"
#include "disc/lookup_client.h"

namespace disctrove {

size_t AccurateRipEntryOf(const platform::Toc& toc, const Track& track) {
    const bool dataFirst = !toc.tracks.empty() && toc.tracks.front().isData;
    return static_cast<size_t>(track.Number() - 1) + (dataFirst ? 1 : 0);
}

net::WebRequest AccurateRipRequest(const Options& options, const DiscState& disc) {
    net::WebRequest request{{}, LookupClient(options)};
    const Drive* drive = DriveAt(disc, options.Cdrom);
    if (drive == nullptr) {
        return request;  // no host: nothing is asked
    }
    request.host = options.ArServer;
    request.port = options.ArPort;
    request.path = "/" + AccurateRipPath(ComputeAccurateRipDiscId(drive->toc, drive->discId));
    return request;
}

std::vector<AccurateRipPressing> FetchAccurateRip(const net::WebRequest& request,
                                                  const AccurateRipDiscId& disc,
                                                  std::stop_token stop) {
    const net::WebAnswer answer = request.Send(std::move(stop));
    if (!answer.ok() || answer.status != 200) {
        return {};
    }
    auto pressings =
        ParseAccurateRipAnswer(answer.body).value_or(std::vector<AccurateRipPressing>{});
    std::erase_if(pressings, [&disc](const AccurateRipPressing& pressing) {
        return pressing.tracks.size() != disc.audioTracks || pressing.id1 != disc.id1 ||
               pressing.id2 != disc.id2 || pressing.cddb != disc.cddb;
    });
    return pressings;
}

AccurateRipLookup::AccurateRipLookup(const Options& options, const DiscState& disc,
                                     std::stop_token stop)
    : onStop_(std::move(stop), [this] { stop_.request_stop(); }) {
    const bool marked = std::any_of(disc.tracks.begin(), disc.tracks.end(),
                                    [](const Track& track) { return track.marked != 0; });
    const Drive* drive = DriveAt(disc, options.Cdrom);
    if (!options.AccurateRip || !marked || drive == nullptr) {
        return;
    }
    // The request is made here, on the rip's thread, so the look-up never reads the records.
    net::WebRequest request = AccurateRipRequest(options, disc);
    toc_ = drive->toc;
    const AccurateRipDiscId id = ComputeAccurateRipDiscId(drive->toc, drive->discId);
    thread_ = std::thread([this, request = std::move(request), id, stop = stop_.get_token()] {
        auto pressings = FetchAccurateRip(request, id, stop);
        const std::lock_guard lock(mutex_);
        pressings_ = std::move(pressings);
        finished_ = true;
        ended_.notify_all();
    });
}

AccurateRipLookup::~AccurateRipLookup() {
    if (thread_.joinable()) {
        stop_.request_stop();  // a stopped GET ends at once
        thread_.join();
    }
}

const std::vector<AccurateRipPressing>& AccurateRipLookup::Wait() {
    if (thread_.joinable()) {
        {
            // A Stop cancels the look-up, which then ends at once.
            std::unique_lock lock(mutex_);
            ended_.wait(lock, [this] { return finished_; });
        }
        thread_.join();
        done_ = true;
    }
    return pressings_;
}

void JudgeRip(const DiscState& disc, std::vector<TrackResult>& results, AccurateRipLookup& lookup,
              const std::map<int32_t, SlidingTrack>& read) {
    const auto kept = [&read](int32_t index) {
        const auto it = read.find(index);
        return it != read.end() ? &it->second : nullptr;
    };
    const bool started = lookup.started();
    const auto& pressings = lookup.Wait();
    for (TrackResult& result : results) {
        result.verdict.reset();
        if (!started || !result.accurateRip || result.status != kStatusCompleted ||
            result.index < 0 || static_cast<size_t>(result.index) >= disc.tracks.size() ||
            disc.tracks[static_cast<size_t>(result.index)].Hidden()) {
            continue;
        }
        const Track& track = disc.tracks[static_cast<size_t>(result.index)];
        const size_t entry = AccurateRipEntryOf(lookup.toc(), track);
        result.verdict = JudgeTrack(pressings, entry, *result.accurateRip);
        const SlidingTrack* own = kept(result.index);
        if (result.verdict->verdict == AccurateRipVerdict::inaccurate && own != nullptr) {
            if (const auto match = FindPressingOffset(
                    pressings, entry, *own, kept(result.index - 1), kept(result.index + 1))) {
                result.verdict = {AccurateRipVerdict::accurate, match->confidence, match->offset};
            }
        }
    }
}

}  // namespace disctrove
