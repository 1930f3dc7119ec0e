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

}  // namespace disctrove
