#include "tools/cddb_server.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <thread>

namespace disctrove::testing {

namespace {

namespace fs = std::filesystem;

std::string Base64(const std::string& text) {
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < text.size(); i += 3) {
        uint32_t chunk = static_cast<uint8_t>(text[i]) << 16;
        if (i + 1 < text.size()) {
            chunk |= static_cast<uint8_t>(text[i + 1]) << 8;
        }
        if (i + 2 < text.size()) {
            chunk |= static_cast<uint8_t>(text[i + 2]);
        }
        out += kDigits[(chunk >> 18) & 63];
        out += kDigits[(chunk >> 12) & 63];
        out += i + 1 < text.size() ? kDigits[(chunk >> 6) & 63] : '=';
        out += i + 2 < text.size() ? kDigits[chunk & 63] : '=';
    }
    return out;
}

std::string Decode(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            out += ' ';
        } else if (text[i] == '%' && i + 2 < text.size() &&
                   std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
                   std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

std::string Lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

bool IsSafeName(const std::string& name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0;
    });
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The text with CRLF line ends.
std::string CrLf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') {
            out += "\r\n";
        } else if (c != '\r') {
            out += c;
        }
    }
    return out;
}

// UTF-8 to ISO-8859-1, as servers send below protocol level 6 ("?" for what it cannot hold).
std::string Latin1(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            out += text[i];
        } else if ((byte & 0xE0) == 0xC0 && i + 1 < text.size()) {
            const uint32_t value = ((byte & 0x1Fu) << 6) | (text[++i] & 0x3F);
            out += value <= 0xFF ? static_cast<char>(value) : '?';
        } else {
            out += '?';
            while (i + 1 < text.size() && (text[i + 1] & 0xC0) == 0x80) {
                ++i;
            }
        }
    }
    return out;
}

std::string ValueOf(const std::string& entry, const std::string& key) {
    const size_t at = entry.find("\n" + key);
    if (at == std::string::npos) {
        return {};
    }
    const size_t start = at + 1 + key.size();
    return entry.substr(start, entry.find_first_of("\r\n", start) - start);
}

size_t TrackCount(const std::string& entry) {
    std::set<std::string> numbers;
    for (size_t at = entry.find("\nTTITLE"); at != std::string::npos;
         at = entry.find("\nTTITLE", at + 1)) {
        const size_t equals = entry.find('=', at);
        numbers.insert(entry.substr(at, equals - at));
    }
    return numbers.size();
}

std::string HttpAnswer(const std::string& status, const std::string& headers,
                       const std::string& body) {
    return "HTTP/1.0 " + status + "\r\n" + headers + "Content-Type: text/plain\r\n" +
           "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" +
           body;
}

}  // namespace

CddbServer::CddbServer(std::string folder, uint16_t port)
    : folder_(std::move(folder)), listener_(port, [this](int connection, const std::string& head) {
          Handle(connection, head);
      }) {}

CddbServer::~CddbServer() {
    listener_.Stop();
    for (const int connection : stalled_) {
        ::close(connection);
    }
}

void CddbServer::RequireProxyLogin(const std::string& login) {
    const std::lock_guard lock(mutex_);
    proxyLogin_ = login;
}

void CddbServer::SetRawAnswer(const std::string& commandStart, const std::string& body) {
    const std::lock_guard lock(mutex_);
    rawAnswers_.emplace_back(commandStart, body);
}

std::vector<CddbServer::Request> CddbServer::Requests() const {
    const std::lock_guard lock(mutex_);
    return requests_;
}

void CddbServer::Handle(int connection, const std::string& head) {
    Request request;
    std::istringstream lines(head);
    std::string method, target, line;
    lines >> method >> target;
    std::getline(lines, line);
    while (std::getline(lines, line) && line != "\r") {
        const std::string header = "proxy-authorization:";
        if (Lower(line).rfind(header, 0) == 0) {
            const auto words = Words(line.substr(header.size()));  // "Basic" and the credentials
            request.proxyAuthorization = words.size() == 2 ? words[0] + " " + words[1] : "";
        }
    }
    const RequestTarget split = SplitTarget(target);
    request.proxied = split.proxied;
    request.host = split.host;
    target = split.path;
    const size_t question = target.find('?');
    request.path = target.substr(0, question);
    if (question != std::string::npos) {
        std::istringstream query(target.substr(question + 1));
        std::string pair;
        while (std::getline(query, pair, '&')) {
            const size_t equals = pair.find('=');
            request.parameters[Decode(pair.substr(0, equals))] =
                equals == std::string::npos ? std::string() : Decode(pair.substr(equals + 1));
        }
    }

    std::string login;
    {
        const std::lock_guard lock(mutex_);
        requests_.push_back(request);
        login = proxyLogin_;
        if (stalling_) {
            stalled_.push_back(connection);
            return;
        }
    }
    while (holding_ && !listener_.stopping()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::string answer;
    if (request.proxied && !login.empty() &&
        request.proxyAuthorization != "Basic " + Base64(login)) {
        answer = HttpAnswer("407 Proxy Authentication Required",
                            "Proxy-Authenticate: Basic realm=\"cddb\"\r\n", "");
    } else if (request.path != "/~cddb/cddb.cgi") {
        answer = HttpAnswer("404 Not Found", "", "");
    } else {
        answer = HttpAnswer("200 OK", "", Answer(request));
    }
    std::string resetCommand;
    {
        const std::lock_guard lock(mutex_);
        resetCommand = resetCommand_;
    }
    const bool reset = !resetCommand.empty() && request.parameters["cmd"].starts_with(resetCommand);
    LoopbackListener::Answer(connection, answer, reset);
}

std::string CddbServer::Answer(const Request& request) const {
    const auto parameter = [&](const std::string& name) {
        const auto found = request.parameters.find(name);
        return found == request.parameters.end() ? std::string() : found->second;
    };
    const std::string command = parameter("cmd");
    {
        const std::lock_guard lock(mutex_);
        for (const auto& [start, body] : rawAnswers_) {
            if (command.rfind(start, 0) == 0) {
                return body;
            }
        }
    }
    if (Words(parameter("hello")).size() != 4) {
        return "409 No handshake\r\n";
    }
    const std::string level = parameter("proto").empty() ? "1" : parameter("proto");
    if (level.size() != 1 || level[0] < '1' || level[0] > highestLevel_) {
        return "501 Illegal protocol level.\r\n";
    }
    std::string body;
    if (command.rfind("cddb query ", 0) == 0) {
        body = Query(command, level);
    } else if (command.rfind("cddb read ", 0) == 0) {
        body = Read(command);
    } else {
        body = "500 Unrecognized command.\r\n";
    }
    return level == "6" ? body : Latin1(body);
}

std::string CddbServer::Query(const std::string& command, const std::string& level) const {
    const auto words = Words(command);
    if (words.size() < 5) {
        return "500 Command syntax error.\r\n";
    }
    const std::string discId = Lower(words[2]);
    const size_t tracks = std::strtoul(words[3].c_str(), nullptr, 10);
    std::vector<std::string> exact;
    std::vector<std::string> inexact;
    std::error_code error;
    for (const auto& category : fs::directory_iterator(folder_, error)) {
        if (!category.is_directory()) {
            continue;
        }
        for (const auto& file : fs::directory_iterator(category.path(), error)) {
            const std::string entry = "\n" + ReadFile(file.path());
            const std::string line = category.path().filename().string() + " " +
                                     file.path().filename().string() + " " +
                                     ValueOf(entry, "DTITLE=");
            if (Lower(file.path().filename().string()) == discId) {
                exact.push_back(line);
            } else if (TrackCount(entry) == tracks) {
                inexact.push_back(line);
            }
        }
    }
    std::sort(exact.begin(), exact.end());
    std::sort(inexact.begin(), inexact.end());
    if (exact.size() == 1 || (!exact.empty() && level < "4")) {
        return "200 " + exact.front() + "\r\n";
    }
    const auto list = [](const std::string& status, const std::vector<std::string>& lines) {
        std::string body = status + "\r\n";
        for (const auto& line : lines) {
            body += line + "\r\n";
        }
        return body + ".\r\n";
    };
    if (!exact.empty()) {
        return list("210 Found exact matches, list follows (until terminating `.')", exact);
    }
    if (!inexact.empty()) {
        return list("211 Found inexact matches, list follows (until terminating `.')", inexact);
    }
    return "202 No match for disc ID " + discId + ".\r\n";
}

std::string CddbServer::Read(const std::string& command) const {
    const auto words = Words(command);
    if (words.size() != 4 || !IsSafeName(words[2]) || !IsSafeName(words[3])) {
        return "500 Command syntax error.\r\n";
    }
    const fs::path path = fs::path(folder_) / words[2] / Lower(words[3]);
    if (!fs::is_regular_file(path)) {
        return "401 " + words[2] + " " + words[3] + " No such CD entry in database.\r\n";
    }
    std::string entry = CrLf(ReadFile(path));
    if (!entry.empty() && !entry.ends_with("\r\n")) {
        entry += "\r\n";
    }
    return "210 " + words[2] + " " + words[3] +
           " CD database entry follows (until terminating `.')\r\n" + entry + ".\r\n";
}

}  // namespace disctrove::testing
