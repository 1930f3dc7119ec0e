// A plain HTTP GET over libcurl: the transport of the program's web client (net/), bounded in
// time and size and ended at once when the caller gives up.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <stop_token>
#include <string>
#include <vector>

namespace disctrove::platform {

struct HttpGetRequest {
    std::string host;  // "" asks nothing
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
    size_t maxBytes = 1024 * 1024;
    // What to make of a longer answer: its first maxBytes (true) or a failure (false).
    bool keepPrefix = false;
    // The GET gives up as soon as a stop is requested.
    std::stop_token stop;
};

enum class HttpGetOutcome {
    answered,   // a whole answer came (or its first maxBytes, with keepPrefix)
    cancelled,  // a stop was requested first
    failed,     // no host, no connection, a timeout, an answer cut short
    tooLong,    // longer than maxBytes, without keepPrefix
};

struct HttpGetAnswer {
    HttpGetOutcome outcome = HttpGetOutcome::failed;
    long status = 0;  // the HTTP status of the answer, 200, 404...
    std::vector<uint8_t> body;
    bool cut = false;  // with keepPrefix: the body is the start of a longer answer
};

HttpGetAnswer HttpGet(const HttpGetRequest& request);

}  // namespace disctrove::platform
