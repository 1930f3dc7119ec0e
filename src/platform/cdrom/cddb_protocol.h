// The CDDB protocol as far as a client needs it: the disc ID, the commands and how they travel
// to cddb.cgi, and the answers to query and read. Pure text work; disc/cddb_lookup.cpp sends the
// commands through the web client.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/cdrom/disc_device.h"

namespace disctrove::platform {

inline constexpr int32_t kLeadInFrames = 150;

// The most matches of a query a client keeps.
inline constexpr size_t kMaxCddbMatches = 32;

// The CDDB disc ID of a disc: the digit sums of the track starts in seconds, the disc's length
// in seconds and the track count (data tracks count too).
uint32_t ComputeCddbDiscId(const DiscLayout& layout);

// "cddb query DISCID NTRKS OFFSET... SECONDS", offsets in frames with the 150-frame lead-in.
std::string CddbQueryCommand(const DiscLayout& layout);

// "user host client version" for the hello, from the e-mail address ("anonymous@localhost"
// when empty) and the client's name and version ("Disctrove" when empty; " 0" is added when
// the version is missing).
std::string CddbHello(std::string_view email, std::string_view client);

// The path that sends `command` to the cddb.cgi at `queryPath` ("/" is added in front when
// missing): "?cmd=...&hello=...&proto=N", the words of command and hello escaped for a URL
// and joined with "+".
std::string CddbRequestPath(std::string_view queryPath, std::string_view command,
                            std::string_view hello, int level);

struct CddbMatch {
    std::string category;
    std::string discId;
    std::string title;
};

struct CddbQueryAnswer {
    bool understood = false;         // a match, a list of matches, or "no match"
    std::vector<CddbMatch> matches;  // empty for "no match"
};

// Reads the answer to a query: 200 (one exact match), 210 (exact matches) and 211 (inexact
// matches) with their lists, 202 (no match). Anything else is not understood. At most
// `maxMatches` matches are kept.
CddbQueryAnswer ParseCddbQueryAnswer(std::string_view body, size_t maxMatches);

// The entry of a 210 answer to a read, with line-feed line ends, without the status line and
// the terminating "."; nothing for any other answer.
std::optional<std::string> ParseCddbReadAnswer(std::string_view body);

// The three-digit status of an answer (0 when it has none).
int CddbStatus(std::string_view body);

// `text` as UTF-8: text that is valid UTF-8 is kept, anything else is taken as ISO-8859-1 (what
// servers send below protocol level 6) and converted.
std::string CddbTextToUtf8(std::string_view text);

}  // namespace disctrove::platform
