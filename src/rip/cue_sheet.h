// The CUE sheet of a rip: the ripped files as one disc, for players and burning programs.
#pragma once

#include <string>
#include <vector>

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

// Where one index of a track of a disc image lies: its number (0 the pregap, 1 the track's start,
// 2 and up the track's own subdivisions) and its sector counted from the image's first.
struct ImageIndex {
    int number = 1;
    int32_t sector = 0;
};

struct ImageTrack {
    const Track* track = nullptr;     // its names and its place in the track list
    int number = 1;                   // as the disc numbers it
    std::vector<ImageIndex> indexes;  // in order, INDEX 01 always among them
};

// The audio of a whole disc in one file: from the disc's first sector (what lies before track 1,
// hidden audio or silence, is its INDEX 00) when its first track is audio, else from the first
// audio track, to the end of the last audio track of the first session, with the gaps where
// they lie.
struct ImageLayout {
    int32_t firstSector = 0;
    int32_t endSector = 0;  // the first sector after the image
    std::vector<ImageTrack> tracks;

    int32_t sectors() const { return endSector - firstSector; }
};

// The layout of the image of `disc` on the drive `options` choose; no tracks when it has no
// audio. Only the tracks the table of contents lists are tracks of the image: audio before the
// first of them is its INDEX 00.
ImageLayout PlanImage(const Options& options, const DiscState& disc,
                      const platform::DiscFacts& facts);

// The CUE sheet of an image: the disc's lines, one FILE line naming `fileName` (in the sheet's
// folder), then each track with its indexes as `layout` places them.
std::string ImageCueSheetText(const Options& options, const DiscState& disc,
                              const platform::DiscFacts& facts, const ImageLayout& layout,
                              const std::string& fileName, EncoderKind kind);

}  // namespace disctrove
