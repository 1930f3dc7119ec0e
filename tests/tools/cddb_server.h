// A CDDB server on 127.0.0.1 that speaks the cddb.cgi protocol over HTTP, serving entries from
// a folder (FOLDER/CATEGORY/DISCID, UTF-8 text), for tests and the demo. It also answers as an
// HTTP proxy (a request with an absolute URI) and can demand proxy credentials.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "tools/loopback_http.h"

namespace disctrove::testing {

class CddbServer {
  public:
    struct Request {
        std::string path;  // e.g. "/~cddb/cddb.cgi"
        std::string host;  // the host of an absolute URI ("" when not proxied)
        bool proxied = false;
        std::string proxyAuthorization;
        std::map<std::string, std::string> parameters;  // cmd, hello, proto (decoded)
    };

    // Listens on 127.0.0.1:`port` (0: any free port). Throws when it cannot.
    explicit CddbServer(std::string folder, uint16_t port = 0);
    ~CddbServer();
    CddbServer(const CddbServer&) = delete;
    CddbServer& operator=(const CddbServer&) = delete;

    uint16_t port() const { return listener_.port(); }

    // Requests through the proxy must carry these credentials ("user:password"); "" for none.
    void RequireProxyLogin(const std::string& login);
    // Sends `body` as it is for every command that starts with `commandStart`.
    void SetRawAnswer(const std::string& commandStart, const std::string& body);
    // Sends half of each answer to a command that starts with `commandStart`, then resets the
    // connection ("" for none).
    void SetResetMidAnswer(const std::string& commandStart) {
        const std::lock_guard lock(mutex_);
        resetCommand_ = commandStart;
    }
    // Accepts connections but never answers them.
    void SetStalling(bool stalling) { stalling_ = stalling; }
    // Holds answers back until holding ends (the request is recorded at once).
    void SetHolding(bool holding) { holding_ = holding; }
    // Refuses protocol levels above `level` (as servers older than level 6 do).
    void SetHighestLevel(char level) { highestLevel_ = level; }

    std::vector<Request> Requests() const;

  private:
    void Handle(int connection, const std::string& head);
    std::string Answer(const Request& request) const;
    std::string Query(const std::string& command, const std::string& level) const;
    std::string Read(const std::string& command) const;

    std::string folder_;
    std::atomic<bool> stalling_{false};
    std::atomic<bool> holding_{false};
    std::atomic<char> highestLevel_{'6'};
    mutable std::mutex mutex_;
    std::string proxyLogin_;
    std::string resetCommand_;
    std::vector<std::pair<std::string, std::string>> rawAnswers_;
    std::vector<Request> requests_;
    std::vector<int> stalled_;   // connections kept open without an answer
    LoopbackListener listener_;  // last: it serves from the moment it is made
};

}  // namespace disctrove::testing
