// The versions of the encoder libraries in use, as the libraries themselves report them (the
// options pages show them).
#pragma once

#include <string>

namespace disctrove {

// LAME's version as beVersion reports it ("3.100"); "" when the library cannot be loaded, with
// the reason in `problem` (the loader's, or the binding message).
std::string LameVersion(std::string& problem);

// libvorbis's own version string ("Xiph.Org libVorbis 1.3.7").
std::string VorbisVersion();

}  // namespace disctrove
