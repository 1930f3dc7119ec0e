#include "disc/musicbrainz_lookup.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <optional>
#include <thread>

#include "app/version.h"
#include "disc/cddb_lookup.h"
#include "disc/lookup_client.h"
#include "disc/musicbrainz_id.h"
#include "disc/musicbrainz_reply.h"

namespace disctrove {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds kCancelPoll{20};

std::mutex turnMutex;  // held while a request waits for its turn
std::optional<Clock::time_point> lastRequest;
std::atomic<std::chrono::milliseconds::rep> intervalMs{1000};

// One request: the releases of a 200 answer, nothingFound for a 404 or an answer without a
// release, noAnswer for anything else.
MusicBrainzAnswer Ask(const Options& options, const std::string& path, const std::stop_token& stop,
                      const std::string& discId, size_t audioTracks) {
    MusicBrainzAnswer result;
    const net::WebRequest request = MusicBrainzRequest(options, path);
    if (!WaitForMusicBrainzTurn(stop)) {
        return result;
    }
    const net::WebAnswer answer = request.Send(stop);
    EndMusicBrainzTurn();
    if (!answer.ok() || (answer.status != 200 && answer.status != 404)) {
        return result;  // 503 is the service's "slow down"
    }
    if (answer.status == 200) {
        result.releases = ParseMusicBrainzReply(answer.text(), discId, audioTracks);
    }
    result.outcome =
        result.releases.empty() ? MusicBrainzOutcome::nothingFound : MusicBrainzOutcome::found;
    return result;
}

}  // namespace

void SetMusicBrainzInterval(std::chrono::milliseconds interval) {
    intervalMs = interval.count();
}

bool WaitForMusicBrainzTurn(const std::stop_token& stop) {
    const std::lock_guard lock(turnMutex);
    if (lastRequest) {
        const Clock::time_point due = *lastRequest + std::chrono::milliseconds(intervalMs.load());
        for (auto now = Clock::now(); now < due; now = Clock::now()) {
            if (stop.stop_requested()) {
                return false;
            }
            std::this_thread::sleep_for(
                std::min<Clock::duration>(due - now, Clock::duration(kCancelPoll)));
        }
    }
    if (stop.stop_requested()) {
        return false;
    }
    lastRequest = Clock::now();
    return true;
}

void EndMusicBrainzTurn() {
    const std::lock_guard lock(turnMutex);
    lastRequest = Clock::now();
}

net::WebRequest MusicBrainzRequest(const Options& options, const std::string& path) {
    const MusicBrainzSettings& mb = options.musicBrainz;
    net::WebRequest request{{mb.Server, mb.Port, mb.Https != 0, path}, LookupClient(options)};
    request.client.userAgent = std::string(kProgramName) + "/" + kProgramVersion + " ( " +
                               (options.Email.empty() ? kDefaultCddbEmail : options.Email) + " )";
    request.client.maxBytes = kMusicBrainzReplyBytes;
    return request;
}

MusicBrainzAnswer LookUpMusicBrainz(const Options& options, const Drive* drive,
                                    std::stop_token stop) {
    if (drive == nullptr) {
        return {MusicBrainzOutcome::nothingFound, {}};
    }
    const platform::Toc& toc = drive->toc;
    const std::string discId = ComputeMusicBrainzDiscId(toc);
    if (discId.empty()) {
        return {MusicBrainzOutcome::nothingFound, {}};
    }
    const size_t audioTracks = toc.AudioTrackCount();
    const std::string path = "/ws/2/discid/" + discId + "?" + kMusicBrainzIncludes;
    MusicBrainzAnswer answer = Ask(options, path, stop, discId, audioTracks);
    if (answer.outcome != MusicBrainzOutcome::nothingFound) {
        return answer;
    }
    // An unknown disc ID: releases with a table of contents close to this one.
    return Ask(options, path + "&toc=" + MusicBrainzTocText(toc), stop, discId, audioTracks);
}

}  // namespace disctrove
