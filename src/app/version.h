// The program's name and version, as the About box and the CDDB hello show them.
#pragma once

namespace disctrove {

inline constexpr const char* kProgramName = "Disctrove";
inline constexpr const char* kProgramVersion = "3.1";

}  // namespace disctrove
