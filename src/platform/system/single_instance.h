// The guard against a second running copy: a lock file held for the life of the process.
#pragma once

#include <string>

namespace disctrove::platform {

class SingleInstance {
  public:
    // Takes the lock "NAME.lock" in $XDG_RUNTIME_DIR, else in a folder of the user's alone
    // ($XDG_CACHE_HOME/disctrove, by default ~/.cache/disctrove). A folder others may write to,
    // a link, or a file of another user is not used (problem() says so).
    explicit SingleInstance(const std::string& name);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // False when another copy holds the lock.
    bool acquired() const { return acquired_; }

    // Why the lock could not be taken for another reason than another copy holding it (the
    // lock file cannot be made or locked); empty when there is no such problem. No lock is
    // held then, and acquired() is true: nothing says another copy runs.
    const std::string& problem() const { return problem_; }

  private:
    int fd_ = -1;
    bool acquired_ = false;
    std::string problem_;
};

// Bytes free for the user on the file system holding `path`; -1 when it cannot be told.
long long FreeBytes(const std::string& path);

}  // namespace disctrove::platform
