#include "app/settings_path.h"

#include <filesystem>

#include "platform/system/environment.h"

namespace disctrove {

namespace {

constexpr const char* kSettingsFileName = "dt.ini";

std::string overridePath;

std::string FolderOf(const std::string& path) {
    const std::string folder = std::filesystem::path(path).remove_filename().string();
    return folder.empty() ? std::string(".") : folder;
}

}  // namespace

void SetSettingsPathOverride(const std::string& path) {
    overridePath = path;
}

std::string SettingsPath() {
    if (!overridePath.empty()) {
        return overridePath;
    }
    if (auto path = platform::EnvironmentValue("DISCTROVE_INI")) {
        return *path;
    }
    const std::string executable = platform::ExecutablePath();
    if (!executable.empty()) {
        const std::string folder = FolderOf(executable);
        const std::string beside = folder + kSettingsFileName;
        if (platform::FileExists(beside) || platform::IsWritableDirectory(folder)) {
            return beside;
        }
    }
    std::string config = platform::EnvironmentValue("XDG_CONFIG_HOME").value_or(std::string());
    if (config.empty()) {
        config = platform::HomeDirectory() + "/.config";
    }
    return config + "/disctrove/" + kSettingsFileName;
}

}  // namespace disctrove
