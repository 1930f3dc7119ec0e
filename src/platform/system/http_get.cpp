#include "platform/system/http_get.h"

#include <curl/curl.h>

#include <memory>

namespace disctrove::platform {

namespace {

// The longest a wait for the network lasts before libcurl is given its turn again; a stop
// wakes the wait at once, and libcurl shortens it for its own timers.
constexpr int kPollMs = 1000;

struct EasyCloser {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct MultiCloser {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};

struct Download {
    std::vector<uint8_t> body;
    size_t maxBytes = 0;
    bool keepPrefix = false;
    bool tooLong = false;
};

size_t OnData(char* data, size_t size, size_t count, void* user) {
    auto* download = static_cast<Download*>(user);
    const size_t bytes = size * count;
    const size_t room = download->maxBytes - download->body.size();
    if (bytes > room) {
        if (download->keepPrefix) {
            download->body.insert(download->body.end(), data, data + room);
        }
        download->tooLong = true;
        return 0;  // ends the transfer
    }
    download->body.insert(download->body.end(), data, data + bytes);
    return bytes;
}

void EnsureCurlReady() {
    struct CurlLibrary {
        CurlLibrary() { curl_global_init(CURL_GLOBAL_DEFAULT); }
        ~CurlLibrary() { curl_global_cleanup(); }
    };
    static CurlLibrary library;  // made once, by whichever thread comes first
}

void SetOptions(CURL* c, const HttpGetRequest& request, const std::string& url,
                Download& download) {
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
    if (!request.proxyHost.empty() && !request.proxyLogin.empty()) {
        curl_easy_setopt(c, CURLOPT_PROXYUSERPWD, request.proxyLogin.c_str());
        curl_easy_setopt(c, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_BASIC));
    }
    // The settings decide about the proxy, not the environment. libcurl copies the text.
    const std::string proxy = request.proxyHost.empty() ? std::string()
                                                        : "http://" + request.proxyHost + ":" +
                                                              std::to_string(request.proxyPort);
    curl_easy_setopt(c, CURLOPT_PROXY, proxy.c_str());
    curl_easy_setopt(c, CURLOPT_NOPROXY, "");
}

struct Transfer {
    bool ended = false;  // false: a stop came first, or libcurl failed
    CURLcode result = CURLE_ABORTED_BY_CALLBACK;
};

// Runs the transfer of the one handle of `multi`. The multi interface lets a stop end the wait
// for the network at once.
Transfer Run(CURLM* multi, const std::stop_token& stop) {
    const std::stop_callback wake(stop, [multi] { curl_multi_wakeup(multi); });
    Transfer transfer;
    int running = 1;
    while (running > 0 && !stop.stop_requested()) {
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            break;
        }
        int left = 0;
        while (const CURLMsg* message = curl_multi_info_read(multi, &left)) {
            if (message->msg == CURLMSG_DONE) {
                transfer.result = message->data.result;
            }
        }
        if (running > 0 && curl_multi_poll(multi, nullptr, 0, kPollMs, nullptr) != CURLM_OK) {
            break;
        }
    }
    transfer.ended = running == 0;
    return transfer;
}

}  // namespace

HttpGetAnswer HttpGet(const HttpGetRequest& request) {
    HttpGetAnswer answer;
    if (request.stop.stop_requested()) {
        answer.outcome = HttpGetOutcome::cancelled;
        return answer;
    }
    if (request.host.empty()) {
        return answer;
    }
    EnsureCurlReady();
    const std::unique_ptr<CURL, EasyCloser> easy(curl_easy_init());
    const std::unique_ptr<CURLM, MultiCloser> multi(curl_multi_init());
    if (!easy || !multi) {
        return answer;
    }
    CURL* c = easy.get();
    const std::string path = request.path.starts_with('/') ? request.path : "/" + request.path;
    const std::string url = (request.https ? "https://" : "http://") + request.host + ":" +
                            std::to_string(request.port) + path;
    Download download;
    download.maxBytes = request.maxBytes;
    download.keepPrefix = request.keepPrefix;
    SetOptions(c, request, url, download);

    if (curl_multi_add_handle(multi.get(), c) != CURLM_OK) {
        return answer;
    }
    const Transfer transfer = Run(multi.get(), request.stop);
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &answer.status);
    curl_multi_remove_handle(multi.get(), c);
    if (!transfer.ended) {
        answer.outcome =
            request.stop.stop_requested() ? HttpGetOutcome::cancelled : HttpGetOutcome::failed;
    } else if (download.tooLong) {
        answer.outcome = request.keepPrefix ? HttpGetOutcome::answered : HttpGetOutcome::tooLong;
        answer.cut = request.keepPrefix;
    } else if (transfer.result == CURLE_OK) {
        answer.outcome = HttpGetOutcome::answered;
    }
    if (answer.outcome == HttpGetOutcome::answered) {
        answer.body = std::move(download.body);
    }
    return answer;
}

}  // namespace disctrove::platform
