// C stream files owned by a handle that closes them.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "platform/system/files.h"

namespace disctrove {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// std::fopen into an owning handle; empty when the file cannot be opened.
inline UniqueFile OpenFile(const std::string& path, const char* mode) {
    return UniqueFile(platform::OpenStream(path, mode));
}

// A new working file for writing into an owning handle (platform::CreateWorkingStream): never a
// file that is there already, never through a link. Empty when it cannot be made.
inline UniqueFile CreateWorkingFile(const std::string& path, const char* mode,
                                    unsigned permissions = 0666) {
    return UniqueFile(platform::CreateWorkingStream(path, mode, permissions));
}

}  // namespace disctrove
