#include "disc/name_choice.h"

#include <string>
#include <utility>

#include "disc/cddb_reply_parser.h"
#include "disc/disc.h"
#include "disc/release_apply.h"

namespace disctrove {

namespace {

// The CDDB entry told as a release: parsed into a track list of the disc's length, so that
// showing it changes nothing of the disc.
MusicBrainzRelease CddbNames(const std::string& reply, const DiscState& disc) {
    DiscState entry;
    entry.tracks.resize(disc.tracks.size());
    LookupResult unused;
    ParseCddbReply(reply, entry, unused);
    MusicBrainzRelease names;
    names.artist = entry.Artist;
    names.title = entry.Album;
    names.date = entry.Year;
    for (size_t i = 0; i < entry.tracks.size(); ++i) {
        if (!entry.tracks[i].title.empty()) {
            ReleaseTrack& named = names.tracks.emplace_back();
            named.position = static_cast<int32_t>(i + 1);
            named.title = entry.tracks[i].title;
        }
    }
    return names;
}

}  // namespace

MusicBrainzRelease CdTextNames(const DiscState& disc, const Drive& drive) {
    const platform::CdText& text = drive.cdText;
    MusicBrainzRelease names;
    names.artist = text.performer;
    names.title = text.title;
    for (const Track& track : disc.tracks) {
        const std::optional<size_t> entry = drive.toc.IndexOfAudioAt(track.startSector);
        if (!entry || *entry >= text.tracks.size()) {
            continue;
        }
        const platform::CdText::Track& named = text.tracks[*entry];
        if (!named.title.empty() || !named.performer.empty()) {
            ReleaseTrack& told = names.tracks.emplace_back();
            told.position = track.Number();
            told.title = named.title;
            told.artist = named.performer;
        }
    }
    return names;
}

void ApplyCdText(DiscState& disc, const MusicBrainzRelease& names) {
    if (disc.Artist.empty()) {
        disc.Artist = names.artist;
    }
    if (disc.Album.empty()) {
        disc.Album = names.title;
    }
    for (Track& track : disc.tracks) {
        track.artistId.clear();
        track.recordingId.clear();
        track.artistIds.clear();
        track.releaseTrackId.clear();
    }
    for (const ReleaseTrack& named : names.tracks) {
        Track* numbered = TrackNumbered(disc.tracks, named.position);
        if (numbered == nullptr) {
            continue;
        }
        Track& track = *numbered;
        if (!named.title.empty() && track.title == DefaultTrackTitle(track)) {
            track.title = named.title;
        }
        // A performer who is the album's own is no track artist of its own.
        if (track.artist.empty() && named.artist != names.artist) {
            track.artist = named.artist;
        }
    }
    disc.release = {};
    disc.comment.clear();  // of a CDDB entry not chosen
}

std::vector<NameChoice> NameChoicesFor(const LookupResult& found, const DiscState& disc,
                                       const Drive* drive) {
    std::vector<NameChoice> choices;
    if (found.lookupAnswer == LookupAnswer::musicBrainz) {
        for (const MusicBrainzRelease& release : found.releaseCandidates) {
            choices.push_back({NameSource::musicBrainz, release});
        }
    } else if (found.lookupAnswer == LookupAnswer::cddb && !found.cddbReply.empty()) {
        choices.push_back({NameSource::cddb, CddbNames(found.cddbReply, disc)});
    }
    if (!choices.empty() && drive != nullptr && !drive->cdText.empty()) {
        choices.push_back({NameSource::cdText, CdTextNames(disc, *drive)});
    }
    return choices;
}

void ApplyNameChoice(DiscState& disc, LookupResult& found, const NameChoice& choice) {
    switch (choice.source) {
        case NameSource::musicBrainz:
            ApplyRelease(disc, choice.names);
            return;
        case NameSource::cddb:
            ParseCddbReply(found.cddbReply, disc, found);
            return;
        case NameSource::cdText:
            ApplyCdText(disc, choice.names);
            return;
    }
}

}  // namespace disctrove
