// The program's name and version, as the About box, the CDDB hello and --version show them.
#pragma once

namespace disctrove {

inline constexpr const char* kProgramName = "Disctrove";
// From project() in CMakeLists.txt, so the package, the metainfo and the programs agree.
extern const char* const kProgramVersion;

}  // namespace disctrove
