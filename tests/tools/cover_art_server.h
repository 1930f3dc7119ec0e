// A Cover Art Archive server on 127.0.0.1 for tests: answers each path with what it is given (a
// picture, a redirect, garbage), 404 for any other path, and records every request path.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "tools/loopback_http.h"

namespace disctrove::testing {

class CoverArtServer {
  public:
    // Listens on a free port. Throws when it cannot.
    CoverArtServer();
    CoverArtServer(const CoverArtServer&) = delete;
    CoverArtServer& operator=(const CoverArtServer&) = delete;

    uint16_t port() const { return listener_.port(); }
    // `path` answers 200 with `body`.
    void Serve(const std::string& path, const std::string& body);
    // `path` answers 307 to `location` (a path on this server), as the archive does.
    void Redirect(const std::string& path, const std::string& location);
    // Sends half of each answer, then resets the connection (see LoopbackListener::Answer).
    void SetResetMidAnswer(bool reset) { listener_.SetResetMidAnswer(reset); }
    std::vector<std::string> Requests() const;

  private:
    struct Answer {
        int status = 200;
        std::string location;
        std::string body;
    };
    void Handle(int connection, const std::string& head);

    mutable std::mutex mutex_;
    std::map<std::string, Answer> answers_;
    std::vector<std::string> requests_;
    LoopbackListener listener_;  // last: it serves from the moment it is made
};

}  // namespace disctrove::testing
