// The MusicBrainz look-up: the releases that hold the disc in the chosen drive, asked of the
// MusicBrainz web service by disc ID and, when that is unknown, by table of contents.
#pragma once

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

#include "app/settings.h"
#include "disc/release.h"
#include "platform/system/http_get.h"

namespace disctrove {

enum class MusicBrainzOutcome {
    found,         // releases holds at least one release
    nothingFound,  // the service knows no release of the disc (404, or nothing usable)
    noAnswer,      // no connection, a timeout, a refusal (503), or cancelled
};

struct MusicBrainzAnswer {
    MusicBrainzOutcome outcome = MusicBrainzOutcome::noAnswer;
    std::vector<MusicBrainzRelease> releases;
};

// What every disc look-up asks for besides the releases themselves.
inline constexpr const char* kMusicBrainzIncludes =
    "inc=artist-credits+recordings+labels+release-groups+genres+tags&fmt=json";

// A GET of `path` on the settings' MusicBrainz server, with the CDDB timeouts, the CDDB proxy
// when one is set and a User-Agent naming Disctrove, its version and the CDDB e-mail address.
platform::HttpGetRequest MusicBrainzRequest(const Settings& settings, const std::string& path);

// Asks for the disc of drive Cdrom, by disc ID and then by TOC. Gives up at once when *cancel
// becomes true (null: never), as noAnswer.
MusicBrainzAnswer LookUpMusicBrainz(const Settings& settings, const std::atomic<bool>* cancel);

// The service allows one request a second from a program: every request of the process waits
// its turn here. False when *cancel became true while waiting.
bool WaitForMusicBrainzTurn(const std::atomic<bool>* cancel);
// Counts the next turn from the end of the answer too, so the server sees the requests a second
// apart however long the connection took.
void EndMusicBrainzTurn();

// The least time between two requests (one second unless a test makes it shorter).
void SetMusicBrainzInterval(std::chrono::milliseconds interval);

}  // namespace disctrove
