// Where the settings file lives.
#pragma once

#include <string>

namespace disctrove {

// Makes every later SettingsPath() return `path` (the front ends' --settings option); an empty
// path removes the override. Called at start-up, before any other thread runs.
void SetSettingsPathOverride(const std::string& path);

// The settings file, worked out afresh at each call: the override, else $DISCTROVE_INI, else
// "dt.ini" beside the executable when that folder is writable or already holds one (a portable
// install), else $XDG_CONFIG_HOME/disctrove/dt.ini (by default ~/.config/disctrove/dt.ini).
std::string SettingsPath();

}  // namespace disctrove
