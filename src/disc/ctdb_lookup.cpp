#include "disc/ctdb_lookup.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <utility>

#include "audio/ctdb_stage.h"
#include "disc/disc.h"
#include "disc/lookup_client.h"

namespace disctrove {

namespace {

// "host:port" splits at its last colon when a port follows it; anything else is all host, on
// port 80.
void SetServer(net::WebTarget& target, const std::string& server) {
    target.host = server;
    target.port = 80;
    const size_t colon = server.rfind(':');
    if (colon == std::string::npos || colon == 0) {
        return;
    }
    int32_t port = 0;
    const char* end = server.data() + server.size();
    const auto [stop, error] = std::from_chars(server.data() + colon + 1, end, port);
    if (error == std::errc() && stop == end && colon + 1 < server.size() && port >= 1 &&
        port <= 65535) {
        target.host = server.substr(0, colon);
        target.port = port;
    }
}

}  // namespace

net::WebRequest CtdbRequest(const Options& options, const DiscState& disc) {
    net::WebRequest request{{}, LookupClient(options)};
    const Drive* drive = DriveAt(disc, options.Cdrom);
    if (drive == nullptr) {
        return request;  // no host: nothing is asked
    }
    SetServer(request, options.CtdbServer);
    request.path = "/lookup2.php?version=3&ctdb=1&fuzzy=1&metadata=none&toc=" + CtdbToc(drive->toc);
    return request;
}

CtdbAnswer FetchCtdb(const net::WebRequest& request, std::stop_token stop) {
    const net::WebAnswer answer = request.Send(std::move(stop));
    if (answer.error == net::WebError::cancelled) {
        return {CtdbAnswer::Kind::stopped, {}};
    }
    if (!answer.ok() || answer.cut) {
        return {};
    }
    if (answer.status == 404) {
        return {CtdbAnswer::Kind::notPresent, {}};
    }
    if (answer.status != 200) {
        return {};
    }
    auto entries = ParseCtdbAnswer(answer.text());
    if (!entries) {
        return {};
    }
    // The database answers a disc it has no rip of with an empty list.
    if (entries->empty()) {
        return {CtdbAnswer::Kind::notPresent, {}};
    }
    return {CtdbAnswer::Kind::found, std::move(*entries)};
}

CtdbLookup::CtdbLookup(const Options& options, const DiscState& disc, std::stop_token stop)
    : onStop_(std::move(stop), [this] { stop_.request_stop(); }) {
    const bool marked = std::any_of(disc.tracks.begin(), disc.tracks.end(),
                                    [](const Track& track) { return track.marked != 0; });
    if (!options.Ctdb || !marked || DriveAt(disc, options.Cdrom) == nullptr) {
        return;
    }
    // The request is made here, on the rip's thread, so the look-up never reads the records.
    net::WebRequest request = CtdbRequest(options, disc);
    thread_ = std::thread([this, request = std::move(request), stop = stop_.get_token()] {
        CtdbAnswer answer = FetchCtdb(request, stop);
        const std::lock_guard lock(mutex_);
        answer_ = std::move(answer);
        finished_ = true;
        ended_.notify_all();
    });
}

std::optional<CtdbVerdict> JudgeCtdbRip(const DiscState& disc, std::vector<TrackResult>& results,
                                        CtdbLookup& lookup) {
    if (!lookup.started()) {
        return std::nullopt;
    }
    const CtdbAnswer& answer = lookup.Wait();
    const size_t discTracks = DiscTrackCount(disc.tracks);
    std::vector<CtdbPiece> pieces(discTracks);
    size_t whole = 0;
    for (TrackResult& result : results) {
        result.ctdbVerdict.reset();
        if (!result.ctdb || result.status != kStatusCompleted || result.index < 0 ||
            static_cast<size_t>(result.index) >= disc.tracks.size() ||
            disc.tracks[static_cast<size_t>(result.index)].Hidden()) {
            continue;
        }
        const auto position =
            static_cast<size_t>(disc.tracks[static_cast<size_t>(result.index)].Number() - 1);
        result.ctdbVerdict = JudgeCtdbTrack(answer, position, result.ctdb->crc);
        pieces[position] = *result.ctdb;
        ++whole;
    }
    if (whole != discTracks || whole == 0) {
        return std::nullopt;
    }
    return JudgeCtdbDisc(answer, CtdbDiscCrc(pieces));
}

CtdbLookup::~CtdbLookup() {
    if (thread_.joinable()) {
        stop_.request_stop();  // a stopped GET ends at once
        thread_.join();
    }
}

const CtdbAnswer& CtdbLookup::Wait() {
    if (thread_.joinable()) {
        {
            // A Stop cancels the look-up, which then ends at once.
            std::unique_lock lock(mutex_);
            ended_.wait(lock, [this] { return finished_; });
        }
        thread_.join();
        done_ = true;
    }
    return answer_;
}

}  // namespace disctrove
