// The settings file "dt.ini": reading it into the settings record and writing it back.
#pragma once

#include <string>

#include "app/options.h"
#include "platform/profile/profile_document.h"

namespace disctrove {

// Reads the file at `path` into `options` and `names`. A missing file or key leaves the field as
// it is; a value that does not parse gives the fallback of its kind. False when the file is there
// but cannot be read (the records keep their values; SaveSettings will not replace that file).
bool LoadSettings(Options& options, DiscNames& names, const std::string& path);

// The same from a settings file already in memory.
void LoadSettings(Options& options, DiscNames& names, const platform::ProfileDocument& document);

// True when `section` / `key` names a key of the settings file (names ignore case).
bool IsSettingsKey(const std::string& section, const std::string& key);

// Writes every stored key of `options` and `names` to the file at `path`, keeping the file's
// other lines. Outfolder is first set to entry 0 of the folder history. keepStoredDrive: Cdrom
// keeps the value the file holds (the chosen drive is a disc image, chosen for one session only).
// Returns false when the file could not be written, and leaves it untouched when it could not be
// read or was made read-only (callers carry on: the settings stay in memory). A file that already
// holds these settings is not written again.
bool SaveSettings(Options& options, const DiscNames& names, const std::string& path,
                  bool keepStoredDrive);

// Writes the read offset of one drive (its key in section OFFSETS) into the file at `path` and
// nothing else: what the terminal program, which never writes the settings, keeps of a search for
// a drive's offset. False when the file could not be read or written.
bool SaveDriveOffset(const std::string& path, const std::string& driveKey,
                     const DriveReadOffset& offset);

}  // namespace disctrove
