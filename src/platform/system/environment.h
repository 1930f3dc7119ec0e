// What the program asks of the operating system about itself and its surroundings.
#pragma once

#include <optional>
#include <string>

namespace disctrove::platform {

// Full path of the running executable ("" when the system cannot tell).
std::string ExecutablePath();

// The value of an environment variable; nothing when it is unset or empty.
std::optional<std::string> EnvironmentValue(const char* name);

// The user's home folder ("" when unknown).
std::string HomeDirectory();

// The program's folder in the user's cache ($XDG_CACHE_HOME/disctrove, by default
// ~/.cache/disctrove), made for the user alone when it is not there yet.
std::string UserCacheFolder();

// The ID of the running process.
int ProcessId();

bool FileExists(const std::string& path);

// True when files can be created in `folder`.
bool IsWritableDirectory(const std::string& folder);

}  // namespace disctrove::platform
