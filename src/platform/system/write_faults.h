// A test seam: makes the files the program writes fail the way a full disk, a failing device or
// a folder without write permission do. Only tests set it; the programs never do.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace disctrove::platform {

struct WriteFaults {
    std::string pathContains;     // the files it hits: those whose path contains this text
    int64_t failAfterBytes = -1;  // a file takes this many bytes, then writes fail (ENOSPC)
    bool closeFails = false;      // closing reports EIO (what was written stays written)
    bool createFails = false;     // a file that is not there yet cannot be made (EACCES)
};

// From now on files opened for writing whose path matches fail as told; nothing ends it.
void InjectWriteFaults(std::optional<WriteFaults> faults);

// What the seam asks of a file about to be opened for writing at `path` (nothing when no fault
// hits it). For the file functions of the platform layer.
std::optional<WriteFaults> WriteFaultsFor(const std::string& path);

// Writes `size` bytes to `fd` whole, as far as `faults` allow (`written` counts what the file
// took before); false with errno set when a write fails.
bool WriteAll(int fd, const void* data, size_t size, const std::optional<WriteFaults>& faults,
              int64_t& written);

// Closes `fd`; false when the close fails or `faults` make it fail.
bool CloseFile(int fd, const std::optional<WriteFaults>& faults);

}  // namespace disctrove::platform
