#include "tools/accuraterip_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <sstream>
#include <stdexcept>

namespace disctrove::testing {

namespace {

constexpr size_t kMaxRequestBytes = 16 * 1024;

void Put32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
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

}  // namespace

std::string DbarFile(const std::vector<DbarPressing>& pressings) {
    std::string out;
    for (const DbarPressing& pressing : pressings) {
        out += static_cast<char>(pressing.tracks.size());
        Put32(out, pressing.id1);
        Put32(out, pressing.id2);
        Put32(out, pressing.cddb);
        for (const DbarPressing::Track& track : pressing.tracks) {
            out += static_cast<char>(track.confidence);
            Put32(out, track.checksum);
            Put32(out, track.frame450);
        }
    }
    return out;
}

AccurateRipServer::AccurateRipServer() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 ||
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 16) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (listener_ >= 0) {
            ::close(listener_);
        }
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Run(); });
}

AccurateRipServer::~AccurateRipServer() {
    stop_ = true;
    thread_.join();
    ::close(listener_);
    for (const int connection : stalled_) {
        ::close(connection);
    }
}

void AccurateRipServer::Serve(const std::string& path, const std::string& body) {
    const std::lock_guard lock(mutex_);
    files_[path] = body;
}

std::vector<AccurateRipServer::Request> AccurateRipServer::Requests() const {
    const std::lock_guard lock(mutex_);
    return requests_;
}

void AccurateRipServer::Run() {
    while (!stop_) {
        pollfd waiting{listener_, POLLIN, 0};
        if (::poll(&waiting, 1, 50) <= 0) {
            continue;
        }
        const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection >= 0) {
            Handle(connection);
        }
    }
}

void AccurateRipServer::Handle(int connection) {
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
    Request request;
    std::istringstream line(text);
    std::string method;
    line >> method >> request.path;
    if (request.path.starts_with("http://")) {
        request.proxied = true;
        const size_t pathStart = request.path.find('/', 7);
        request.host = request.path.substr(7, pathStart - 7);
        request.host = request.host.substr(0, request.host.find(':'));
        request.path = pathStart == std::string::npos ? "/" : request.path.substr(pathStart);
    }
    std::string body;
    bool found = false;
    {
        const std::lock_guard lock(mutex_);
        requests_.push_back(request);
        if (behaviour_ == Behaviour::stall) {
            stalled_.push_back(connection);
            return;
        }
        const auto file = files_.find(request.path);
        found = file != files_.end();
        body = found ? file->second : std::string();
    }
    const std::string head = std::string("HTTP/1.1 ") + (found ? "200 OK" : "404 Not Found") +
                             "\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
                             std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n";
    SendAll(connection,
            head + (behaviour_ == Behaviour::cut ? body.substr(0, body.size() / 2) : body));
    ::close(connection);
}

}  // namespace disctrove::testing
