#include "platform/cdrom/cddb.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/cdrom/cddb_protocol.h"
#include "platform/cdrom/disc_device.h"
#include "platform/system/http_get.h"
#include "platform/system/text.h"

namespace disctrove::platform {

namespace {

// More than any answer a real server gives (32 matches, or an entry of at most 32000 bytes);
// what a server sends beyond it is dropped.
constexpr size_t kMaxAnswerBytes = 64 * 1024;
constexpr int kUtf8Level = 6;
constexpr int kLatin1Level = 5;

struct Options {
    std::string server;
    std::string proxyServer;
    std::string client;
    std::string email;
    std::string queryPath = "/~cddb/cddb.cgi";
    std::string proxyLogin;
    int32_t port = 80;
    int32_t proxyPort = 80;
    int32_t useProxy = 0;
    int32_t protocolLevel = 1;
};

std::mutex optionsMutex;
Options options;
std::atomic<long> connectTimeoutMs{10'000};
std::atomic<long> totalTimeoutMs{30'000};
thread_local const std::atomic<bool>* cancelFlag = nullptr;

Options CurrentOptions() {
    const std::lock_guard lock(optionsMutex);
    return options;
}

struct CurlCloser {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
using UniqueCurl = std::unique_ptr<CURL, CurlCloser>;

struct CurlStringFree {
    void operator()(char* text) const { curl_free(text); }
};

// The words of `text` escaped for a URL and joined with "+", as cddb.cgi expects.
std::string UrlWords(CURL* curl, std::string_view text) {
    std::string joined;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = std::min(text.find(' ', start), text.size());
        if (end > start) {
            const std::string word(text.substr(start, end - start));
            const std::unique_ptr<char, CurlStringFree> escaped(
                curl_easy_escape(curl, word.c_str(), static_cast<int>(word.size())));
            if (escaped) {
                joined += (joined.empty() ? "" : "+") + std::string(escaped.get());
            }
        }
        start = end + 1;
    }
    return joined;
}

// "user host client version" from the e-mail address and the client string.
std::string HelloText(const Options& o) {
    const std::string email = o.email.empty() ? "anonymous@localhost" : o.email;
    const size_t at = email.find('@');
    const std::string user = at == std::string::npos ? email : email.substr(0, at);
    const std::string host = at == std::string::npos ? "localhost" : email.substr(at + 1);
    std::string client = o.client.empty() ? "Disctrove" : o.client;
    if (client.find(' ') == std::string::npos) {
        client += " 0";
    }
    return user + " " + host + " " + client;
}

struct Download {
    std::string body;
    bool cut = false;  // the server sent more than kMaxAnswerBytes
};

size_t OnData(char* data, size_t size, size_t count, void* user) {
    auto* download = static_cast<Download*>(user);
    const size_t bytes = size * count;
    const size_t room = kMaxAnswerBytes - download->body.size();
    download->body.append(data, std::min(bytes, room));
    if (bytes > room) {
        download->cut = true;
        return 0;  // ends the transfer
    }
    return bytes;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* cancel = static_cast<const std::atomic<bool>*>(user);
    return cancel != nullptr && cancel->load() ? 1 : 0;
}

// Sends one command at protocol `level`; the answer's body, or nothing when the exchange failed.
std::optional<std::string> Exchange(const Options& o, const std::string& command, int level) {
    if (o.server.empty() || (cancelFlag != nullptr && cancelFlag->load())) {
        return std::nullopt;
    }
    EnsureCurlReady();
    const UniqueCurl curl(curl_easy_init());
    if (!curl) {
        return std::nullopt;
    }
    CURL* c = curl.get();
    const std::string path = o.queryPath.starts_with('/') ? o.queryPath : "/" + o.queryPath;
    const std::string url = "http://" + o.server + ":" + std::to_string(o.port) + path +
                            "?cmd=" + UrlWords(c, command) + "&hello=" + UrlWords(c, HelloText(o)) +
                            "&proto=" + std::to_string(level);
    Download download;
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, 3L);
    curl_easy_setopt(c, CURLOPT_USERAGENT, o.client.empty() ? "Disctrove" : o.client.c_str());
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, connectTimeoutMs.load());
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, totalTimeoutMs.load());
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, OnData);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &download);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, cancelFlag);
    std::string proxy;  // the settings decide about the proxy, not the environment
    if (o.useProxy) {
        proxy = "http://" + o.proxyServer + ":" + std::to_string(o.proxyPort);
        if (!o.proxyLogin.empty()) {
            curl_easy_setopt(c, CURLOPT_PROXYUSERPWD, o.proxyLogin.c_str());
            curl_easy_setopt(c, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_BASIC));
        }
    }
    curl_easy_setopt(c, CURLOPT_PROXY, proxy.c_str());
    curl_easy_setopt(c, CURLOPT_NOPROXY, "");

    const CURLcode result = curl_easy_perform(c);
    long httpStatus = 0;
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &httpStatus);
    const bool received = result == CURLE_OK || (result == CURLE_WRITE_ERROR && download.cut);
    if (!received || httpStatus != 200) {
        return std::nullopt;
    }
    if (download.cut) {
        // The cut may have split a character; what is left of it is dropped.
        download.body.resize(Utf8PrefixByBytes(download.body, download.body.size() - 1).size());
    }
    return CddbTextToUtf8(download.body);
}

// Sends a command at the level the options ask for (6 for 5 and more, so text comes as UTF-8),
// falling back to level 5 when the server does not know level 6.
std::optional<std::string> Command(const std::string& command) {
    const Options o = CurrentOptions();
    const int level = o.protocolLevel >= kLatin1Level ? kUtf8Level : std::max(o.protocolLevel, 1);
    auto body = Exchange(o, command, level);
    if (body && level == kUtf8Level && CddbStatus(*body) == 501) {  // illegal protocol level
        body = Exchange(o, command, kLatin1Level);
    }
    return body;
}

template <size_t N>
void CopyText(std::array<char, N>& field, std::string_view text) {
    field = {};
    const auto fitted = Utf8PrefixByBytes(text, N - 1);
    std::copy(fitted.begin(), fitted.end(), field.begin());
}

template <size_t N>
std::string_view FieldText(const std::array<char, N>& field) {
    return std::string_view(field.data(), strnlen(field.data(), N));
}

}  // namespace

int CDDBSetOption(int32_t option, std::string_view text, int32_t number) {
    const std::lock_guard lock(optionsMutex);
    switch (option) {
        case kCddbServer:
            options.server = text;
            break;
        case kCddbProxyServer:
            options.proxyServer = text;
            break;
        case kCddbUseProxy:
            options.useProxy = number;
            break;
        case kCddbClient:
            options.client = text;
            break;
        case kCddbEmail:
            options.email = text;
            break;
        case kCddbProxyPort:
            options.proxyPort = number;
            break;
        case kCddbQueryPath:
            options.queryPath = text;
            break;
        case kCddbPort:
            options.port = number;
            break;
        case kCddbProxyLogin:
            options.proxyLogin = text;
            break;
        case kCddbProtocolLevel:
            options.protocolLevel = number;
            break;
        default:
            return 0;
    }
    return 1;
}

int CDDBQuery(CdHandle handle, CddbQuery* query) {
    if (query == nullptr || query->items == nullptr) {
        return 0;
    }
    const size_t room = std::min<size_t>(query->count, kMaxCddbMatches);
    query->count = 0;
    DiscLayout layout;
    if (!DiscLayoutOf(handle, layout) || layout.tracks.empty()) {
        return 0;
    }
    const auto body = Command(CddbQueryCommand(layout));
    if (!body) {
        return 0;
    }
    const CddbQueryAnswer answer = ParseCddbQueryAnswer(*body, room);
    if (!answer.understood) {
        return 0;
    }
    for (const CddbMatch& match : answer.matches) {
        CddbQueryItem& item = query->items[query->count++];
        CopyText(item.category, match.category);
        CopyText(item.discId, match.discId);
        CopyText(item.title, WithoutControls(match.title));
    }
    return 1;
}

int CDDBGetDiskInfo(const CddbQueryItem* item, std::span<char> buffer) {
    if (item == nullptr || buffer.empty()) {
        return 0;
    }
    buffer[0] = '\0';
    const std::string_view category = FieldText(item->category);
    const std::string_view discId = FieldText(item->discId);
    if (category.empty() || discId.empty()) {
        return 0;
    }
    const auto body = Command("cddb read " + std::string(category) + " " + std::string(discId));
    const auto entry = body ? ParseCddbReadAnswer(*body) : std::nullopt;
    if (!entry) {
        return 0;
    }
    const auto fitted = Utf8PrefixByBytes(*entry, buffer.size() - 1);
    std::copy(fitted.begin(), fitted.end(), buffer.begin());
    buffer[fitted.size()] = '\0';
    return 1;
}

void SetCddbTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds total) {
    connectTimeoutMs = static_cast<long>(connect.count());
    totalTimeoutMs = static_cast<long>(total.count());
}

CddbTimeouts CurrentCddbTimeouts() {
    return {std::chrono::milliseconds(connectTimeoutMs.load()),
            std::chrono::milliseconds(totalTimeoutMs.load())};
}

void SetCddbCancelFlag(const std::atomic<bool>* cancel) {
    cancelFlag = cancel;
}

const std::atomic<bool>* CddbCancelFlag() {
    return cancelFlag;
}

}  // namespace disctrove::platform
