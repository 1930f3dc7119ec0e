// The CUE sheet of a rip: the ripped files as one disc, for players and burning programs.
#pragma once

#include <string>

#include "app/options.h"
#include "disc/disc.h"
#include "disc/disc_state.h"
#include "platform/cdrom/disc_facts.h"
#include "rip/rip_result.h"

namespace disctrove {

// The sectors of `track`'s pregap (index 0 up to its start) when known, else 0.
int32_t PregapSectors(const Options& options, const DiscState& disc,
                      const platform::DiscFacts& facts, const Track& track);

// The sectors before `track` when it is the disc's first track and does not start it (a hidden
// track, or silence, before its INDEX 01); else 0. Only the hidden track's rip reads them.
int32_t SectorsBeforeFirstTrack(const Options& options, const DiscState& disc, const Track& track);

// `path` relative to `folder` (which ends in "/"); the file name when it lies elsewhere.
std::string PathInFolder(const std::string& folder, const std::string& path);

// The sheet of the completed tracks of the run `rip`, whose files lie in `folder` (where the sheet
// goes). Each file holds its track up to the next track's start, so the pregap of a track lies at
// the end of the previous file: its INDEX 00 is written when that file is in the sheet. A double
// quote cannot be escaped in a CUE sheet, so one in a title becomes a single quote. Empty when
// no track was completed.
std::string CueSheetText(const Options& options, const DiscState& disc, const RipResult& rip,
                         const platform::DiscFacts& facts, const std::string& folder);

}  // namespace disctrove
