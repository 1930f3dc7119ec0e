// The tags a tagged file of a track gets, named as Vorbis comments name them; each format's
// writer maps them to its own fields.
#pragma once

#include <string>
#include <vector>

#include "app/settings.h"

namespace disctrove {

struct TrackTag {
    std::string name;   // "TITLE", "ARTIST", ...
    std::string value;  // UTF-8, whole
};

enum class TagSet {
    oggVorbis,  // ENCODER, TITLE, ARTIST, ALBUM, DATE, GENRE, TRACKNUMBER, TRACKTOTAL
    full,       // the same and DISCID (the CDDB disc ID)
};

// The tags of `track` of the disc in `settings`, those with an empty value left out. The track
// number, total and disc ID belong to a rip (`fromRip`); a converted WAV file has none.
std::vector<TrackTag> TrackTags(const Settings& settings, const Track& track, bool fromRip,
                                TagSet set);

}  // namespace disctrove
