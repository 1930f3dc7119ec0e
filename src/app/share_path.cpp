#include "app/share_path.h"

#include <filesystem>

#include "platform/system/environment.h"

namespace disctrove {

std::string ShareFilePath(std::string_view name) {
    const std::string executable = platform::ExecutablePath();
    const std::string folder = std::filesystem::path(executable).remove_filename().string();
    const std::string candidates[] = {
        folder + std::string(name),
        folder + "../share/disctrove/" + std::string(name),
    };
    for (const std::string& path : candidates) {
        if (platform::FileExists(path)) {
            return path;
        }
    }
    return {};
}

}  // namespace disctrove
