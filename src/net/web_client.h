// The program's web client: every look-up (MusicBrainz, CDDB, AccurateRip, the cover art) makes
// its GETs through one. It bounds the wait for a server and the size of an answer, goes through
// the HTTP proxy of the settings when one is set, names the program in its User-Agent, and gives
// up at once when the stop token it is handed asks it to.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace disctrove::net {

struct Timeouts {
    std::chrono::milliseconds connect{10'000};
    std::chrono::milliseconds total{30'000};
};

// The bounds of every client made from now on: 10 seconds to connect and 30 in all unless
// changed (tests shorten them, or lengthen them so that only a stop can end a wait).
void SetDefaultTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds total);
Timeouts DefaultTimeouts();

struct Proxy {
    std::string host;  // "" for none
    int32_t port = 80;
    std::string login;  // "user:password", or "" to send none
};

// The proxy the settings' fields name: none unless `use`, and a login only when both the user
// and the password are given.
Proxy ProxyOf(bool use, const std::string& host, int32_t port, const std::string& user,
              const std::string& password);

// Where a GET goes.
struct WebTarget {
    std::string host;  // "" asks nothing
    int32_t port = 80;
    bool https = false;
    std::string path;  // from the first "/", with the query; one is added when it is missing
};

enum class WebError {
    none,       // a whole answer came, whatever its HTTP status
    cancelled,  // the stop token asked to stop before the answer was whole
    noAnswer,   // no host, no connection, a timeout, an answer cut short or reset
    tooLong,    // longer than the client's size cap (and the client does not cut)
};

struct WebAnswer {
    WebError error = WebError::noAnswer;
    long status = 0;  // the HTTP status: 200, 404...
    std::vector<uint8_t> body;
    bool cut = false;  // Overflow::cut: the body is the first maxBytes of a longer answer

    bool ok() const { return error == WebError::none; }
    std::string_view text() const {
        return {reinterpret_cast<const char*>(body.data()), body.size()};
    }
};

// What the client makes of an answer longer than its size cap.
enum class Overflow {
    fail,  // WebError::tooLong
    cut,   // its first maxBytes, marked cut
};

struct WebClient {
    std::string userAgent;
    Proxy proxy;
    Timeouts timeouts = DefaultTimeouts();
    size_t maxBytes = 1024 * 1024;
    Overflow overflow = Overflow::fail;

    WebAnswer Get(const WebTarget& target, std::stop_token stop = {}) const;
};

// A GET made ready on one thread and sent on another (a rip's look-ups, the cover preview):
// where it goes and the client that sends it.
struct WebRequest : WebTarget {
    WebClient client;

    WebAnswer Send(std::stop_token stop = {}) const { return client.Get(*this, std::move(stop)); }
};

}  // namespace disctrove::net
