#include "platform/system/files.h"

#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>
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

// A stream over `fd` (which it then owns), through the fault seam when `faults` say so.
std::FILE* StreamOn(int fd, const char* mode, const std::optional<WriteFaults>& faults) {
    if (!faults) {
        std::FILE* file = ::fdopen(fd, mode);
        if (file == nullptr) {
            ::close(fd);
        }
        return file;
    }
    auto stream = std::make_unique<FaultyStream>();
    stream->faults = faults;
    stream->fd = fd;
    const cookie_io_functions_t functions{StreamRead, StreamWrite, StreamSeek, StreamClose};
    std::FILE* file = ::fopencookie(stream.get(), mode, functions);
    if (file == nullptr) {
        ::close(fd);
        return nullptr;
    }
    stream.release();  // the stream's close frees it
    return file;
}

// Opens `path` for writing as std::fopen's `mode` ("w…", "a…", "r+…") would, but never through a
// link: one planted at the name by another account would have us write into whatever it points
// at. Through the fault seam when `faults` say so.
std::FILE* OpenWritingStream(const std::string& path, const char* mode,
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
    if (faults && faults->createFails && (flags & O_CREAT) != 0 &&
        ::stat(path.c_str(), &existing) != 0) {
        errno = EACCES;
        return nullptr;
    }
    const int fd = ::open(path.c_str(), flags | O_NOFOLLOW | O_CLOEXEC, 0666);
    return fd < 0 ? nullptr : StreamOn(fd, mode, faults);
}

// The locks that tell clean-ups (of this process and of others, in other PID namespaces too)
// that this process's working files are in use: for each, a descriptor sharing the lock taken
// when the file was made, kept until the file is renamed or removed.
class HeldLocks {
  public:
    HeldLocks() = default;
    HeldLocks(const HeldLocks&) = delete;
    HeldLocks& operator=(const HeldLocks&) = delete;
    ~HeldLocks() {
        for (const auto& [path, fd] : held_) {
            ::close(fd);
        }
    }

    void Hold(const std::string& path, int fd) {
        const std::lock_guard lock(mutex_);
        const auto [at, added] = held_.emplace(path, fd);
        if (!added) {
            ::close(at->second);
            at->second = fd;
        }
    }

    void Release(const std::string& path) {
        const std::lock_guard lock(mutex_);
        if (const auto at = held_.find(path); at != held_.end()) {
            ::close(at->second);
            held_.erase(at);
        }
    }

  private:
    std::mutex mutex_;
    std::map<std::string, int> held_;
};

HeldLocks& Locks() {
    static HeldLocks locks;
    return locks;
}

bool SameInode(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Makes `path` a new file of this process, open with `flags` and locked as in use: never a file
// that is there already (one another user put there), never through a link. -1 with errno
// EEXIST when the name is taken, so that the caller picks another.
int CreateLockedFile(const std::string& path, int flags, mode_t permissions) {
    const int fd =
        ::open(path.c_str(), flags | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, permissions);
    if (fd < 0) {
        return -1;
    }
    // A clean-up elsewhere may have found the file before our lock: then it is, or is about to
    // be, gone, and the name counts as taken. A file system without locks keeps the file
    // unlocked (the clean-up then goes by the process id alone).
    struct stat made {};
    struct stat there {};
    if ((::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) || ::fstat(fd, &made) != 0 ||
        ::lstat(path.c_str(), &there) != 0 || !SameInode(made, there)) {
        ::close(fd);
        errno = EEXIST;
        return -1;
    }
    const int held = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (held < 0) {
        const int error = errno;
        ::unlink(path.c_str());
        ::close(fd);
        errno = error;
        return -1;
    }
    Locks().Hold(path, held);
    return fd;
}

// Removes `path` when it is a regular file of this user that no process holds in use (locked),
// looking at the file it removes, not at a name that may change under it.
bool RemoveIfUnused(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat opened {};
    struct stat there {};
    const bool unused = ::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) &&
                        opened.st_uid == ::geteuid() && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
                        ::lstat(path.c_str(), &there) == 0 && SameInode(opened, there);
    const bool removed = unused && ::unlink(path.c_str()) == 0;
    ::close(fd);
    return removed;
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
        // A process of another PID namespace (a container, another machine on a shared
        // folder) may have the same id as a dead one of ours, or none we can see: its files are
        // locked while in use.
        if (owner && entry.is_regular_file(kind) && !ProcessRunning(*owner) &&
            RemoveIfUnused(entry.path())) {
            ++removed;
        }
    }
    return removed;
}

}  // namespace

std::FILE* OpenStream(const std::string& path, const char* mode) {
    if (std::string_view(mode).find_first_of("wa+") == std::string_view::npos) {
        return std::fopen(path.c_str(), mode);
    }
    return OpenWritingStream(path, mode, WriteFaultsFor(path));
}

std::string TemporaryPathBeside(const std::string& path) {
    static std::atomic<unsigned> made{0};
    std::filesystem::path beside(path);
    const std::string name = beside.filename().string();
    // A short name of its own, so that a name near the longest allowed still gets one; the
    // extension stays for the libraries that go by it.
    const size_t dot = name.rfind('.');
    const std::string extension = dot != std::string::npos && dot > 0 && name.size() - dot <= 8
                                      ? name.substr(dot)
                                      : std::string();
    beside.replace_filename(".disctrove-" + std::to_string(ProcessId()) + "-" +
                            std::to_string(++made) + extension);
    return beside.string();
}

std::string WritingPathFor(const std::string& path) {
    struct stat existing {};
    if (::lstat(path.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode) &&
        !S_ISLNK(existing.st_mode)) {
        return path;
    }
    // A name that someone put there before us (a link planted at a name we would take) is
    // passed over.
    std::string name = TemporaryPathBeside(path);
    for (int tries = 1; tries < 100 && (::lstat(name.c_str(), &existing) == 0 || errno != ENOENT);
         ++tries) {
        name = TemporaryPathBeside(path);
    }
    return name;
}

std::FILE* CreateWorkingStream(const std::string& path, const char* mode, unsigned permissions) {
    struct stat existing {};
    if (::lstat(path.c_str(), &existing) == 0 &&
        (S_ISCHR(existing.st_mode) || S_ISBLK(existing.st_mode))) {
        return OpenStream(path, mode);  // a device is written as it is
    }
    const std::optional<WriteFaults> faults = WriteFaultsFor(path);
    if (faults && faults->createFails) {
        errno = EACCES;
        return nullptr;
    }
    const bool update = std::string_view(mode).find('+') != std::string_view::npos;
    const int fd = CreateLockedFile(path, update ? O_RDWR : O_WRONLY, permissions);
    if (fd < 0) {
        return nullptr;
    }
    std::FILE* file = StreamOn(fd, mode, faults);
    if (file == nullptr) {
        RemoveFile(path);
    }
    return file;
}

bool ReplaceFile(const std::string& from, const std::string& to) {
    if (from == to) {
        return true;
    }
    // The lock goes with the file only once it has its name, so no clean-up takes it before.
    const bool renamed = ::rename(from.c_str(), to.c_str()) == 0;
    const int error = errno;
    if (!renamed) {
        ::unlink(from.c_str());
    }
    Locks().Release(from);
    errno = error;
    return renamed;
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

bool CreateWritableFolderPath(const std::string& path, std::string& reason) {
    std::error_code error;
    const std::filesystem::path folder(path.empty() ? "." : path);
    std::filesystem::create_directories(folder, error);
    std::error_code kind;
    if (!std::filesystem::is_directory(folder, kind)) {
        // A file where the folder should be "exists", but it is no folder.
        if (!error || error == std::errc::file_exists) {
            error = std::make_error_code(std::errc::not_a_directory);
        }
        reason = error.message();
        return false;
    }
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        reason = std::generic_category().message(errno);
        return false;
    }
    reason.clear();
    return true;
}

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

bool RemoveFile(const std::string& path) {
    const bool removed = ::unlink(path.c_str()) == 0 || errno == ENOENT;
    const int error = errno;
    Locks().Release(path);
    errno = error;
    return removed;
}

ExistingFile ReadExistingFile(const std::string& path, size_t limit, std::string& text) {
    text.clear();
    // O_NONBLOCK: a fifo planted under the name must not keep us waiting for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        struct stat link {};
        if (error == ENOENT) {
            return ExistingFile::none;
        }
        return ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode) ? ExistingFile::link
                                                                          : ExistingFile::other;
    }
    struct stat file {};
    bool whole = ::fstat(fd, &file) == 0 && S_ISREG(file.st_mode) &&
                 static_cast<uint64_t>(file.st_size) <= limit;
    if (whole) {
        text.resize(static_cast<size_t>(file.st_size));
        size_t got = 0;
        while (got < text.size()) {
            const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                whole = n == 0;  // a read error: not what the file holds
                break;
            }
            got += static_cast<size_t>(n);
        }
        // A file that shrank meanwhile is read as far as it went.
        text.resize(got);
    }
    ::close(fd);
    if (!whole) {
        text.clear();
        return ExistingFile::other;
    }
    return ExistingFile::regular;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        return std::nullopt;
    }
    return text.str();
}

bool WriteWholeFile(const std::string& path, const std::string& text) {
    const std::optional<WriteFaults> faults = WriteFaultsFor(path);
    if (faults && faults->createFails) {
        errno = EACCES;
        return false;
    }
    // The file gets what a new file gets (the umask applies); a name that is taken is passed
    // over.
    std::string name = TemporaryPathBeside(path);
    int fd = CreateLockedFile(name, O_WRONLY, 0666);
    for (int tries = 1; fd < 0 && errno == EEXIST && tries < 100; ++tries) {
        name = TemporaryPathBeside(path);
        fd = CreateLockedFile(name, O_WRONLY, 0666);
    }
    if (fd < 0) {
        return false;
    }
    int64_t written = 0;
    bool ok = WriteAll(fd, text.data(), text.size(), faults, written) && ::fsync(fd) == 0;
    ok = CloseFile(fd, faults) && ok;
    if (!ok) {
        RemoveFile(name);
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
