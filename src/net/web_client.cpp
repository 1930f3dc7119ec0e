#include "net/web_client.h"

#include <atomic>

#include "platform/system/http_get.h"

namespace disctrove::net {

namespace {

std::atomic<std::chrono::milliseconds::rep> connectMs{Timeouts{}.connect.count()};
std::atomic<std::chrono::milliseconds::rep> totalMs{Timeouts{}.total.count()};

WebError ErrorOf(platform::HttpGetOutcome outcome) {
    switch (outcome) {
        case platform::HttpGetOutcome::answered:
            return WebError::none;
        case platform::HttpGetOutcome::cancelled:
            return WebError::cancelled;
        case platform::HttpGetOutcome::tooLong:
            return WebError::tooLong;
        case platform::HttpGetOutcome::failed:
            break;
    }
    return WebError::noAnswer;
}

}  // namespace

void SetDefaultTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds total) {
    connectMs = connect.count();
    totalMs = total.count();
}

Timeouts DefaultTimeouts() {
    return {std::chrono::milliseconds(connectMs.load()), std::chrono::milliseconds(totalMs.load())};
}

Proxy ProxyOf(bool use, const std::string& host, int32_t port, const std::string& user,
              const std::string& password) {
    if (!use) {
        return {};
    }
    const bool login = !user.empty() && !password.empty();
    return {host, port, login ? user + ":" + password : std::string()};
}

WebAnswer WebClient::Get(const WebTarget& target, std::stop_token stop) const {
    platform::HttpGetRequest request;
    request.host = target.host;
    request.port = target.port;
    request.https = target.https;
    request.path = target.path;
    request.userAgent = userAgent;
    request.proxyHost = proxy.host;
    request.proxyPort = proxy.port;
    request.proxyLogin = proxy.login;
    request.connectTimeout = timeouts.connect;
    request.totalTimeout = timeouts.total;
    request.maxBytes = maxBytes;
    request.keepPrefix = overflow == Overflow::cut;
    request.stop = std::move(stop);
    platform::HttpGetAnswer answer = platform::HttpGet(request);
    return {ErrorOf(answer.outcome), answer.status, std::move(answer.body), answer.cut};
}

}  // namespace disctrove::net
