// The tags and cover of a conversion's source, read so that the converted file carries them.
#pragma once

#include "codecs/convert_source.h"
#include "codecs/track_tags.h"

namespace disctrove {

// The tags of `source` named as Vorbis comments (and MusicBrainz's tagger) name them: TITLE,
// ARTIST, ALBUM, TRACKNUMBER, DISCNUMBER, MUSICBRAINZ_TRACKID, ...; each value of a tag with
// several its own entry. Its front cover (else its first picture), byte for byte. A track of a
// disc image gets the sheet's names (its TITLE and PERFORMER, the album's) and its number. Tags
// a conversion makes anew are left out: ENCODER, ReplayGain and R128 gains, a sheet. Empty when
// the source has no tags or they cannot be read.
CarriedTags ReadSourceTags(const ConvertSource& source);

}  // namespace disctrove
