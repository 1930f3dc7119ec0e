#include "disc/accuraterip_lookup.h"

#include <algorithm>
#include <string>

#include "app/version.h"
#include "disc/accuraterip_id.h"
#include "platform/cdrom/cddb.h"

namespace disctrove {

namespace {

const Drive* ChosenDrive(const Settings& settings) {
    const auto index = static_cast<size_t>(settings.Cdrom);
    return settings.Cdrom >= 0 && index < settings.drives.size() ? &settings.drives[index]
                                                                 : nullptr;
}

}  // namespace

size_t AccurateRipEntryOf(const platform::Toc& toc, const Track& track) {
    const bool dataFirst = toc.lastTrack >= toc.firstTrack && platform::TocIsData(toc.tracks[0]);
    return static_cast<size_t>(track.index) + (dataFirst ? 1 : 0);
}

platform::HttpGetRequest AccurateRipRequest(const Settings& settings) {
    platform::HttpGetRequest request;
    const Drive* drive = ChosenDrive(settings);
    if (drive == nullptr) {
        return request;  // no host: nothing is asked
    }
    request.host = settings.ArServer;
    request.port = settings.ArPort;
    request.path = "/" + AccurateRipPath(ComputeAccurateRipDiscId(drive->toc, drive->discId));
    request.userAgent = std::string(kProgramName) + "/" + kProgramVersion;
    if (settings.Useproxy) {
        request.proxyHost = settings.Proxyserver;
        request.proxyPort = settings.Proxyport;
        if (!settings.Username.empty() && !settings.Password.empty()) {
            request.proxyLogin = settings.Username + ":" + settings.Password;
        }
    }
    const platform::CddbTimeouts timeouts = platform::CurrentCddbTimeouts();
    request.connectTimeout = timeouts.connect;
    request.totalTimeout = timeouts.total;
    return request;
}

std::vector<AccurateRipPressing> FetchAccurateRip(const platform::HttpGetRequest& request) {
    const auto answer = platform::HttpGet(request);
    if (!answer || answer->status != 200) {
        return {};
    }
    return ParseAccurateRipAnswer(answer->body).value_or(std::vector<AccurateRipPressing>{});
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
    thread_ = std::thread(
        [this, request = std::move(request)] { pressings_ = FetchAccurateRip(request); });
}

AccurateRipLookup::~AccurateRipLookup() {
    Wait(true);
}

const std::vector<AccurateRipPressing>& AccurateRipLookup::Wait(bool cancel) {
    if (thread_.joinable()) {
        cancel_ = cancel_ || cancel;
        thread_.join();  // a cancelled GET ends at once, with no answer
        done_ = true;
    }
    return pressings_;
}

void JudgeRip(Settings& settings, AccurateRipLookup& lookup) {
    const bool started = lookup.started();
    const auto& pressings = lookup.Wait(!settings.ripping);
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
