#include "tools/accuraterip_server.h"

#include <unistd.h>

#include <sstream>

namespace disctrove::testing {

namespace {

void Put32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
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

AccurateRipServer::AccurateRipServer()
    : listener_(0, [this](int connection, const std::string& head) { Handle(connection, head); }) {}

AccurateRipServer::~AccurateRipServer() {
    listener_.Stop();
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

void AccurateRipServer::Handle(int connection, const std::string& requestHead) {
    Request request;
    std::istringstream line(requestHead);
    std::string method;
    std::string target;
    line >> method >> target;
    const RequestTarget split = SplitTarget(target);
    request.path = split.path;
    request.host = split.host;
    request.proxied = split.proxied;
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
    if (behaviour_ == Behaviour::cut) {
        SendAll(connection, head + body.substr(0, body.size() / 2));
        ::close(connection);
        return;
    }
    listener_.Answer(connection, head + body);
}

}  // namespace disctrove::testing
