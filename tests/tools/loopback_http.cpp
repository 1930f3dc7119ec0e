#include "tools/loopback_http.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <stdexcept>

namespace disctrove::testing {

namespace {

constexpr size_t kMaxRequestBytes = 16 * 1024;

std::string ReadHead(int connection) {
    std::string text;
    while (text.find("\r\n\r\n") == std::string::npos && text.size() < kMaxRequestBytes) {
        pollfd waiting{connection, POLLIN, 0};
        std::array<char, 4096> buffer{};
        if (::poll(&waiting, 1, 2000) <= 0) {
            break;
        }
        const ssize_t n = ::recv(connection, buffer.data(), buffer.size(), 0);
        if (n <= 0) {
            break;
        }
        text.append(buffer.data(), static_cast<size_t>(n));
    }
    return text;
}

}  // namespace

LoopbackListener::LoopbackListener(uint16_t port, Serve serve) : serve_(std::move(serve)) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int yes = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 ||
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 16) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (listener_ >= 0) {
            ::close(listener_);
        }
        throw std::runtime_error("cannot listen on 127.0.0.1:" + std::to_string(port));
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Run(); });
}

void LoopbackListener::Stop() {
    stop_ = true;
    if (thread_.joinable()) {
        thread_.join();
        ::close(listener_);
    }
}

void LoopbackListener::Run() {
    while (!stop_) {
        pollfd waiting{listener_, POLLIN, 0};
        if (::poll(&waiting, 1, 50) <= 0) {
            continue;
        }
        const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection >= 0) {
            serve_(connection, ReadHead(connection));
        }
    }
}

void LoopbackListener::Answer(int connection, const std::string& answer, bool reset) {
    if (!reset) {
        SendAll(connection, answer);
        ::close(connection);
        return;
    }
    const size_t headEnd = answer.find("\r\n\r\n");
    const size_t bodyStart = headEnd == std::string::npos ? 0 : headEnd + 4;
    SendAll(connection, answer.substr(0, bodyStart + (answer.size() - bodyStart) / 2));
    // A close that lingers for no time drops what is unsent and answers with a reset.
    const linger noTime{1, 0};
    ::setsockopt(connection, SOL_SOCKET, SO_LINGER, &noTime, sizeof noTime);
    ::close(connection);
}

RequestTarget SplitTarget(const std::string& target) {
    RequestTarget split{target, "", false};
    if (target.starts_with("http://")) {
        split.proxied = true;
        const size_t pathStart = target.find('/', 7);
        split.host = target.substr(7, pathStart - 7);
        split.host = split.host.substr(0, split.host.find(':'));
        split.path = pathStart == std::string::npos ? "/" : target.substr(pathStart);
    }
    return split;
}

void SendAll(int connection, const std::string& data) {
    size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t n = ::send(connection, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            return;
        }
        sent += static_cast<size_t>(n);
    }
}

}  // namespace disctrove::testing
