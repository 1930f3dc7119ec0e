#include "platform/ffmpeg/ffmpeg_library.h"

#include <dlfcn.h>

#include <cstdlib>

namespace disctrove::platform {

namespace {

#define DISCTROVE_TEXT(x) #x
#define DISCTROVE_VERSION_TEXT(x) DISCTROVE_TEXT(x)
// The major versions of the headers we were built with: another major has another ABI.
constexpr const char* kAvformat =
    "libavformat.so." DISCTROVE_VERSION_TEXT(LIBAVFORMAT_VERSION_MAJOR);
constexpr const char* kAvcodec = "libavcodec.so." DISCTROVE_VERSION_TEXT(LIBAVCODEC_VERSION_MAJOR);

struct Loaded {
    FfmpegFunctions functions;
    std::string problem;  // "" when loaded
};

template <typename Pointer>
bool Bind(void* handle, const char* name, Pointer& pointer, std::string& problem) {
    pointer = reinterpret_cast<Pointer>(::dlsym(handle, name));
    if (pointer == nullptr) {
        problem = std::string(name) + " is missing from FFmpeg's libraries";
    }
    return pointer != nullptr;
}

// The handles stay open for the life of the process: encoder and decoder threads may still be
// in FFmpeg while the program ends, and FFmpeg is not made to be unloaded.
Loaded Load() {
    Loaded loaded;
    void* handle = nullptr;  // at the end, libavformat's
    for (const char* name : {kAvcodec, kAvformat}) {
        handle = ::dlopen(name, RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            const char* text = ::dlerror();
            loaded.problem =
                std::string("FFmpeg cannot be loaded: ") + (text != nullptr ? text : name);
            return loaded;
        }
    }
    // libavformat's handle finds libavcodec's functions too: libavcodec is among its needs.
    FfmpegFunctions& f = loaded.functions;
#define DISCTROVE_FFMPEG_BIND(name)                     \
    if (!Bind(handle, #name, f.name, loaded.problem)) { \
        return loaded;                                  \
    }
    DISCTROVE_FFMPEG_FUNCTIONS(DISCTROVE_FFMPEG_BIND)
#undef DISCTROVE_FFMPEG_BIND
    return loaded;
}

const Loaded& Library() {
    static const Loaded loaded = Load();
    return loaded;
}

}  // namespace

bool LoadFfmpeg(std::string& problem) {
    problem = Library().problem;
    return problem.empty();
}

const FfmpegFunctions& Ffmpeg() {
    const Loaded& loaded = Library();
    if (!loaded.problem.empty()) {
        std::abort();  // a caller that did not ask LoadFfmpeg first
    }
    return loaded.functions;
}

}  // namespace disctrove::platform
