// The tags a tagged file of a track gets, named as Vorbis comments name them; each format's
// writer maps them to its own fields.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/options.h"
#include "disc/disc_state.h"
#include "platform/cdrom/disc_facts.h"

namespace disctrove {

struct TrackTag {
    std::string name;   // "TITLE", "ARTIST", ...
    std::string value;  // UTF-8, whole
};

// What a converted file carries over from its source: the source's tags (a name may come more
// than once, one value each) and its front cover (empty: none). Nothing is made up.
struct CarriedTags {
    std::vector<TrackTag> tags;
    std::vector<uint8_t> cover;
};

enum class TagSet {
    // ENCODER, TITLE, ARTIST, ALBUM, ALBUMARTIST, DATE, GENRE, TRACKNUMBER, TRACKTOTAL,
    // DISCNUMBER, DISCTOTAL, COMMENT (the CDDB entry's EXTD), MusicBrainz's
    // MUSICBRAINZ_ALBUMID, _RELEASEGROUPID, _TRACKID (the recording), _RELEASETRACKID,
    // _ARTISTID and _ALBUMARTISTID (one entry per artist), _DISCID, ORIGINALDATE, LABEL,
    // CATALOGNUMBER, MEDIA, RELEASECOUNTRY, and the disc's ISRC and BARCODE
    oggVorbis,
    full,  // the same and DISCID (the CDDB disc ID)
};

// The tags of `track` of `disc` (on the drive `options` choose), those with an empty value left
// out, named as MusicBrainz's tagger names them. ARTIST is the track's own artist where it has
// one, else the disc's. The track and disc numbers and totals, the disc IDs, the comment and the
// release's facts belong to a rip (`fromRip`); a converted WAV file has none. DATE is the
// release's whole date while the disc's Year still agrees with it, else the Year. So do the codes
// the drive reported in `facts` (null: none): the track's ISRC, and the disc's catalogue number
// as BARCODE when the release has no barcode.
std::vector<TrackTag> TrackTags(const Options& options, const DiscState& disc, const Track& track,
                                bool fromRip, TagSet set,
                                const platform::DiscFacts* facts = nullptr);

}  // namespace disctrove
