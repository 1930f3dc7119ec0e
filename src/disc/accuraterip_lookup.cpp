#include "disc/accuraterip_lookup.h"

#include <algorithm>
#include <chrono>
#include <string>

#include "disc/accuraterip_id.h"
#include "disc/lookup_client.h"

namespace disctrove {

namespace {

constexpr std::chrono::milliseconds kStopPollInterval{20};

const Drive* ChosenDrive(const Options& options, const DiscState& disc) {
    const auto index = static_cast<size_t>(options.Cdrom);
    return options.Cdrom >= 0 && index < disc.drives.size() ? &disc.drives[index] : nullptr;
}

}  // namespace

size_t AccurateRipEntryOf(const platform::Toc& toc, const Track& track) {
    const bool dataFirst = !toc.tracks.empty() && toc.tracks.front().isData;
    return static_cast<size_t>(track.index) + (dataFirst ? 1 : 0);
}

net::WebRequest AccurateRipRequest(const Options& settings, const DiscState& disc) {
    net::WebRequest request{{}, LookupClient(settings)};
    const Drive* drive = ChosenDrive(settings, disc);
    if (drive == nullptr) {
        return request;  // no host: nothing is asked
    }
    request.host = settings.ArServer;
    request.port = settings.ArPort;
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
    if (!options.AccurateRip || !marked || ChosenDrive(options, disc) == nullptr) {
        return;
    }
    // The request is made here, on the rip's thread, so the look-up never reads the settings.
    net::WebRequest request = AccurateRipRequest(options, disc);
    const Drive& drive = *ChosenDrive(options, disc);
    toc_ = drive.toc;
    const AccurateRipDiscId id = ComputeAccurateRipDiscId(drive.toc, drive.discId);
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

const std::vector<AccurateRipPressing>& AccurateRipLookup::Wait(const SharedInt& ripping) {
    return WaitUntil([&ripping] { return !ripping; });
}

const std::vector<AccurateRipPressing>& AccurateRipLookup::Wait() {
    return WaitUntil([] { return false; });  // a Stop cancels the look-up, which then ends
}

const std::vector<AccurateRipPressing>& AccurateRipLookup::WaitUntil(
    const std::function<bool()>& stopped) {
    if (thread_.joinable()) {
        {
            std::unique_lock lock(mutex_);
            // Stop may come at any moment of the wait, so it is looked at every few
            // milliseconds; the answer ends the wait at once.
            while (!ended_.wait_for(lock, kStopPollInterval, [this] { return finished_; })) {
                if (stopped()) {
                    stop_.request_stop();
                }
            }
        }
        thread_.join();
        done_ = true;
    }
    return pressings_;
}

void JudgeRip(DiscState& disc, AccurateRipLookup& lookup) {
    const bool started = lookup.started();
    const auto& pressings = lookup.Wait();
    for (Track& track : disc.tracks) {
        if (!track.marked) {
            continue;
        }
        track.verdict.reset();
        if (started && track.accurateRip && track.status == kStatusCompleted) {
            track.verdict =
                JudgeTrack(pressings, AccurateRipEntryOf(lookup.toc(), track), *track.accurateRip);
        }
    }
}

void JudgeRip(Settings& settings, AccurateRipLookup& lookup) {
    lookup.Wait(settings.ripping);  // clearing `ripping` cancels the look-up
    JudgeRip(static_cast<DiscState&>(settings), lookup);
}

}  // namespace disctrove
