#include "platform/system/write_faults.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <mutex>

namespace disctrove::platform {

namespace {

std::mutex& FaultsLock() {
    static std::mutex lock;
    return lock;
}

std::optional<WriteFaults>& Faults() {
    static std::optional<WriteFaults> faults;
    return faults;
}

}  // namespace

void InjectWriteFaults(std::optional<WriteFaults> faults) {
    const std::lock_guard lock(FaultsLock());
    Faults() = std::move(faults);
}

std::optional<WriteFaults> WriteFaultsFor(const std::string& path) {
    const std::lock_guard lock(FaultsLock());
    const std::optional<WriteFaults>& faults = Faults();
    if (!faults || path.find(faults->pathContains) == std::string::npos) {
        return std::nullopt;
    }
    return faults;
}

bool WriteAll(int fd, const void* data, size_t size, const std::optional<WriteFaults>& faults,
              int64_t& written) {
    const auto* bytes = static_cast<const char*>(data);
    size_t done = 0;
    while (done < size) {
        size_t piece = size - done;
        if (faults && faults->failAfterBytes >= 0) {
            const int64_t room = std::max<int64_t>(faults->failAfterBytes - written, 0);
            if (room == 0) {
                errno = ENOSPC;
                return false;
            }
            piece = std::min(piece, static_cast<size_t>(room));
        }
        const ssize_t n = ::write(fd, bytes + done, piece);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (n == 0) {
                errno = EIO;
            }
            return false;
        }
        done += static_cast<size_t>(n);
        written += n;
    }
    return true;
}

bool CloseFile(int fd, const std::optional<WriteFaults>& faults) {
    const bool closed = ::close(fd) == 0;
    if (closed && faults && faults->closeFails) {
        errno = EIO;
        return false;
    }
    return closed;
}

}  // namespace disctrove::platform
