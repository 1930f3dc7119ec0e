// What the program knows of the disc in the chosen drive: the drive list, the disc's audio
// tracks, its names and the release chosen for it.
#pragma once

#include <string>
#include <vector>

#include "app/options.h"
#include "disc/disc_model.h"
#include "disc/release.h"

namespace disctrove {

struct DiscState : DiscNames {
    std::vector<Drive> drives;  // the CD drives and disc images
    std::vector<Track> tracks;  // the audio tracks of the current disc
    ReleaseFacts release;       // of the release chosen for the disc
    std::string comment;        // the CDDB entry's EXTD: what it tells of the disc, or ""
    CoverArt cover;             // the cover of the last release whose cover was fetched
};

}  // namespace disctrove
