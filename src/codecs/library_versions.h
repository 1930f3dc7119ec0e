// The versions of the encoder libraries in use, as the libraries themselves report them (the
// options pages show them).
#pragma once

#include <string>

#include "app/formats.h"

namespace disctrove {

// LAME's version as beVersion reports it ("3.100"); "" when the library cannot be loaded, with
// the reason in `problem` (the loader's, or the binding message).
std::string LameVersion(std::string& problem);

// libvorbis's own version string ("Xiph.Org libVorbis 1.3.7").
std::string VorbisVersion();

// The library that makes files of `kind`, with its version where it says it: "LAME 3.100",
// "libFLAC 1.4.2", "libopus 1.3.1", ...; "" for WAV, which needs none.
std::string EncoderLibraryText(EncoderKind kind);

}  // namespace disctrove
