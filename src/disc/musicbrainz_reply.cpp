#include "disc/musicbrainz_reply.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <exception>
#include <optional>

#include "app/genres.h"
#include "platform/system/text.h"

namespace disctrove {

namespace {

using Json = nlohmann::json;

// Real answers nest about eight levels; the limit keeps a hostile answer from costing much.
constexpr int kMaxDepth = 64;

// True when no array or object in `json` nests deeper than kMaxDepth.
bool ShallowEnough(std::string_view json) {
    int depth = 0;
    bool inString = false;
    for (size_t i = 0; i < json.size(); ++i) {
        const char c = json[i];
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > kMaxDepth) {
                return false;
            }
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return true;
}

const Json& Empty() {
    static const Json empty;
    return empty;
}

// The member `key` of `object`, or null when `object` is no object or has no such member.
const Json& Member(const Json& object, const char* key) {
    if (!object.is_object()) {
        return Empty();
    }
    const auto found = object.find(key);
    return found == object.end() ? Empty() : *found;
}

// A string of the answer, without the control characters a name may carry (a newline would
// forge lines of the outputs that hold names one a line).
std::string Text(const Json& object, const char* key) {
    const Json& value = Member(object, key);
    return value.is_string() ? platform::WithoutControls(value.get<std::string>()) : std::string();
}

// The elements of the array `key`; none when it is missing or no array.
const Json& List(const Json& object, const char* key) {
    static const Json none = Json::array();
    const Json& value = Member(object, key);
    return value.is_array() ? value : none;
}

int32_t Whole(const Json& object, const char* key, int32_t fallback) {
    const Json& value = Member(object, key);
    if (!value.is_number_integer()) {
        return fallback;
    }
    const auto number = value.get<int64_t>();
    return number >= 0 && number <= INT32_MAX ? static_cast<int32_t>(number) : fallback;
}

struct Credit {
    std::string name;
    std::string firstArtistId;
    std::vector<std::string> artistIds;  // every credited artist's, in order, once each
};

// An artist credit: the credited names joined with their join phrases.
Credit ReadCredit(const Json& credits) {
    Credit credit;
    if (!credits.is_array()) {
        return credit;
    }
    for (const Json& part : credits) {
        credit.name += Text(part, "name") + Text(part, "joinphrase");
        std::string id = Text(Member(part, "artist"), "id");
        if (credit.firstArtistId.empty()) {
            credit.firstArtistId = id;
        }
        if (!id.empty() && std::find(credit.artistIds.begin(), credit.artistIds.end(), id) ==
                               credit.artistIds.end()) {
            credit.artistIds.push_back(std::move(id));
        }
    }
    return credit;
}

// Lower case, without spaces or hyphens: how a MusicBrainz name and a list name are compared.
std::string Folded(std::string_view name) {
    std::string out;
    for (const char c : name) {
        if (c != ' ' && c != '-') {
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    return out;
}

// The best-voted name of `votes` (a genres or tags list) that the genre list knows; equal votes
// keep the answer's order.
std::string VotedGenre(const Json& votes) {
    std::vector<std::pair<int32_t, std::string>> names;
    for (const Json& vote : votes) {
        names.emplace_back(Whole(vote, "count", 0), Text(vote, "name"));
    }
    std::stable_sort(names.begin(), names.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    for (const auto& [count, name] : names) {
        std::string listed = GenreListName(name);
        if (!listed.empty()) {
            return listed;
        }
    }
    return {};
}

std::string ReleaseGenre(const Json& release) {
    const Json& group = Member(release, "release-group");
    for (const Json* level : {&group, &release}) {
        for (const char* kind : {"genres", "tags"}) {
            std::string genre = VotedGenre(List(*level, kind));
            if (!genre.empty()) {
                return genre;
            }
        }
    }
    return {};
}

bool HoldsDisc(const Json& medium, const std::string& discId) {
    const Json& discs = List(medium, "discs");
    return !discId.empty() && std::any_of(discs.begin(), discs.end(), [&](const Json& disc) {
        return Text(disc, "id") == discId;
    });
}

// The medium of the disc and its place in the media list, or null.
const Json* ChooseMedium(const Json& media, const std::string& discId, size_t audioTracks) {
    const auto first = [&media](auto&& fits) -> const Json* {
        const auto found = std::find_if(media.begin(), media.end(), fits);
        return found == media.end() ? nullptr : &*found;
    };
    if (const Json* medium = first([&](const Json& m) { return HoldsDisc(m, discId); })) {
        return medium;
    }
    if (const Json* medium =
            first([&](const Json& m) { return List(m, "tracks").size() == audioTracks; })) {
        return medium;
    }
    if (const Json* medium = first(
            [](const Json& m) { return Text(m, "format").find("CD") != std::string::npos; })) {
        return medium;
    }
    return media.empty() || !media.front().is_object() ? nullptr : &media.front();
}

std::optional<MusicBrainzRelease> ReadRelease(const Json& json, const std::string& discId,
                                              size_t audioTracks) {
    const Json& media = List(json, "media");
    const Json* medium = ChooseMedium(media, discId, audioTracks);
    if (!json.is_object() || medium == nullptr) {
        return std::nullopt;
    }
    MusicBrainzRelease release;
    release.id = Text(json, "id");
    release.title = Text(json, "title");
    const Credit credit = ReadCredit(Member(json, "artist-credit"));
    release.artist = credit.name;
    release.artistId = credit.firstArtistId;
    release.artistIds = credit.artistIds;
    release.date = Text(json, "date");
    release.barcode = Text(json, "barcode");
    release.discId = discId;
    release.country = Text(json, "country");
    const Json& labels = List(json, "label-info");
    if (!labels.empty()) {
        release.label = Text(Member(labels.front(), "label"), "name");
        release.catalogNumber = Text(labels.front(), "catalog-number");
    }
    release.releaseGroupId = Text(Member(json, "release-group"), "id");
    release.originalDate = Text(Member(json, "release-group"), "first-release-date");
    release.genre = ReleaseGenre(json);
    release.format = Text(*medium, "format");
    release.mediumPosition = Whole(*medium, "position", 1);
    release.mediumCount = static_cast<int32_t>(media.size());
    const auto readTrack = [&credit](const Json& track, int32_t position) {
        ReleaseTrack out;
        out.position = Whole(track, "position", position);
        out.title = Text(track, "title");
        const Json& recording = Member(track, "recording");
        // A track without its own credit has its recording's, and that one the release's.
        const Json& trackCredit = Member(track, "artist-credit");
        const Json& recordingCredit = Member(recording, "artist-credit");
        const Credit artist = trackCredit.is_array()       ? ReadCredit(trackCredit)
                              : recordingCredit.is_array() ? ReadCredit(recordingCredit)
                                                           : credit;
        out.artist = artist.name;
        out.artistId = artist.firstArtistId;
        out.artistIds = artist.artistIds;
        out.recordingId = Text(recording, "id");
        out.id = Text(track, "id");
        return out;
    };
    // The audio before track 1 (a hidden track), when the medium lists it, is its track 0.
    if (const Json& pregap = Member(*medium, "pregap"); pregap.is_object()) {
        release.tracks.push_back(readTrack(pregap, 0));
    }
    const Json& tracks = List(*medium, "tracks");
    for (size_t i = 0; i < tracks.size(); ++i) {
        release.tracks.push_back(readTrack(tracks[i], static_cast<int32_t>(i + 1)));
    }
    return release;
}

}  // namespace

std::string GenreListName(std::string_view name) {
    const std::string folded = Folded(name);
    if (folded.empty()) {
        return {};
    }
    for (size_t i = 0; i < GenreNames.size(); ++i) {
        if (Folded(GenreNames[i]) == folded || Folded(StandardGenreName(i)) == folded) {
            return std::string(GenreNames[i]);
        }
    }
    return {};
}

std::vector<MusicBrainzRelease> ParseMusicBrainzReply(std::string_view json,
                                                      const std::string& discId,
                                                      size_t audioTracks) {
    std::vector<MusicBrainzRelease> releases;
    if (json.size() > kMusicBrainzReplyBytes || !ShallowEnough(json)) {
        return releases;
    }
    try {
        const Json answer = Json::parse(json, nullptr, false);
        for (const Json& release : List(answer, "releases")) {
            if (auto read = ReadRelease(release, discId, audioTracks)) {
                releases.push_back(std::move(*read));
            }
        }
    } catch (const std::exception&) {
        releases.clear();  // out of memory, or a value nlohmann refuses: nothing found
    }
    return releases;
}

}  // namespace disctrove
