// The CDDB functions of the drive layer: a look-up of the disc of a drive handle on a CDDB
// server over HTTP (cddb.cgi), directly or through an HTTP proxy.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <span>
#include <string_view>

#include "platform/cdrom/cdrom.h"

namespace disctrove::platform {

// Option numbers of CDDBSetOption: texts go in its text argument, numbers in its number.
enum CddbOption : int32_t {
    kCddbServer = 0,         // host name
    kCddbProxyServer = 1,    // host name
    kCddbUseProxy = 2,       // 0 or 1
    kCddbClient = 3,         // client name and version, "Disctrove 3.1"
    kCddbEmail = 4,          // sent in the hello as user and host
    kCddbProxyPort = 5,      // number
    kCddbQueryPath = 6,      // "/~cddb/cddb.cgi"
    kCddbPort = 7,           // number
    kCddbProxyLogin = 11,    // "user:password"
    kCddbProtocolLevel = 12  // number; 5 or more asks for level 6 (UTF-8)
};

inline constexpr size_t kMaxCddbMatches = 32;

#pragma pack(push, 1)

// One match of a query. Only the drive layer reads it.
struct CddbQueryItem {
    std::array<char, 32> category;
    std::array<char, 12> discId;
    std::array<char, 148> title;
};

// The match list: `count` holds the room (at most 32) on entry and the number of matches on
// return.
struct CddbQuery {
    uint32_t count;
    CddbQueryItem* items;
};

#pragma pack(pop)

static_assert(sizeof(CddbQueryItem) == 192);

// Stores an option for the next query and read. Returns 1, or 0 for an unknown option.
int CDDBSetOption(int32_t option, std::string_view text, int32_t number);

// Asks the server for the disc of `handle`. Returns 1 when the server answered with matches or
// with "no match" (count 0), 0 when the look-up failed (no disc, no connection, an error answer,
// an answer it cannot read, a timeout).
int CDDBQuery(CdHandle handle, CddbQuery* query);

// Fetches the entry of a match into `buffer` as NUL-terminated UTF-8 text with line-feed line
// ends, cut to fit. Returns 1, or 0 when it could not be had.
int CDDBGetDiskInfo(const CddbQueryItem* item, std::span<char> buffer);

// Waiting on a server is bounded: by default 10 seconds to connect and 30 seconds in all.
void SetCddbTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds total);

// The bounds in force; the program's other look-ups wait on their servers no longer.
struct CddbTimeouts {
    std::chrono::milliseconds connect;
    std::chrono::milliseconds total;
};
CddbTimeouts CurrentCddbTimeouts();

// Makes this thread's CDDB calls give up as soon as *cancel becomes true (null: never).
void SetCddbCancelFlag(const std::atomic<bool>* cancel);
// The flag this thread's look-ups give up on (null: none), for the look-ups beside CDDB.
const std::atomic<bool>* CddbCancelFlag();

}  // namespace disctrove::platform
