// The MusicBrainz look-up: the releases that hold the disc in the chosen drive, asked of the
// MusicBrainz web service by disc ID and, when that is unknown, by table of contents.
#pragma once

#include <chrono>
#include <stop_token>
#include <string>
#include <vector>

#include "disc/release.h"
#include "front/settings.h"
#include "net/web_client.h"

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

// A GET of `path` on the settings' MusicBrainz server, through the look-up client (see
// LookupClient) with a User-Agent naming Disctrove, its version and the CDDB e-mail address.
net::WebRequest MusicBrainzRequest(const Settings& settings, const std::string& path);

// Asks for the disc of drive Cdrom, by disc ID and then by TOC. Gives up at once when `stop` is
// asked to stop, as noAnswer.
MusicBrainzAnswer LookUpMusicBrainz(const Settings& settings, std::stop_token stop);

// The service allows one request a second from a program: every request of the process waits
// its turn here. False when `stop` was asked to stop before the turn came.
bool WaitForMusicBrainzTurn(const std::stop_token& stop);
// Counts the next turn from the end of the answer too, so the server sees the requests a second
// apart however long the connection took.
void EndMusicBrainzTurn();

// The least time between two requests (one second unless a test makes it shorter).
void SetMusicBrainzInterval(std::chrono::milliseconds interval);

}  // namespace disctrove
