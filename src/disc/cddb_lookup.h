// The CDDB look-up: the entry of the disc in the chosen drive, asked of the CDDB server over
// HTTP (cddb.cgi), directly or through the settings' proxy.
#pragma once

#include <cstddef>
#include <stop_token>
#include <string>

#include "front/settings.h"

namespace disctrove {

// The e-mail address the hello gives when the settings name none.
inline constexpr const char* kDefaultCddbEmail = "cddb@disctrove.invalid";
// The room for an entry: a longer one is cut to kCddbReplyBytes - 1 bytes of whole characters.
inline constexpr size_t kCddbReplyBytes = 32000;

enum class CddbOutcome {
    found,         // entry holds the entry of the server's first match
    nothingFound,  // the server knows no match, or none was asked (no disc)
    noAnswer,      // no connection, a timeout, an error answer or one it cannot read, a stop
};

struct CddbAnswer {
    CddbOutcome outcome = CddbOutcome::noAnswer;
    std::string entry;  // UTF-8, line-feed line ends
};

// Asks the server (Server, Port, Query) for the disc of drive Cdrom and reads the entry of its
// first match; no choice is offered. Each command goes at protocol level 6 (UTF-8) and again at
// level 5 when the server does not know 6. Gives up at once when `stop` is asked to stop.
CddbAnswer LookUpCddb(const Settings& settings, std::stop_token stop);

}  // namespace disctrove
