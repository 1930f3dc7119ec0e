#include "platform/system/http_get.h"

#include <curl/curl.h>

#include <memory>

namespace disctrove::platform {

namespace {

// How often a running GET looks at its cancel flag while the network is quiet.
constexpr int kCancelPollMs = 50;

struct EasyCloser {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct MultiCloser {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};

struct Download {
    std::vector<uint8_t> body;
    size_t maxBytes = 0;
    bool tooLong = false;
};

size_t OnData(char* data, size_t size, size_t count, void* user) {
    auto* download = static_cast<Download*>(user);
    const size_t bytes = size * count;
    if (bytes > download->maxBytes - download->body.size()) {
        download->tooLong = true;
        return 0;  // ends the transfer
    }
    download->body.insert(download->body.end(), data, data + bytes);
    return bytes;
}

bool Cancelled(const HttpGetRequest& request) {
    return request.cancel != nullptr && request.cancel->load();
}

}  // namespace

void EnsureCurlReady() {
    struct CurlLibrary {
        CurlLibrary() { curl_global_init(CURL_GLOBAL_DEFAULT); }
        ~CurlLibrary() { curl_global_cleanup(); }
    };
    static CurlLibrary library;  // made once, by whichever thread comes first
}

std::optional<HttpGetAnswer> HttpGet(const HttpGetRequest& request) {
    if (request.host.empty() || Cancelled(request)) {
        return std::nullopt;
    }
    EnsureCurlReady();
    const std::unique_ptr<CURL, EasyCloser> easy(curl_easy_init());
    const std::unique_ptr<CURLM, MultiCloser> multi(curl_multi_init());
    if (!easy || !multi) {
        return std::nullopt;
    }
    CURL* c = easy.get();
    const std::string path = request.path.starts_with('/') ? request.path : "/" + request.path;
    const std::string url = (request.https ? "https://" : "http://") + request.host + ":" +
                            std::to_string(request.port) + path;
    Download download;
    download.maxBytes = request.maxBytes;
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, 3L);
    curl_easy_setopt(c, CURLOPT_USERAGENT, request.userAgent.c_str());
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(request.connectTimeout.count()));
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, static_cast<long>(request.totalTimeout.count()));
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, OnData);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &download);
    std::string proxy;  // the settings decide about the proxy, not the environment
    if (!request.proxyHost.empty()) {
        proxy = "http://" + request.proxyHost + ":" + std::to_string(request.proxyPort);
        if (!request.proxyLogin.empty()) {
            curl_easy_setopt(c, CURLOPT_PROXYUSERPWD, request.proxyLogin.c_str());
            curl_easy_setopt(c, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_BASIC));
        }
    }
    curl_easy_setopt(c, CURLOPT_PROXY, proxy.c_str());
    curl_easy_setopt(c, CURLOPT_NOPROXY, "");

    // The multi interface lets the wait for the network end every few milliseconds, so a
    // cancel takes effect at once rather than at libcurl's next progress call.
    if (curl_multi_add_handle(multi.get(), c) != CURLM_OK) {
        return std::nullopt;
    }
    int running = 1;
    CURLcode result = CURLE_ABORTED_BY_CALLBACK;
    while (running > 0 && !Cancelled(request)) {
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK) {
            break;
        }
        int left = 0;
        while (const CURLMsg* message = curl_multi_info_read(multi.get(), &left)) {
            if (message->msg == CURLMSG_DONE) {
                result = message->data.result;
            }
        }
        if (running > 0 &&
            curl_multi_poll(multi.get(), nullptr, 0, kCancelPollMs, nullptr) != CURLM_OK) {
            break;
        }
    }
    long status = 0;
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
    curl_multi_remove_handle(multi.get(), c);
    if (running > 0 || result != CURLE_OK || download.tooLong) {
        return std::nullopt;
    }
    return HttpGetAnswer{status, std::move(download.body)};
}

}  // namespace disctrove::platform
