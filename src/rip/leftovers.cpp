#include "rip/leftovers.h"

#include <filesystem>
#include <vector>

#include "platform/system/files.h"

namespace disctrove {

int RemoveLeftoverFiles(const Options& settings, const std::string& settingsPath) {
    std::vector<std::string> flat{settings.Tmpfolder};
    // The settings' folder as written before its file's name, without the last slash.
    const std::string folder = std::filesystem::path(settingsPath).remove_filename().string();
    flat.push_back(folder.empty() ? std::string(".") : folder.substr(0, folder.size() - 1));
    // The output folders hold the files being encoded, in the artist and album folders below
    // them when rips go there.
    std::vector<std::string> outputs(settings.folderHistory.begin(), settings.folderHistory.end());
    if (outputs.empty()) {
        outputs.push_back(".");
    }
    return platform::RemoveOrphanedTemporaryFiles(flat, 0) +
           platform::RemoveOrphanedTemporaryFiles(outputs, settings.RipInFolder != 0 ? 2 : 0);
}

}  // namespace disctrove
