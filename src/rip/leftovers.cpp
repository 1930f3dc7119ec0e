#include "rip/leftovers.h"

#include <vector>

#include "platform/system/files.h"

namespace disctrove {

int RemoveLeftoverFiles(const Options& settings, const std::string& settingsPath) {
    std::vector<std::string> flat{settings.Tmpfolder};
    const size_t slash = settingsPath.rfind('/');
    flat.push_back(slash == std::string::npos ? std::string(".") : settingsPath.substr(0, slash));
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
