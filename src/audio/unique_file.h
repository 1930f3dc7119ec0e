// C stream files owned by a handle that closes them.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace disctrove {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// std::fopen into an owning handle; empty when the file cannot be opened.
inline UniqueFile OpenFile(const std::string& path, const char* mode) {
    return UniqueFile(std::fopen(path.c_str(), mode));
}

}  // namespace disctrove
