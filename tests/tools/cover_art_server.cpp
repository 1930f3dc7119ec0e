#include "tools/cover_art_server.h"

#include <unistd.h>

#include <sstream>

namespace disctrove::testing {

CoverArtServer::CoverArtServer()
    : listener_(0, [this](int connection, const std::string& head) { Handle(connection, head); }) {}

void CoverArtServer::Serve(const std::string& path, const std::string& body) {
    const std::lock_guard lock(mutex_);
    answers_[path] = {200, "", body};
}

void CoverArtServer::Redirect(const std::string& path, const std::string& location) {
    const std::lock_guard lock(mutex_);
    answers_[path] = {307, "http://127.0.0.1:" + std::to_string(port()) + location, ""};
}

std::vector<std::string> CoverArtServer::Requests() const {
    const std::lock_guard lock(mutex_);
    return requests_;
}

void CoverArtServer::Handle(int connection, const std::string& requestHead) {
    std::istringstream line(requestHead);
    std::string method;
    std::string target;
    line >> method >> target;
    const std::string path = SplitTarget(target).path;
    Answer answer{404, "", "Not Found"};
    {
        const std::lock_guard lock(mutex_);
        requests_.push_back(path);
        if (const auto found = answers_.find(path); found != answers_.end()) {
            answer = found->second;
        }
    }
    const char* reason = answer.status == 200   ? "OK"
                         : answer.status == 307 ? "Temporary Redirect"
                                                : "Not Found";
    std::string head = "HTTP/1.1 " + std::to_string(answer.status) + " " + reason + "\r\n";
    if (!answer.location.empty()) {
        head += "Location: " + answer.location + "\r\n";
    }
    head +=
        "Content-Length: " + std::to_string(answer.body.size()) + "\r\nConnection: close\r\n\r\n";
    listener_.Answer(connection, head + answer.body);
}

}  // namespace disctrove::testing
