#include "codecs/track_tags.h"

#include <array>
#include <cstdio>

#include "app/genres.h"
#include "disc/disc.h"

namespace disctrove {

std::vector<TrackTag> TrackTags(const Options& options, const DiscState& disc, const Track& track,
                                bool fromRip, TagSet set, const platform::DiscFacts* facts) {
    std::vector<TrackTag> tags = {
        {"ENCODER", "Disctrove"},
        {"TITLE", track.title},
        {"ARTIST", track.artist.empty() ? disc.Artist : track.artist},
        {"ALBUM", disc.Album},
        {"ALBUMARTIST", disc.release.albumArtist},
        {"DATE", disc.Year},
        {"GENRE", std::string(GenreNameOf(disc.Genre))},
    };
    if (fromRip) {
        tags.push_back({"TRACKNUMBER", std::to_string(track.Number())});
        tags.push_back({"TRACKTOTAL", std::to_string(DiscTrackCount(disc.tracks))});
        const auto drive = static_cast<size_t>(options.Cdrom);
        if (set == TagSet::full && options.Cdrom >= 0 && drive < disc.drives.size() &&
            disc.drives[drive].discId != kNoDiscId) {
            std::array<char, 9> id{};
            std::snprintf(id.data(), id.size(), "%08x", disc.drives[drive].discId);
            tags.push_back({"DISCID", id.data()});
        }
        // The release's identifiers name the disc, so a converted file never gets them.
        const ReleaseFacts& release = disc.release;
        tags.push_back({"MUSICBRAINZ_ALBUMID", release.releaseId});
        tags.push_back({"MUSICBRAINZ_RELEASEGROUPID", release.releaseGroupId});
        tags.push_back({"MUSICBRAINZ_TRACKID", track.recordingId});
        tags.push_back(
            {"MUSICBRAINZ_ARTISTID", track.artistId.empty() ? release.artistId : track.artistId});
        tags.push_back({"MUSICBRAINZ_ALBUMARTISTID", release.artistId});
        // The codes the disc itself carries, as the drive reported them.
        if (facts != nullptr) {
            const platform::TrackFacts* own = TrackFactsOf(options, disc, *facts, track);
            tags.push_back({"ISRC", own != nullptr ? own->isrc : ""});
            tags.push_back({"BARCODE", facts->catalog});
        }
    }
    std::erase_if(tags, [](const TrackTag& tag) { return tag.value.empty(); });
    return tags;
}

}  // namespace disctrove
