// Names of everything a rip or a conversion writes: output files, artist and album folders,
// playlists.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/options.h"
#include "disc/disc_state.h"
#include "work/file_names.h"

namespace disctrove {

// The file name (without folder and extension) of `track` from `nameTemplate` (the one in use)
// and the disc's artist, album, year and genre: $a artist, $A album artist (the artist when the
// disc has none), $r the track's artist (else the album artist), $l album, $y year, $g genre, $t
// title, $n number, $d the disc's number in its set and $s the number of discs in the set
// (nothing while unknown), $$ "$"; codes but $a and $A in either case. Cut at a character boundary
// so that the name and any of our extensions fit in one file name, without blanks at either end. A
// name that comes out empty or of dots and blanks alone is the two-digit track number instead, and
// a leading dot "_" (no hidden file).
std::string ExpandTemplate(const DiscState& disc, const std::string& nameTemplate,
                           const Track& track);

// The disc ID of the chosen drive as read at the last refresh (kNoDiscId without one).
uint32_t CurrentDiscId(const Options& options, const DiscState& disc);

// Folder names of a rip: the disc artist or album, or "Artist-%XL" / "Album-%XL" with the disc
// ID when it is empty; a disc of a set of several has its own album folder, "Album (Disc 2)".
// Illegal characters are replaced, blanks at either end dropped, and a name of dots and blanks
// alone ("", ".", "..", ". .") becomes "_", so disc data never leads out of the output folder; a
// leading dot becomes "_".
std::string ArtistFolderName(const Options& options, const DiscState& disc);
std::string AlbumFolderName(const Options& options, const DiscState& disc);

// "artist - album.m3u", with "Unknown artist" and "Album%XL" standing in for empty fields; a disc
// of a set of several "artist - album (Disc 2).m3u", so that its log, CUE sheet and image are
// its own beside the other discs'.
std::string PlaylistName(const Options& options, const DiscState& disc);

// The folder a rip starts from, ending in "/": entry 0 of the folder history, or the current
// directory.
std::string RipBaseFolder(const Options& options);

// The folder the files of a rip go to: the base folder, extended by the artist and album
// folders when RipInFolder is on.
std::string RipOutputFolder(const Options& options, const DiscState& disc);

// Full path of the file that a rip writes for `track`, with the extension of its encoder.
std::string RipOutputPath(const Options& options, const DiscState& disc,
                          const std::string& nameTemplate, const Track& track);

// Path of the raw PCM temporary file of `track`: in Tmpfolder, else in the current output folder
// (entry 0 of the folder history), else in the current directory. The name carries the process
// ID and the track number, so two runs and two tracks never share a file.
std::string TempPcmPath(const Options& options, const Track& track);

}  // namespace disctrove
