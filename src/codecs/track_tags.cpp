#include "codecs/track_tags.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "app/genres.h"
#include "disc/disc.h"

namespace disctrove {

namespace {

// The release's whole date ("1997-05-21") while the Year the disc has is still its year; the
// Year as it stands once the user has given it another.
std::string DateOf(const DiscState& disc, bool fromRip) {
    const std::string& whole = disc.release.date;
    return fromRip && !disc.Year.empty() && whole.size() > disc.Year.size() &&
                   whole.starts_with(disc.Year) && whole[disc.Year.size()] == '-'
               ? whole
               : disc.Year;
}

// One entry of `name` per value, in order; `single` alone when `several` is empty.
void AddEach(std::vector<TrackTag>& tags, const char* name, const std::vector<std::string>& several,
             const std::string& single) {
    if (several.empty()) {
        tags.push_back({name, single});
    }
    for (const std::string& value : several) {
        tags.push_back({name, value});
    }
}

// The release's album artist; for a disc named by hand or from CDDB whose tracks have artists of
// their own (a compilation), the album artist the window shows: without it a music library files
// each track of the album under its own artist.
std::string AlbumArtistOf(const DiscState& disc, bool fromRip) {
    if (!disc.release.albumArtist.empty() || !fromRip) {
        return disc.release.albumArtist;
    }
    const bool compilation = std::any_of(disc.tracks.begin(), disc.tracks.end(),
                                         [](const Track& track) { return !track.artist.empty(); });
    return compilation ? disc.Artist : std::string();
}

std::string NumberText(int32_t number) {
    return number > 0 ? std::to_string(number) : std::string();
}

}  // namespace

std::vector<TrackTag> TrackTags(const Options& options, const DiscState& disc, const Track& track,
                                bool fromRip, TagSet set, const platform::DiscFacts* facts) {
    std::vector<TrackTag> tags = {
        {"ENCODER", "Disctrove"},
        {"TITLE", track.title},
        {"ARTIST", track.artist.empty() ? disc.Artist : track.artist},
        {"ALBUM", disc.Album},
        {"ALBUMARTIST", AlbumArtistOf(disc, fromRip)},
        {"DATE", DateOf(disc, fromRip)},
        {"GENRE", std::string(GenreNameOf(disc.Genre))},
    };
    if (fromRip) {
        tags.push_back({"TRACKNUMBER", std::to_string(track.Number())});
        tags.push_back({"TRACKTOTAL", std::to_string(DiscTrackCount(disc.tracks))});
        tags.push_back({"DISCNUMBER", NumberText(disc.DiscNumber)});
        tags.push_back({"DISCTOTAL", NumberText(disc.DiscTotal)});
        const auto drive = static_cast<size_t>(options.Cdrom);
        if (set == TagSet::full && options.Cdrom >= 0 && drive < disc.drives.size() &&
            disc.drives[drive].discId != kNoDiscId) {
            std::array<char, 9> id{};
            std::snprintf(id.data(), id.size(), "%08x", disc.drives[drive].discId);
            tags.push_back({"DISCID", id.data()});
        }
        tags.push_back({"COMMENT", disc.comment});
        // The release's identifiers name the disc, so a converted file never gets them.
        const ReleaseFacts& release = disc.release;
        tags.push_back({"MUSICBRAINZ_ALBUMID", release.releaseId});
        tags.push_back({"MUSICBRAINZ_RELEASEGROUPID", release.releaseGroupId});
        tags.push_back({"MUSICBRAINZ_TRACKID", track.recordingId});
        tags.push_back({"MUSICBRAINZ_RELEASETRACKID", track.releaseTrackId});
        if (!track.artistIds.empty() || !track.artistId.empty()) {
            AddEach(tags, "MUSICBRAINZ_ARTISTID", track.artistIds, track.artistId);
        } else {
            AddEach(tags, "MUSICBRAINZ_ARTISTID", release.artistIds, release.artistId);
        }
        AddEach(tags, "MUSICBRAINZ_ALBUMARTISTID", release.artistIds, release.artistId);
        tags.push_back({"MUSICBRAINZ_DISCID", release.discId});
        tags.push_back({"ORIGINALDATE", release.originalDate});
        tags.push_back({"LABEL", release.label});
        tags.push_back({"CATALOGNUMBER", release.catalogNumber});
        tags.push_back({"MEDIA", release.media});
        tags.push_back({"RELEASECOUNTRY", release.country});
        // The codes the disc itself carries, as the drive reported them; the release's barcode
        // before the drive's catalogue number, which many drives read wrong or not at all.
        const platform::TrackFacts* own =
            facts != nullptr ? TrackFactsOf(options, disc, *facts, track) : nullptr;
        tags.push_back({"ISRC", own != nullptr ? own->isrc : ""});
        tags.push_back({"BARCODE", !release.barcode.empty() ? release.barcode
                                   : facts != nullptr       ? facts->catalog
                                                            : ""});
    }
    std::erase_if(tags, [](const TrackTag& tag) { return tag.value.empty(); });
    return tags;
}

}  // namespace disctrove
