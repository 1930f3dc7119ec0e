// What the loopback HTTP servers of the tests share: a listener on 127.0.0.1, the thread that
// serves its connections one at a time, and the pieces of a request every server reads.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

namespace disctrove::testing {

class LoopbackListener {
  public:
    // Gets a connection and the head of its request (up to the blank line); it closes the
    // connection, or keeps it to close later.
    using Serve = std::function<void(int connection, const std::string& head)>;

    // Listens on 127.0.0.1:`port` (0: any free port) and serves on a thread of its own. Throws
    // when it cannot listen.
    LoopbackListener(uint16_t port, Serve serve);
    ~LoopbackListener() { Stop(); }
    LoopbackListener(const LoopbackListener&) = delete;
    LoopbackListener& operator=(const LoopbackListener&) = delete;

    uint16_t port() const { return port_; }
    bool stopping() const { return stop_; }
    // Sends `answer` (an HTTP answer, head and body) and closes the connection; when resetting,
    // sends only the head and half the body, then resets the connection (a TCP RST), as a
    // server that fails mid-answer does.
    void Answer(int connection, const std::string& answer) const {
        Answer(connection, answer, resetMidAnswer_);
    }
    static void Answer(int connection, const std::string& answer, bool reset);
    void SetResetMidAnswer(bool reset) { resetMidAnswer_ = reset; }
    // Ends the serving thread (after the connection it serves, if any) and the listener.
    void Stop();

  private:
    void Run();

    Serve serve_;
    int listener_ = -1;
    uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<bool> resetMidAnswer_{false};
    std::thread thread_;
};

// The target of a request line, split: a proxy is sent "http://host:port/path".
struct RequestTarget {
    std::string path;  // from its first "/", with the query
    std::string host;  // "" when not proxied
    bool proxied = false;
};
RequestTarget SplitTarget(const std::string& target);

// Sends all of `data`, or as much as the peer takes before it goes.
void SendAll(int connection, const std::string& data);

}  // namespace disctrove::testing
