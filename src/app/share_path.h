// Where the files that come with the program (sounds, help pages, icons) are found.
#pragma once

#include <string>
#include <string_view>

namespace disctrove {

// The first of: beside the executable, the installed share folder (../share/disctrove), the
// share folder of the source tree the program was built from. "" when none holds it.
std::string ShareFilePath(std::string_view name);

}  // namespace disctrove
