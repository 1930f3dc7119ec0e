// A MusicBrainz web service on 127.0.0.1 for tests: answers each path (with its query) as it
// is told, 404 for any other, and records every request with its User-Agent and arrival.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "tools/loopback_http.h"

namespace disctrove::testing {

class MusicBrainzServer {
  public:
    struct Request {
        std::string path;
        std::string userAgent;
        std::chrono::steady_clock::time_point arrival;
    };

    // Listens on a free port. Throws when it cannot.
    MusicBrainzServer();
    ~MusicBrainzServer() { listener_.Stop(); }
    MusicBrainzServer(const MusicBrainzServer&) = delete;
    MusicBrainzServer& operator=(const MusicBrainzServer&) = delete;

    uint16_t port() const { return listener_.port(); }
    // Answers `path` with `status` and `body`.
    void Serve(const std::string& path, int status, const std::string& body);
    // Sends half of each answer, then resets the connection (see LoopbackListener::Answer).
    void SetResetMidAnswer(bool reset) { listener_.SetResetMidAnswer(reset); }
    std::vector<Request> Requests() const;

  private:
    void Handle(int connection, const std::string& head);

    mutable std::mutex mutex_;
    std::map<std::string, std::pair<int, std::string>> answers_;
    std::vector<Request> requests_;
    LoopbackListener listener_;  // last: it serves from the moment it is made
};

// The text of a file of tests/data/musicbrainz with every "@DISCID@" replaced by `discId`.
std::string MusicBrainzFixture(const std::string& name, const std::string& discId);

}  // namespace disctrove::testing
