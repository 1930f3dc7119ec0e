#include "platform/system/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "platform/system/environment.h"

namespace disctrove::platform {

namespace {

// Where the lock lives: the session's runtime folder, else a folder of the user's own cache,
// made for the user alone. Never a shared folder such as /tmp, where another user could make
// and hold the lock first and keep the program from starting.
std::string LockFolder() {
    if (auto runtime = EnvironmentValue("XDG_RUNTIME_DIR")) {
        return *runtime;
    }
    return UserCacheFolder();
}

// A descriptor that is closed when it goes out of scope.
struct Descriptor {
    explicit Descriptor(int value) : fd(value) {}
    ~Descriptor() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    const int fd;
};

// True when `info` is of the user and no one else may change what it holds.
bool OwnedAlone(const struct stat& info) {
    return info.st_uid == ::getuid() && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

}  // namespace

SingleInstance::SingleInstance(const std::string& name) {
    std::string file = name;
    for (char& c : file) {
        c = c == ' ' || c == '/' ? '-' : c;
    }
    const std::string folder = LockFolder();
    const std::string path = folder + "/" + file + ".lock";
    const auto cannotCreate = [&](const std::string& reason) {
        problem_ = "Cannot create the lock file " + path + ":\n" + reason;
        acquired_ = true;  // no lock, and nothing says another copy runs
    };
    // Neither the folder nor the file is taken through a link, or from another user.
    const Descriptor folderFd(
        ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (folderFd.fd < 0) {
        cannotCreate(std::generic_category().message(errno));
        return;
    }
    struct stat info {};
    if (::fstat(folderFd.fd, &info) != 0 || !OwnedAlone(info)) {
        cannotCreate("its folder is not yours alone");
        return;
    }
    fd_ = ::openat(folderFd.fd, (file + ".lock").c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC,
                   0600);
    if (fd_ < 0) {
        cannotCreate(std::generic_category().message(errno));
        return;
    }
    if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::getuid()) {
        ::close(fd_);
        fd_ = -1;
        cannotCreate("it is not a file of yours");
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
