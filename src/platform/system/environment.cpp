#include "platform/system/environment.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace disctrove::platform {

std::string ExecutablePath() {
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

std::optional<std::string> EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') {
        return std::nullopt;
    }
    return std::string(value);
}

int ProcessId() {
    return static_cast<int>(::getpid());
}

std::string HomeDirectory() {
    if (auto home = EnvironmentValue("HOME")) {
        return *home;
    }
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd entry{};
    passwd* result = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 &&
        result != nullptr && result->pw_dir != nullptr) {
        return result->pw_dir;
    }
    return {};
}

std::string UserCacheFolder() {
    std::string cache = EnvironmentValue("XDG_CACHE_HOME").value_or(std::string());
    if (cache.empty() || cache.front() != '/') {
        cache = HomeDirectory() + "/.cache";
    }
    std::error_code ignored;  // a folder that cannot be made shows up when it is opened
    std::filesystem::create_directories(cache, ignored);
    const std::string folder = cache + "/disctrove";
    ::mkdir(folder.c_str(), 0700);
    return folder;
}

bool FileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

bool IsWritableDirectory(const std::string& folder) {
    struct stat info {};
    return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           ::access(folder.c_str(), W_OK | X_OK) == 0;
}

}  // namespace disctrove::platform
