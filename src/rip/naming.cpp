#include "rip/naming.h"

#include <array>
#include <charconv>

#include "app/genres.h"
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

// Replaces, in place, the characters of UTF-8 text that ReplaceIllegalChars leaves but a name
// must not hold either: the C1 control characters, and the bidirectional embeddings, overrides
// and isolates (U+202A-U+202E, U+2066-U+2069), which make a name show its characters out of
// order, down to a false extension. Right-to-left letters themselves stay.
void ReplaceHiddenControls(std::string& name) {
    std::string out;
    out.reserve(name.size());
    for (size_t i = 0; i < name.size(); ++i) {
        const auto byte = [&](size_t at) {
            return at < name.size() ? static_cast<unsigned char>(name[at]) : 0u;
        };
        const bool c1 = byte(i) == 0xC2 && byte(i + 1) >= 0x80 && byte(i + 1) <= 0x9F;
        const bool bidi = byte(i) == 0xE2 &&
                          ((byte(i + 1) == 0x80 && byte(i + 2) >= 0xAA && byte(i + 2) <= 0xAE) ||
                           (byte(i + 1) == 0x81 && byte(i + 2) >= 0xA6 && byte(i + 2) <= 0xA9));
        if (c1 || bidi) {
            out += '_';
            i += c1 ? 1 : 2;
        } else {
            out += name[i];
        }
    }
    name = std::move(out);
}

// `text` made one name of at most `maxBytes` bytes: illegal and control characters replaced,
// cut at a character boundary, blanks at either end dropped (nobody sees them, and Windows
// refuses them at the end). Empty when nothing of a name is left: no characters, or dots and
// blanks alone, which would mean the folder itself or its parent, or make a hidden file; a
// leading dot becomes "_".
std::string MakeName(std::string text, size_t maxBytes) {
    ReplaceIllegalChars(text);
    ReplaceHiddenControls(text);
    const auto trim = [](std::string_view name) {
        const size_t first = name.find_first_not_of(' ');
        if (first == std::string_view::npos) {
            return std::string_view();
        }
        return name.substr(first, name.find_last_not_of(' ') - first + 1);
    };
    std::string name(trim(CutToFileName(trim(text), maxBytes)));
    if (name.find_first_not_of(". ") == std::string::npos) {
        name.clear();
    } else if (name.front() == '.') {
        name.front() = '_';  // a hidden file or folder would seem not to have been written
    }
    return name;
}

// A disc field made safe to use as one folder name; "_" when nothing of a name is left.
std::string FolderName(std::string name) {
    name = MakeName(std::move(name), kMaxFileNameBytes);
    return name.empty() ? "_" : name;
}

std::string NameWithId(const std::string& field, const char* prefix, const Options& options,
                       const DiscState& disc) {
    return field.empty() ? prefix + HexId(CurrentDiscId(options, disc)) + "L" : field;
}

// " (Disc 2)" for a disc of a set of several, so that each disc's folder, playlist, log and CUE
// sheet are its own; "" for a disc alone (1 of 1, or not known), whose names stay as they were.
std::string DiscOfSet(const DiscNames& disc) {
    const bool ofSet = disc.DiscNumber > 0 && (disc.DiscTotal > 1 || disc.DiscNumber > 1);
    return ofSet ? " (Disc " + std::to_string(disc.DiscNumber) + ")" : std::string();
}

std::string NumberOrNothing(int32_t number) {
    return number > 0 ? std::to_string(number) : std::string();
}

}  // namespace

std::string ExpandTemplate(const DiscState& disc, const std::string& nameTemplate,
                           const Track& track) {
    const std::string& pattern = nameTemplate;
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
                name += disc.Artist;
                break;
            case 'A':  // the album artist; only a MusicBrainz release tells it apart
                name += disc.release.albumArtist.empty() ? disc.Artist : disc.release.albumArtist;
                break;
            case 'r':
            case 'R':
                if (!track.artist.empty()) {
                    name += track.artist;
                } else {
                    name +=
                        disc.release.albumArtist.empty() ? disc.Artist : disc.release.albumArtist;
                }
                break;
            case 'l':
            case 'L':
                name += disc.Album;
                break;
            case 'y':
            case 'Y':
                name += disc.Year;
                break;
            case 'g':
            case 'G':
                name += GenreNameOf(disc.Genre);
                break;
            case 't':
            case 'T':
                name += track.title;
                break;
            case 'n':
            case 'N':
                name += platform::TwoDigits(track.Number());
                break;
            case 'd':
            case 'D':
                name += NumberOrNothing(disc.DiscNumber);
                break;
            case 's':
            case 'S':
                name += NumberOrNothing(disc.DiscTotal);
                break;
            case '$':
                name += '$';
                break;
            default:
                break;  // an unknown code is dropped with its "$"
        }
    }
    // A name that is no name of its own (a template or metadata that expands to nothing, blanks
    // or dots) would make a hidden file that every track shares: the track number stands in.
    name = MakeName(std::move(name), kMaxFileNameBytes - kExtensionBytes);
    return name.empty() ? platform::TwoDigits(track.Number()) : name;
}

uint32_t CurrentDiscId(const Options& options, const DiscState& disc) {
    const auto drive = static_cast<size_t>(options.Cdrom);
    return options.Cdrom >= 0 && drive < disc.drives.size() ? disc.drives[drive].discId : kNoDiscId;
}

std::string ArtistFolderName(const Options& options, const DiscState& disc) {
    return FolderName(NameWithId(disc.Artist, "Artist-", options, disc));
}

std::string AlbumFolderName(const Options& options, const DiscState& disc) {
    return FolderName(NameWithId(disc.Album, "Album-", options, disc) + DiscOfSet(disc));
}

std::string PlaylistName(const Options& options, const DiscState& disc) {
    std::string stem = (disc.Artist.empty() ? std::string("Unknown artist") : disc.Artist) + " - " +
                       NameWithId(disc.Album, "Album", options, disc) + DiscOfSet(disc);
    stem = MakeName(std::move(stem), kMaxFileNameBytes - kExtensionBytes);
    return (stem.empty() ? std::string("_") : stem) + ".m3u";
}

std::string RipBaseFolder(const Options& options) {
    const std::string_view folder =
        options.folderHistory.empty() ? std::string_view() : options.folderHistory.front();
    return JoinPath(folder, "");
}

std::string RipOutputFolder(const Options& options, const DiscState& disc) {
    std::string folder = RipBaseFolder(options);
    if (options.RipInFolder) {
        folder += ArtistFolderName(options, disc) + "/" + AlbumFolderName(options, disc) + "/";
    }
    return folder;
}

std::string RipOutputPath(const Options& options, const DiscState& disc,
                          const std::string& nameTemplate, const Track& track) {
    return RipOutputFolder(options, disc) + ExpandTemplate(disc, nameTemplate, track) +
           std::string(ExtensionOf(track.encoder));
}

std::string TempPcmPath(const Options& options, const Track& track) {
    std::string folder = options.Tmpfolder;
    if (folder.empty() && !options.folderHistory.empty()) {
        folder = options.folderHistory.front();
    }
    return JoinPath(folder, "cddatmp-" + std::to_string(platform::ProcessId()) + "-" +
                                platform::TwoDigits(track.Number()) + ".pcm");
}

}  // namespace disctrove
