// Where the files that come with the program (sounds, help pages, icons) are found.
#pragma once

#include <string>
#include <string_view>

namespace disctrove {

// The first of: beside the executable, the share folder (../share/disctrove) of an installed
// program or of the build tree, which links it to the sources' share/. "" when neither holds it.
std::string ShareFilePath(std::string_view name);

}  // namespace disctrove
