#include "disc/accuraterip_lookup.h"

#include <algorithm>
#include <chrono>
#include <string>

#include "app/version.h"
#include "disc/accuraterip_id.h"
#include "disc/web_request.h"
#include "platform/cdrom/cddb.h"

namespace disctrove {

namespace {

constexpr std::chrono::milliseconds kStopPollInterval{20};

const Drive* ChosenDrive(const Settings& settings) {
    const auto index = static_cast<size_t>(settings.Cdrom);
    return settings.Cdrom >= 0 && index < settings.drives.size() ? &settings.drives[index]
                                                                 : nullptr;
}

}  // namespace

size_t AccurateRipEntryOf(const platform::Toc& toc, const Track& track) {
    const bool dataFirst = !toc.tracks.empty() && toc.tracks.front().isData;
    return static_cast<size_t>(track.index) + (dataFirst ? 1 : 0);
}

platform::HttpGetRequest AccurateRipRequest(const Settings& settings) {
    platform::HttpGetRequest request = WebRequest(settings);
    const Drive* drive = ChosenDrive(settings);
    if (drive == nullptr) {
        return request;  // no host: nothing is asked
    }
    request.host = settings.ArServer;
    request.port = settings.ArPort;
    request.path = "/" + AccurateRipPath(ComputeAccurateRipDiscId(drive->toc, drive->discId));
    return request;
}

std::vector<AccurateRipPressing> FetchAccurateRip(const platform::HttpGetRequest& request,
                                                  const AccurateRipDiscId& disc) {
    const auto answer = platform::HttpGet(request);
    if (!answer || answer->status != 200) {
        return {};
    }
    auto pressings =
        ParseAccurateRipAnswer(answer->body).value_or(std::vector<AccurateRipPressing>{});
    std::erase_if(pressings, [&disc](const AccurateRipPressing& pressing) {
        return pressing.tracks.size() != disc.audioTracks || pressing.id1 != disc.id1 ||
               pressing.id2 != disc.id2 || pressing.cddb != disc.cddb;
    });
    return pressings;
}

AccurateRipLookup::AccurateRipLookup(const Settings& settings) {
    const bool marked = std::any_of(settings.tracks.begin(), settings.tracks.end(),
                                    [](const Track& track) { return track.marked != 0; });
    if (!settings.AccurateRip || !marked || ChosenDrive(settings) == nullptr) {
        return;
    }
    // The request is made here, on the rip's thread, so the look-up never reads the settings.
    platform::HttpGetRequest request = AccurateRipRequest(settings);
    request.cancel = &cancel_;
    const Drive& drive = *ChosenDrive(settings);
    const AccurateRipDiscId disc = ComputeAccurateRipDiscId(drive.toc, drive.discId);
    thread_ = std::thread([this, request = std::move(request), disc] {
        auto pressings = FetchAccurateRip(request, disc);
        const std::lock_guard lock(mutex_);
        pressings_ = std::move(pressings);
        finished_ = true;
        ended_.notify_all();
    });
}

AccurateRipLookup::~AccurateRipLookup() {
    if (thread_.joinable()) {
        cancel_ = true;  // a cancelled GET ends at once
        thread_.join();
    }
}

const std::vector<AccurateRipPressing>& AccurateRipLookup::Wait(const SharedInt& ripping) {
    if (thread_.joinable()) {
        {
            std::unique_lock lock(mutex_);
            // Stop may come at any moment of the wait, so it is looked at every few
            // milliseconds; the answer ends the wait at once.
            while (!ended_.wait_for(lock, kStopPollInterval, [this] { return finished_; })) {
                if (!ripping) {
                    cancel_ = true;
                }
            }
        }
        thread_.join();
        done_ = true;
    }
    return pressings_;
}

void JudgeRip(Settings& settings, AccurateRipLookup& lookup) {
    const bool started = lookup.started();
    const auto& pressings = lookup.Wait(settings.ripping);
    const Drive* drive = ChosenDrive(settings);
    for (Track& track : settings.tracks) {
        if (!track.marked) {
            continue;
        }
        track.verdict.reset();
        if (started && drive != nullptr && track.accurateRip && track.status == kStatusCompleted) {
            track.verdict =
                JudgeTrack(pressings, AccurateRipEntryOf(drive->toc, track), *track.accurateRip);
        }
    }
}

}  // namespace disctrove
