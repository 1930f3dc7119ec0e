#include "platform/system/files.h"

#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include "platform/system/environment.h"
#include "platform/system/write_faults.h"

namespace disctrove::platform {

namespace {

// A stream whose writes go through the fault seam.
struct FaultyStream {
    int fd = -1;
    std::optional<WriteFaults> faults;
    int64_t written = 0;
};

ssize_t StreamRead(void* cookie, char* buffer, size_t size) {
    return ::read(static_cast<FaultyStream*>(cookie)->fd, buffer, size);
}

ssize_t StreamWrite(void* cookie, const char* buffer, size_t size) {
    auto* stream = static_cast<FaultyStream*>(cookie);
    // A stream's write reports a failure as 0 bytes taken.
    return WriteAll(stream->fd, buffer, size, stream->faults, stream->written)
               ? static_cast<ssize_t>(size)
               : 0;
}

int StreamSeek(void* cookie, off64_t* offset, int whence) {
    const off_t at = ::lseek(static_cast<FaultyStream*>(cookie)->fd, *offset, whence);
    if (at < 0) {
        return -1;
    }
    *offset = at;
    return 0;
}

int StreamClose(void* cookie) {
    const std::unique_ptr<FaultyStream> stream(static_cast<FaultyStream*>(cookie));
    return CloseFile(stream->fd, stream->faults) ? 0 : -1;
}

std::FILE* OpenFaultyStream(const std::string& path, const char* mode,
                            const std::optional<WriteFaults>& faults) {
    const std::string_view how(mode);
    const bool update = how.find('+') != std::string_view::npos;
    int flags = update ? O_RDWR : O_WRONLY;
    if (how.front() == 'w') {
        flags |= O_CREAT | O_TRUNC;
    } else if (how.front() == 'a') {
        flags |= O_CREAT | O_APPEND;
    }
    struct stat existing {};
    if (faults->createFails && (flags & O_CREAT) != 0 && ::stat(path.c_str(), &existing) != 0) {
        errno = EACCES;
        return nullptr;
    }
    auto stream = std::make_unique<FaultyStream>();
    stream->faults = faults;
    stream->fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
    if (stream->fd < 0) {
        return nullptr;
    }
    const cookie_io_functions_t functions{StreamRead, StreamWrite, StreamSeek, StreamClose};
    std::FILE* file = ::fopencookie(stream.get(), mode, functions);
    if (file == nullptr) {
        ::close(stream->fd);
        return nullptr;
    }
    stream.release();  // the stream's close frees it
    return file;
}

// The id in the name of a temporary file of ours, or nothing when the name is not one.
std::optional<long> OwnerOfTemporaryName(const std::string& name) {
    std::string_view rest;
    if (name.rfind(".disctrove-", 0) == 0) {
        rest = std::string_view(name).substr(11);
    } else if (name.rfind("cddatmp-", 0) == 0 && name.size() > 4 &&
               name.compare(name.size() - 4, 4, ".pcm") == 0) {
        rest = std::string_view(name).substr(8);
    } else {
        return std::nullopt;
    }
    long id = 0;
    size_t digits = 0;
    while (digits < rest.size() && digits < 10 && rest[digits] >= '0' && rest[digits] <= '9') {
        id = id * 10 + (rest[digits] - '0');
        ++digits;
    }
    if (digits == 0 || digits == rest.size() || rest[digits] != '-' || id <= 0 ||
        id > std::numeric_limits<pid_t>::max()) {
        return std::nullopt;
    }
    return id;
}

bool ProcessRunning(long id) {
    return id == ProcessId() || ::kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM;
}

int RemoveOrphansIn(const std::filesystem::path& folder, int depth) {
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    int removed = 0;
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        const auto& entry = *entries;
        std::error_code kind;
        if (entry.is_symlink(kind)) {
            continue;  // never followed: what it points at belongs to no one we know
        }
        if (entry.is_directory(kind)) {
            if (depth > 0) {
                removed += RemoveOrphansIn(entry.path(), depth - 1);
            }
            continue;
        }
        const std::optional<long> owner = OwnerOfTemporaryName(entry.path().filename().string());
        if (owner && entry.is_regular_file(kind) && !ProcessRunning(*owner) &&
            ::unlink(entry.path().c_str()) == 0) {
            ++removed;
        }
    }
    return removed;
}

}  // namespace

std::FILE* OpenStream(const std::string& path, const char* mode) {
    const std::optional<WriteFaults> faults =
        std::string_view(mode).find_first_of("wa+") != std::string_view::npos ? WriteFaultsFor(path)
                                                                              : std::nullopt;
    return faults ? OpenFaultyStream(path, mode, faults) : std::fopen(path.c_str(), mode);
}

std::string TemporaryPathBeside(const std::string& path) {
    static std::atomic<unsigned> made{0};
    const size_t slash = path.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    // A short name of its own, so that a name near the longest allowed still gets one; the
    // extension stays for the libraries that go by it.
    const size_t dot = path.rfind('.');
    const std::string extension =
        dot != std::string::npos && dot > nameStart && path.size() - dot <= 8 ? path.substr(dot)
                                                                              : std::string();
    return path.substr(0, nameStart) + ".disctrove-" + std::to_string(ProcessId()) + "-" +
           std::to_string(++made) + extension;
}

std::string WritingPathFor(const std::string& path) {
    struct stat existing {};
    if (::lstat(path.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
        return path;
    }
    return TemporaryPathBeside(path);
}

bool ReplaceFile(const std::string& from, const std::string& to) {
    if (from == to) {
        return true;
    }
    if (::rename(from.c_str(), to.c_str()) == 0) {
        return true;
    }
    const int error = errno;
    ::unlink(from.c_str());
    errno = error;
    return false;
}

int RemoveOrphanedTemporaryFiles(const std::vector<std::string>& folders, int depth) {
    int removed = 0;
    std::vector<std::filesystem::path> seen;
    for (const std::string& folder : folders) {
        std::error_code error;
        const auto canonical =
            std::filesystem::weakly_canonical(folder.empty() ? "." : folder, error);
        if (error || std::find(seen.begin(), seen.end(), canonical) != seen.end()) {
            continue;
        }
        seen.push_back(canonical);
        removed += RemoveOrphansIn(canonical, depth);
    }
    return removed;
}

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
    const std::optional<WriteFaults> faults = WriteFaultsFor(path);
    const std::string name = TemporaryPathBeside(path);
    if (faults && faults->createFails) {
        errno = EACCES;
        return false;
    }
    // The file gets what a new file gets (the umask applies).
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return false;
    }
    int64_t written = 0;
    bool ok = WriteAll(fd, text.data(), text.size(), faults, written) && ::fsync(fd) == 0;
    ok = CloseFile(fd, faults) && ok;
    if (!ok) {
        ::unlink(name.c_str());
        return false;
    }
    return ReplaceFile(name, path);
}

void SetIdlePriority() {
    // The batch class at the thread's nice still gets its fair share beside other busy
    // processes, and a waking interactive thread still goes first. The idle class would starve:
    // it runs only when nothing else of its group wants the processor.
    const sched_param parameters{};
    pthread_setschedparam(pthread_self(), SCHED_BATCH, &parameters);
}

}  // namespace disctrove::platform
