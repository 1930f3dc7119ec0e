#include "disc/cddb_lookup.h"

#include <optional>

#include "app/version.h"
#include "disc/lookup_client.h"
#include "platform/cdrom/cddb.h"
#include "platform/cdrom/drive_handle.h"
#include "platform/system/text.h"

namespace disctrove {

namespace {

using namespace platform;

// More than any answer a real server gives (32 matches, or an entry of at most 32000 bytes);
// what a server sends beyond it is dropped.
constexpr size_t kMaxAnswerBytes = 64 * 1024;
constexpr int kUtf8Level = 6;
constexpr int kLatin1Level = 5;
// The room of a match's category and disc ID, with their terminating NULs.
constexpr size_t kCategoryBytes = 32;
constexpr size_t kDiscIdBytes = 12;

// `text` up to its first NUL, if any: an entry and a match's names end there.
std::string_view UpToNul(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

// The server of one look-up and how it is asked, made from the options once.
struct Server {
    net::WebClient client;
    net::WebTarget target;  // its path is the query path
    std::string hello;
};

Server ServerOf(const Options& s) {
    const std::string client = std::string(kProgramName) + " " + kProgramVersion;
    Server server{LookupClient(s), {s.Server, s.Port, false, s.Query}, ""};
    server.client.userAgent = client;
    server.client.maxBytes = kMaxAnswerBytes;
    server.client.overflow = net::Overflow::cut;
    server.hello = CddbHello(s.Email.empty() ? kDefaultCddbEmail : s.Email, client);
    return server;
}

// Sends one command at protocol `level`; the answer's body in UTF-8, or nothing when the
// exchange failed.
std::optional<std::string> Exchange(const Server& server, const std::string& command, int level,
                                    const std::stop_token& stop) {
    net::WebTarget target = server.target;
    target.path = CddbRequestPath(server.target.path, command, server.hello, level);
    const net::WebAnswer answer = server.client.Get(target, stop);
    if (!answer.ok() || answer.status != 200) {
        return std::nullopt;
    }
    std::string_view body = answer.text();
    if (answer.cut) {
        // The cut may have split a character; what is left of it is dropped.
        body = Utf8PrefixByBytes(body, body.size() - 1);
    }
    return CddbTextToUtf8(body);
}

// Level 6 first, so text comes as UTF-8; level 5 when the server does not know 6.
std::optional<std::string> Command(const Server& server, const std::string& command,
                                   const std::stop_token& stop) {
    auto body = Exchange(server, command, kUtf8Level, stop);
    if (body && CddbStatus(*body) == 501) {  // illegal protocol level
        body = Exchange(server, command, kLatin1Level, stop);
    }
    return body;
}

// The query command for the disc of `drive`; nothing when there is no disc to ask about.
std::optional<std::string> QueryCommand(const Drive* drive, bool& noDisc) {
    DriveHandle handle;
    if (drive != nullptr) {
        handle = DriveHandle(drive->handleRequest);
    }
    noDisc = !handle;
    if (noDisc) {
        return std::nullopt;
    }
    return CddbQueryCommandOf(handle.get());
}

}  // namespace

CddbAnswer LookUpCddb(const Options& options, const Drive* drive, std::stop_token stop) {
    bool noDisc = false;
    const auto query = QueryCommand(drive, noDisc);
    if (noDisc) {
        return {CddbOutcome::nothingFound, {}};  // nothing was asked
    }
    const Server server = ServerOf(options);
    const auto body = query ? Command(server, *query, stop) : std::nullopt;
    const CddbQueryAnswer matches =
        body ? ParseCddbQueryAnswer(*body, kMaxCddbMatches) : CddbQueryAnswer{};
    if (!matches.understood) {
        return {};
    }
    if (matches.matches.empty()) {
        return {CddbOutcome::nothingFound, {}};
    }
    const CddbMatch& first = matches.matches.front();
    const std::string_view category =
        UpToNul(Utf8PrefixByBytes(first.category, kCategoryBytes - 1));
    const std::string_view discId = UpToNul(Utf8PrefixByBytes(first.discId, kDiscIdBytes - 1));
    if (category.empty() || discId.empty()) {
        return {};
    }
    const std::string read = "cddb read " + std::string(category) + " " + std::string(discId);
    const auto answer = Command(server, read, stop);
    const auto entry = answer ? ParseCddbReadAnswer(*answer) : std::nullopt;
    if (!entry) {
        return {};
    }
    std::string fitted(UpToNul(Utf8PrefixByBytes(*entry, kCddbReplyBytes - 1)));
    const CddbOutcome outcome = fitted.empty() ? CddbOutcome::nothingFound : CddbOutcome::found;
    return {outcome, std::move(fitted)};
}

}  // namespace disctrove
