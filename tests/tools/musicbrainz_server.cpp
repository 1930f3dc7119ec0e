#include "tools/musicbrainz_server.h"

#include <unistd.h>

#include <fstream>
#include <sstream>

namespace disctrove::testing {

MusicBrainzServer::MusicBrainzServer()
    : listener_(0, [this](int connection, const std::string& head) { Handle(connection, head); }) {}

void MusicBrainzServer::Serve(const std::string& path, int status, const std::string& body) {
    const std::lock_guard lock(mutex_);
    answers_[path] = {status, body};
}

std::vector<MusicBrainzServer::Request> MusicBrainzServer::Requests() const {
    const std::lock_guard lock(mutex_);
    return requests_;
}

void MusicBrainzServer::Handle(int connection, const std::string& head) {
    Request request;
    request.arrival = std::chrono::steady_clock::now();
    std::istringstream lines(head);
    std::string method;
    std::string target;
    lines >> method >> target;
    request.path = SplitTarget(target).path;
    for (std::string line; std::getline(lines, line);) {
        const std::string key = "User-Agent: ";
        if (line.starts_with(key)) {
            request.userAgent = line.substr(key.size());
            if (request.userAgent.ends_with('\r')) {
                request.userAgent.pop_back();
            }
        }
    }
    std::pair<int, std::string> answer{404, R"({"error": "Not Found"})"};
    {
        const std::lock_guard lock(mutex_);
        requests_.push_back(request);
        const auto found = answers_.find(request.path);
        if (found != answers_.end()) {
            answer = found->second;
        }
    }
    listener_.Answer(connection,
                     "HTTP/1.1 " + std::to_string(answer.first) +
                         " Answer\r\nContent-Type: application/json\r\nContent-Length: " +
                         std::to_string(answer.second.size()) + "\r\nConnection: close\r\n\r\n" +
                         answer.second);
}

std::string MusicBrainzFixture(const std::string& name, const std::string& discId) {
    std::ifstream file(std::string(DISCTROVE_TEST_DATA) + "/musicbrainz/" + name);
    std::stringstream text;
    text << file.rdbuf();
    std::string out = text.str();
    for (size_t at = out.find("@DISCID@"); at != std::string::npos; at = out.find("@DISCID@")) {
        out.replace(at, 8, discId);
    }
    return out;
}

}  // namespace disctrove::testing
