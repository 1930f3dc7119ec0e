#include "platform/system/files.h"

#include <pthread.h>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace disctrove::platform {

CreateFolderResult CreateFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0777) == 0) {
        return CreateFolderResult::created;
    }
    return errno == EEXIST ? CreateFolderResult::alreadyExists : CreateFolderResult::failed;
}

bool CreateFolderPath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path folder(path.empty() ? "." : path);
    std::filesystem::create_directories(folder, error);
    return std::filesystem::is_directory(folder, error);
}

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

bool RemoveFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

bool WriteWholeFile(const std::string& path, const std::string& text) {
    // A short name of its own, so that a name near the longest allowed still gets one.
    const size_t slash = path.rfind('/');
    const std::string pattern =
        (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) +
        ".disctrove-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        return false;
    }
    size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        written += static_cast<size_t>(n);
    }
    // mkstemp makes the file readable by its owner only; the file gets what a new file gets.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    bool ok = written == text.size() && ::fchmod(fd, 0666 & ~mask) == 0 && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(name.data(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(name.data());
    }
    return ok;
}

void SetIdlePriority() {
    const sched_param parameters{};
    pthread_setschedparam(pthread_self(), SCHED_IDLE, &parameters);
}

}  // namespace disctrove::platform
