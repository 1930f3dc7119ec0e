#include "ui/name_edits.h"

#include <utility>

#include "disc/disc.h"

namespace disctrove::ui {

NameEdits::NameEdits(DiscState& disc, std::function<bool()> mayEdit, QObject* parent)
    : QObject(parent), disc_(disc), mayEdit_(std::move(mayEdit)) {}

void NameEdits::Push(Step step) {
    steps_.push_back(std::move(step));
    if (steps_.size() > kSteps) {
        steps_.pop_front();
    }
}

// What the album field `field` holds now, as a step that would put it back.
NameEdits::Step NameEdits::AlbumValue(Field field) const {
    Step step{field, 0, {}, {}, 0, false};
    switch (field) {
        case Field::artist:
            step.text = disc_.Artist;
            step.more = disc_.release.albumArtist;
            break;
        case Field::album:
            step.text = disc_.Album;
            break;
        case Field::year:
            step.text = disc_.Year;
            break;
        case Field::genre:
            step.number = disc_.Genre;
            break;
        case Field::discNumber:
            step.number = disc_.DiscNumber;
            break;
        case Field::discTotal:
            step.number = disc_.DiscTotal;
            break;
        case Field::title:
        case Field::trackArtist:
            break;  // a track's names are kept by SetTrackTitle and SetTrackArtist
    }
    return step;
}

void NameEdits::BeforeEdit(Field field) {
    if (field == Field::title || field == Field::trackArtist ||
        (open_ && !steps_.empty() && steps_.back().field == field)) {
        return;  // not an album field, or the same field still being typed into
    }
    open_ = true;
    Step step = AlbumValue(field);
    step.wasTyped = typedAlbum_.count(field) != 0;
    Push(std::move(step));
}

bool NameEdits::SetTrackTitle(size_t track, const std::string& title) {
    if (track >= disc_.tracks.size() || !mayEdit_()) {
        return false;
    }
    open_ = false;
    Track& t = disc_.tracks[track];
    const std::string wanted = title.empty() ? DefaultTrackTitle(t) : title;
    // A name passed over with Enter is not typed: a look-up may still name the track.
    if (wanted != t.title) {
        Push({Field::title, track, t.title, {}, 0, typed_[track].title.has_value()});
        t.title = wanted;
        typed_[track].title = wanted;
    }
    return true;
}

bool NameEdits::SetTrackArtist(size_t track, const std::string& artist) {
    if (track >= disc_.tracks.size() || !mayEdit_()) {
        return false;
    }
    open_ = false;
    Track& t = disc_.tracks[track];
    const std::string wanted = artist == disc_.Artist ? std::string() : artist;
    if (wanted != t.artist) {
        Push(
            {Field::trackArtist, track, t.artist, t.artistId, 0, typed_[track].artist.has_value()});
        t.artist = wanted;
        t.artistId.clear();  // it named the artist replaced
        typed_[track].artist = wanted;
    }
    return true;
}

void NameEdits::AlbumTyped(Field field) {
    if (field == Field::title || field == Field::trackArtist) {
        return;
    }
    Step now = AlbumValue(field);
    now.more.clear();
    now.wasTyped = true;
    typedAlbum_[field] = std::move(now);
}

void NameEdits::AlbumEditedElsewhere(const DiscNames& before) {
    const std::pair<Field, bool> changes[] = {
        {Field::artist, before.Artist != disc_.Artist},
        {Field::album, before.Album != disc_.Album},
        {Field::year, before.Year != disc_.Year},
        {Field::genre, before.Genre != disc_.Genre},
        {Field::discNumber, before.DiscNumber != disc_.DiscNumber},
        {Field::discTotal, before.DiscTotal != disc_.DiscTotal},
    };
    for (const auto& [field, changed] : changes) {
        if (changed) {
            AlbumTyped(field);
        }
    }
}

void NameEdits::Put(const Step& step) {
    Track* track = step.track < disc_.tracks.size() ? &disc_.tracks[step.track] : nullptr;
    switch (step.field) {
        case Field::artist:
            disc_.Artist = step.text;
            break;
        case Field::album:
            disc_.Album = step.text;
            break;
        case Field::year:
            disc_.Year = step.text;
            break;
        case Field::genre:
            disc_.Genre = step.number;
            break;
        case Field::discNumber:
            disc_.DiscNumber = step.number;
            break;
        case Field::discTotal:
            disc_.DiscTotal = step.number;
            break;
        case Field::title:
            if (track != nullptr) {
                track->title = step.text;
            }
            break;
        case Field::trackArtist:
            if (track != nullptr) {
                track->artist = step.text;
                track->artistId = step.more;
            }
            break;
    }
}

bool NameEdits::Undo() {
    open_ = false;
    if (steps_.empty() || !mayEdit_()) {
        return false;
    }
    const Step step = std::move(steps_.back());
    steps_.pop_back();
    Put(step);
    if (step.field == Field::artist) {
        disc_.release.albumArtist = step.more;
    }
    // What was typed is as it was before the step: a refresh or a look-up puts that back.
    const std::optional<std::string> typed =
        step.wasTyped ? std::optional<std::string>(step.text) : std::nullopt;
    switch (step.field) {
        case Field::title:
            typed_[step.track].title = typed;
            break;
        case Field::trackArtist:
            typed_[step.track].artist = typed;
            break;
        default:
            if (step.wasTyped) {
                typedAlbum_[step.field] = {step.field, 0, step.text, {}, step.number, false};
            } else {
                typedAlbum_.erase(step.field);
            }
            break;
    }
    emit changed();
    return true;
}

void NameEdits::PutTyped() {
    for (const auto& [field, typed] : typedAlbum_) {
        Put(typed);
    }
    if (typedAlbum_.count(Field::artist) != 0 && !disc_.release.releaseId.empty()) {
        disc_.release.albumArtist = disc_.Artist;  // the album artist field's, as typed
    }
    for (const auto& [index, typed] : typed_) {
        if (index >= disc_.tracks.size()) {
            continue;
        }
        Track& track = disc_.tracks[index];
        if (typed.title) {
            track.title = *typed.title;
        }
        if (typed.artist && track.artist != *typed.artist) {
            track.artist = *typed.artist;
            track.artistId.clear();
        }
    }
}

void NameEdits::LookupApplied() {
    open_ = false;
    steps_.clear();
    PutTyped();
    emit changed();
}

void NameEdits::DiscRead() {
    open_ = false;
    if (disc_.tracks.empty()) {
        return;  // no disc: what was typed waits for it to come back
    }
    if (disc_.DiscId != discId_) {
        // Another disc: its names are its own, and the steps were the other's.
        discId_ = disc_.DiscId;
        typed_.clear();
        typedAlbum_.clear();
        steps_.clear();
        return;
    }
    PutTyped();
    emit changed();
}

}  // namespace disctrove::ui
