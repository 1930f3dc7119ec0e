#include "fuzz_support.h"

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>

namespace disctrove::fuzz {

namespace {

class Scratch {
  public:
    Scratch() {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern =
            std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/disctrove-fuzz-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot make a scratch folder");
        }
        path_ = pattern;
    }
    ~Scratch() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

}  // namespace

const std::string& ScratchFolder() {
    static const Scratch scratch;
    return scratch.path();
}

std::string WriteScratchFile(std::string_view name, const uint8_t* data, size_t size) {
    std::string path = ScratchFolder() + "/" + std::string(name);
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
        std::abort();  // the harness itself is broken, not the code under test
    }
    if (size > 0 && std::fwrite(data, 1, size, out) != size) {
        std::abort();
    }
    std::fclose(out);
    return path;
}

}  // namespace disctrove::fuzz
