#include "platform/system/files.h"

#include <pthread.h>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

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

void SetIdlePriority() {
    const sched_param parameters{};
    pthread_setschedparam(pthread_self(), SCHED_IDLE, &parameters);
}

}  // namespace disctrove::platform
