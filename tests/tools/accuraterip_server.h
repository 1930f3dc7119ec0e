// An AccurateRip server on 127.0.0.1 for tests: serves the answers it is given by path, 404 for
// any other path, and records every request. It also answers as an HTTP proxy (a request with
// an absolute URI), and can cut an answer short or keep a request waiting forever.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "disc/accuraterip_database.h"
#include "tools/loopback_http.h"

namespace disctrove::testing {

// A pressing as the database stores it: per track, its confidence and its checksums.
using DbarPressing = AccurateRipPressing;

// The bytes of a dBAR-…bin file holding `pressings` back to back.
std::string DbarFile(const std::vector<DbarPressing>& pressings);

class AccurateRipServer {
  public:
    struct Request {
        std::string path;  // e.g. "/accuraterip/a/b/c/dBAR-….bin"
        std::string host;  // of an absolute URI ("" when not proxied)
        bool proxied = false;
    };
    enum class Behaviour {
        answer,  // the file, or 404
        cut,     // the status line, the headers and half the file, then the connection closes
        stall,   // never answers
    };

    // Listens on a free port. Throws when it cannot.
    AccurateRipServer();
    ~AccurateRipServer();
    AccurateRipServer(const AccurateRipServer&) = delete;
    AccurateRipServer& operator=(const AccurateRipServer&) = delete;

    uint16_t port() const { return listener_.port(); }
    // Serves `body` at `path` (from its first "/").
    void Serve(const std::string& path, const std::string& body);
    void SetBehaviour(Behaviour behaviour) { behaviour_ = behaviour; }
    // Sends half of each answer, then resets the connection (see LoopbackListener::Answer).
    void SetResetMidAnswer(bool reset) { listener_.SetResetMidAnswer(reset); }
    std::vector<Request> Requests() const;

  private:
    void Handle(int connection, const std::string& head);

    std::atomic<Behaviour> behaviour_{Behaviour::answer};
    mutable std::mutex mutex_;
    std::map<std::string, std::string> files_;
    std::vector<Request> requests_;
    std::vector<int> stalled_;   // connections kept open without an answer
    LoopbackListener listener_;  // last: it serves from the moment it is made
};

}  // namespace disctrove::testing
