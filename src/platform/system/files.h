// Folders and files, as the workers need them.
#pragma once

#include <string>

namespace disctrove::platform {

enum class CreateFolderResult { created, alreadyExists, failed };

// Creates one folder (its parent must exist).
CreateFolderResult CreateFolder(const std::string& path);

// Creates a folder with every missing folder above it ("" is the current folder). False when
// it is not there afterwards.
bool CreateFolderPath(const std::string& path);

// Deletes a file; a missing file is no error. False when it exists and cannot be deleted.
bool RemoveFile(const std::string& path);

// Writes `text` to `path` whole or not at all: into a new file beside it, then renamed over it.
// False (and nothing left behind) when it cannot be written.
bool WriteWholeFile(const std::string& path, const std::string& text);

// True when `a` and `b` name the same existing file (through links and relative paths too).
bool SameFile(const std::string& a, const std::string& b);

// Makes the calling thread run only when nothing else wants the processor.
void SetIdlePriority();

}  // namespace disctrove::platform
