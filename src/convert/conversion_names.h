// The names of the files a batch conversion writes.
#pragma once

#include <string>
#include <vector>

#include "app/formats.h"
#include "codecs/convert_source.h"
#include "codecs/track_tags.h"

namespace disctrove {

// Folders by album artist and album, then number and title.
inline constexpr const char* kDefaultConversionTemplate = "$A/$l/$n - $t";
// The same for a disc of a set of several, which has its own album folder as in a rip.
inline constexpr const char* kDefaultSetConversionTemplate = "$A/$l (Disc $d)/$n - $t";

// Where `source` is converted to under `outdir`, with the extension of `kind`:
// - `keepTree`: at the source's place below the folder it was found in (a file given by itself
//   straight in outdir), with its own name; a track of an image is "NN - title" beside the place
//   of its sheet;
// - else by `nameTemplate` from `tags`: the codes of the rip's names ($a artist, $A album artist,
//   $r track artist, $l album, $y year, $g genre, $t title, $n number, $d disc number, $s the
//   number of discs, $$) and "/" between folders; no template: the default one, that of a set
//   for a disc that DISCNUMBER and DISCTOTAL tell is one of several. A source without a title is
//   named after its own file instead: nothing is made up. Every folder and file name is made safe:
//   no name of dots, none that leads out of outdir.
std::string ConversionOutputPath(const std::string& outdir, const std::string& nameTemplate,
                                 bool keepTree, const ConvertSource& source,
                                 const std::vector<TrackTag>& tags, EncoderKind kind);

}  // namespace disctrove
