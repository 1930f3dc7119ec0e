#include "rip/naming.h"

#include <array>
#include <charconv>

#include "disc/genres.h"
#include "platform/system/environment.h"
#include "platform/system/text.h"

namespace disctrove {

namespace {

// Every extension we give a file is four bytes long (".wav", ".mp3", ".m3u", ...).
constexpr size_t kExtensionBytes = 4;

// "%X" of the disc ID.
std::string HexId(uint32_t id) {
    std::array<char, 8> digits{};
    const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), id, 16);
    std::string text(digits.data(), result.ptr);
    for (char& c : text) {
        if (c >= 'a' && c <= 'f') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

// A disc field made safe to use as one folder name.
std::string FolderName(std::string name) {
    ReplaceIllegalChars(name);
    if (name.empty() || name == "." || name == "..") {
        return "_";
    }
    return CutToFileName(name, kMaxFileNameBytes);
}

std::string NameWithId(const std::string& field, const char* prefix, const Settings& settings) {
    return field.empty() ? prefix + HexId(CurrentDiscId(settings)) + "L" : field;
}

}  // namespace

std::string ExpandTemplate(const Settings& settings, const Track& track) {
    const std::string& pattern = settings.currentTemplate;
    std::string name;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '$') {
            name += pattern[i];
            continue;
        }
        if (++i == pattern.size()) {
            break;  // a "$" at the end is dropped
        }
        switch (pattern[i]) {
            case 'a':
                name += settings.Artist;
                break;
            case 'A':  // the album artist; only a MusicBrainz release tells it apart
                name += settings.release.albumArtist.empty() ? settings.Artist
                                                             : settings.release.albumArtist;
                break;
            case 'r':
            case 'R':
                if (!track.artist.empty()) {
                    name += track.artist;
                } else {
                    name += settings.release.albumArtist.empty() ? settings.Artist
                                                                 : settings.release.albumArtist;
                }
                break;
            case 'l':
            case 'L':
                name += settings.Album;
                break;
            case 'y':
            case 'Y':
                name += settings.Year;
                break;
            case 'g':
            case 'G':
                name += GenreNameOf(settings.Genre);
                break;
            case 't':
            case 'T':
                name += track.title;
                break;
            case 'n':
            case 'N':
                name += platform::TwoDigits(track.index + 1);
                break;
            case '$':
                name += '$';
                break;
            default:
                break;  // an unknown code is dropped with its "$"
        }
    }
    ReplaceIllegalChars(name);
    // A name that is no name of its own (a template or metadata that expands to nothing, ".",
    // "..") would make a hidden file that every track shares: the track number stands in.
    if (name.empty() || name == "." || name == "..") {
        return platform::TwoDigits(track.index + 1);
    }
    return CutToFileName(name, kMaxFileNameBytes - kExtensionBytes);
}

uint32_t CurrentDiscId(const Settings& settings) {
    const auto drive = static_cast<size_t>(settings.Cdrom);
    return settings.Cdrom >= 0 && drive < settings.drives.size() ? settings.drives[drive].discId
                                                                 : kNoDiscId;
}

std::string ArtistFolderName(const Settings& settings) {
    return FolderName(NameWithId(settings.Artist, "Artist-", settings));
}

std::string AlbumFolderName(const Settings& settings) {
    return FolderName(NameWithId(settings.Album, "Album-", settings));
}

std::string PlaylistName(const Settings& settings) {
    std::string stem = (settings.Artist.empty() ? std::string("Unknown artist") : settings.Artist) +
                       " - " + NameWithId(settings.Album, "Album", settings);
    ReplaceIllegalChars(stem);
    return CutToFileName(stem, kMaxFileNameBytes - kExtensionBytes) + ".m3u";
}

std::string RipBaseFolder(const Settings& settings) {
    const std::string_view folder =
        settings.folderHistory.empty() ? std::string_view() : settings.folderHistory.front();
    return JoinPath(folder, "");
}

std::string RipOutputFolder(const Settings& settings) {
    std::string folder = RipBaseFolder(settings);
    if (settings.RipInFolder) {
        folder += ArtistFolderName(settings) + "/" + AlbumFolderName(settings) + "/";
    }
    return folder;
}

std::string RipOutputPath(const Settings& settings, const Track& track) {
    return RipOutputFolder(settings) + ExpandTemplate(settings, track) +
           std::string(ExtensionOf(track.encoder));
}

std::string TempPcmPath(const Settings& settings, const Track& track) {
    std::string folder = settings.Tmpfolder;
    if (folder.empty() && !settings.folderHistory.empty()) {
        folder = settings.folderHistory.front();
    }
    return JoinPath(folder, "cddatmp-" + std::to_string(platform::ProcessId()) + "-" +
                                platform::TwoDigits(track.index + 1) + ".pcm");
}

}  // namespace disctrove
