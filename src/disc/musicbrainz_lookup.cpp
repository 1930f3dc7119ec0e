#include "disc/musicbrainz_lookup.h"

#include <algorithm>
#include <mutex>
#include <optional>
#include <thread>

#include "app/version.h"
#include "disc/cddb_lookup.h"
#include "disc/musicbrainz_id.h"
#include "disc/musicbrainz_reply.h"
#include "disc/web_request.h"
#include "platform/cdrom/cddb.h"

namespace disctrove {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds kCancelPoll{20};

std::mutex turnMutex;  // held while a request waits for its turn
std::optional<Clock::time_point> lastRequest;
std::atomic<std::chrono::milliseconds::rep> intervalMs{1000};

bool Cancelled(const std::atomic<bool>* cancel) {
    return cancel != nullptr && cancel->load();
}

// One request: the releases of a 200 answer, nothingFound for a 404 or an answer without a
// release, noAnswer for anything else.
MusicBrainzAnswer Ask(const Settings& settings, const std::string& path,
                      const std::atomic<bool>* cancel, const std::string& discId,
                      size_t audioTracks) {
    MusicBrainzAnswer result;
    platform::HttpGetRequest request = MusicBrainzRequest(settings, path);
    request.cancel = cancel;
    if (!WaitForMusicBrainzTurn(cancel)) {
        return result;
    }
    const auto answer = platform::HttpGet(request);
    EndMusicBrainzTurn();
    if (!answer || (answer->status != 200 && answer->status != 404)) {
        return result;  // 503 is the service's "slow down"
    }
    if (answer->status == 200) {
        const std::string_view body(reinterpret_cast<const char*>(answer->body.data()),
                                    answer->body.size());
        result.releases = ParseMusicBrainzReply(body, discId, audioTracks);
    }
    result.outcome =
        result.releases.empty() ? MusicBrainzOutcome::nothingFound : MusicBrainzOutcome::found;
    return result;
}

}  // namespace

void SetMusicBrainzInterval(std::chrono::milliseconds interval) {
    intervalMs = interval.count();
}

bool WaitForMusicBrainzTurn(const std::atomic<bool>* cancel) {
    const std::lock_guard lock(turnMutex);
    if (lastRequest) {
        const Clock::time_point due = *lastRequest + std::chrono::milliseconds(intervalMs.load());
        for (auto now = Clock::now(); now < due; now = Clock::now()) {
            if (Cancelled(cancel)) {
                return false;
            }
            std::this_thread::sleep_for(
                std::min<Clock::duration>(due - now, Clock::duration(kCancelPoll)));
        }
    }
    if (Cancelled(cancel)) {
        return false;
    }
    lastRequest = Clock::now();
    return true;
}

void EndMusicBrainzTurn() {
    const std::lock_guard lock(turnMutex);
    lastRequest = Clock::now();
}

platform::HttpGetRequest MusicBrainzRequest(const Settings& settings, const std::string& path) {
    platform::HttpGetRequest request = WebRequest(settings);
    const MusicBrainzSettings& mb = settings.musicBrainz;
    request.host = mb.Server;
    request.port = mb.Port;
    request.https = mb.Https != 0;
    request.path = path;
    request.userAgent = std::string(kProgramName) + "/" + kProgramVersion + " ( " +
                        (settings.Email.empty() ? kDefaultCddbEmail : settings.Email) + " )";
    request.maxBytes = kMusicBrainzReplyBytes;
    return request;
}

MusicBrainzAnswer LookUpMusicBrainz(const Settings& settings, const std::atomic<bool>* cancel) {
    const auto drive = static_cast<size_t>(settings.Cdrom);
    if (settings.Cdrom < 0 || drive >= settings.drives.size()) {
        return {MusicBrainzOutcome::nothingFound, {}};
    }
    const platform::Toc& toc = settings.drives[drive].toc;
    const std::string discId = ComputeMusicBrainzDiscId(toc);
    if (discId.empty()) {
        return {MusicBrainzOutcome::nothingFound, {}};
    }
    const size_t audioTracks = toc.AudioTrackCount();
    const std::string path = "/ws/2/discid/" + discId + "?" + kMusicBrainzIncludes;
    MusicBrainzAnswer answer = Ask(settings, path, cancel, discId, audioTracks);
    if (answer.outcome != MusicBrainzOutcome::nothingFound) {
        return answer;
    }
    // An unknown disc ID: releases with a table of contents close to this one.
    return Ask(settings, path + "&toc=" + MusicBrainzTocText(toc), cancel, discId, audioTracks);
}

}  // namespace disctrove
