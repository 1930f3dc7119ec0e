#include "disc/release_apply.h"

#include <cctype>

#include "app/genres.h"

namespace disctrove {

namespace {

// "1997-05-21" and "1997" give "1997"; a date without a four-digit year gives "".
std::string YearOf(const std::string& date) {
    if (date.size() < 4) {
        return {};
    }
    for (size_t i = 0; i < 4; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(date[i]))) {
            return {};
        }
    }
    return date.substr(0, 4);
}

}  // namespace

void ApplyRelease(DiscState& disc, const MusicBrainzRelease& release) {
    disc.Album = release.title;
    disc.Artist = release.artist;
    disc.Year = YearOf(release.date);
    const int32_t genre = LookupGenre(release.genre);
    if (!release.genre.empty() && genre >= 0) {
        disc.Genre = genre + 1;
    }
    for (Track& track : disc.tracks) {
        track.artist.clear();
        track.artistId.clear();
        track.recordingId.clear();
        track.artistIds.clear();
        track.releaseTrackId.clear();
    }
    // Positions are the disc's numbers; a release's track 0 names the hidden track.
    for (const ReleaseTrack& named : release.tracks) {
        Track* numbered = TrackNumbered(disc.tracks, named.position);
        if (numbered == nullptr) {
            continue;
        }
        Track& track = *numbered;
        track.title = named.title;
        track.artist = named.artist != release.artist ? named.artist : std::string();
        track.artistId = named.artistId;
        track.recordingId = named.recordingId;
        track.artistIds = named.artistIds;
        track.releaseTrackId = named.id;
    }
    disc.release = {.albumArtist = release.artist,
                    .releaseId = release.id,
                    .releaseGroupId = release.releaseGroupId,
                    .artistId = release.artistId,
                    .title = release.title,
                    .date = release.date,
                    .country = release.country,
                    .artistIds = release.artistIds,
                    .label = release.label,
                    .catalogNumber = release.catalogNumber,
                    .barcode = release.barcode,
                    .media = release.format,
                    .originalDate = release.originalDate,
                    .discId = release.discId};
    disc.comment.clear();  // a CDDB entry's
    disc.DiscNumber = release.mediumCount > 0 ? release.mediumPosition : 0;
    disc.DiscTotal = release.mediumCount;
}

}  // namespace disctrove
