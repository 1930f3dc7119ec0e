// The temporary files of runs that never ended (killed, crashed, the power gone).
#pragma once

#include <string>

#include "app/options.h"

namespace disctrove {

// Removes the temporary files that runs of this program which are no longer running left in
// the folders `settings` writes to (the temporary folder, the output folders and, when rips go
// into artist and album folders, those below them) and beside the settings file at
// `settingsPath`. Files of running processes and files of other programs stay. Returns how many
// it removed.
int RemoveLeftoverFiles(const Options& settings, const std::string& settingsPath);

}  // namespace disctrove
