// A plain HTTP GET for the look-ups that fetch a file from a web server, bounded in time and
// size and ended at once when the caller gives up.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace disctrove::platform {

struct HttpGetRequest {
    std::string host;
    int32_t port = 80;
    bool https = false;  // the scheme: https:// rather than http://
    std::string path;    // from the first "/"; one is added when it is missing
    std::string userAgent;
    // An HTTP proxy to go through ("" for none); `proxyLogin` is "user:password" or "".
    std::string proxyHost;
    int32_t proxyPort = 80;
    std::string proxyLogin;
    std::chrono::milliseconds connectTimeout{10'000};
    std::chrono::milliseconds totalTimeout{30'000};
    size_t maxBytes = 1024 * 1024;  // a longer answer is a failure
    // The GET gives up as soon as *cancel becomes true (null: never).
    const std::atomic<bool>* cancel = nullptr;
};

struct HttpGetAnswer {
    long status = 0;  // the HTTP status of the answer, 200, 404...
    std::vector<uint8_t> body;
};

// Fetches the file; nothing when no whole answer came (no connection, a timeout, cancelled, an
// answer cut short or longer than maxBytes).
std::optional<HttpGetAnswer> HttpGet(const HttpGetRequest& request);

// Prepares libcurl for the whole program, once, whichever thread comes first.
void EnsureCurlReady();

}  // namespace disctrove::platform
