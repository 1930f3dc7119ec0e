#include "platform/system/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "platform/system/environment.h"

namespace disctrove::platform {

SingleInstance::SingleInstance(const std::string& name) {
    std::string folder = EnvironmentValue("XDG_RUNTIME_DIR").value_or(std::string());
    std::string file = name;
    for (char& c : file) {
        c = c == ' ' || c == '/' ? '-' : c;
    }
    if (folder.empty()) {
        folder = "/tmp";
        file += "-" + std::to_string(::getuid());
    }
    const std::string path = folder + "/" + file + ".lock";
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) {
        problem_ =
            "Cannot create the lock file " + path + ":\n" + std::generic_category().message(errno);
        acquired_ = true;
        return;
    }
    // A lock held by another process makes this one fail at once; it goes when that one ends.
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
        acquired_ = true;
    } else if (errno != EWOULDBLOCK) {
        problem_ = "Cannot lock the file " + path + ":\n" + std::generic_category().message(errno);
        acquired_ = true;
    }
}

SingleInstance::~SingleInstance() {
    if (fd_ >= 0) {
        ::close(fd_);  // releases the lock
    }
}

long long FreeBytes(const std::string& path) {
    std::error_code error;
    const auto space = std::filesystem::space(path.empty() ? "." : path, error);
    return error ? -1 : static_cast<long long>(space.available);
}

}  // namespace disctrove::platform
