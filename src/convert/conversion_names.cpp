#include "convert/conversion_names.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "platform/system/text.h"
#include "work/file_names.h"

namespace disctrove {

namespace {

namespace fs = std::filesystem;

constexpr size_t kExtensionBytes = 5;  // ".flac", the longest of ours

std::string TagValue(const std::vector<TrackTag>& tags, const std::string& name) {
    const auto found = std::find_if(tags.begin(), tags.end(),
                                    [&](const TrackTag& tag) { return tag.name == name; });
    return found == tags.end() ? std::string() : found->value;
}

// A number tag as two digits ("3/12" and "03" alike); "" when it is no number.
std::string TwoDigitNumber(const std::string& text) {
    char* end = nullptr;
    const long number = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || number < 0 || number > 9999) {
        return "";
    }
    return platform::TwoDigits(static_cast<int32_t>(number));
}

// One folder or file name made safe: illegal characters replaced, blanks and the " - " of an
// empty code trimmed, no name of dots alone, no hidden file, cut to fit with an extension.
std::string SafeName(std::string name, size_t maxBytes) {
    ReplaceIllegalChars(name);
    const auto trimmable = [](char c) { return c == ' ' || c == '-' || c == '\t'; };
    while (!name.empty() && trimmable(name.front())) {
        name.erase(name.begin());
    }
    while (!name.empty() && trimmable(name.back())) {
        name.pop_back();
    }
    if (std::all_of(name.begin(), name.end(), [](char c) { return c == '.' || c == ' '; })) {
        return "_";
    }
    if (name.front() == '.') {
        name.front() = '_';
    }
    name = CutToFileName(name, maxBytes);
    while (!name.empty() && name.back() == ' ') {
        name.pop_back();
    }
    return name.empty() ? "_" : name;
}

// The value of `name`, its "/" no folder of its own ("AC/DC").
std::string TagText(const std::vector<TrackTag>& tags, const std::string& name) {
    std::string value = TagValue(tags, name);
    std::replace(value.begin(), value.end(), '/', '_');
    return value;
}

std::string Expand(const std::string& pattern, const std::vector<TrackTag>& tags) {
    const std::string artist = TagText(tags, "ARTIST");
    const std::string albumArtist = TagText(tags, "ALBUMARTIST");
    std::string out;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '$') {
            out += pattern[i];
            continue;
        }
        if (++i == pattern.size()) {
            break;
        }
        switch (pattern[i]) {
            case 'a':
                out += artist.empty() ? "Unknown artist" : artist;
                break;
            case 'A':
                out += !albumArtist.empty() ? albumArtist
                       : !artist.empty()    ? artist
                                            : "Unknown artist";
                break;
            case 'r':
            case 'R':
                out += !artist.empty() ? artist : albumArtist;
                break;
            case 'l':
            case 'L': {
                const std::string album = TagText(tags, "ALBUM");
                out += album.empty() ? "Unknown album" : album;
                break;
            }
            case 'y':
            case 'Y':
                out += TagText(tags, "DATE").substr(0, 4);
                break;
            case 'g':
            case 'G':
                out += TagText(tags, "GENRE");
                break;
            case 't':
            case 'T':
                out += TagText(tags, "TITLE");
                break;
            case 'n':
            case 'N':
                out += TwoDigitNumber(TagValue(tags, "TRACKNUMBER"));
                break;
            case 'd':
            case 'D': {  // "2/3" is disc 2
                const std::string disc = TwoDigitNumber(TagValue(tags, "DISCNUMBER"));
                out += disc.starts_with('0') ? disc.substr(1) : disc;
                break;
            }
            case 's':
            case 'S': {  // the set's size: DISCTOTAL, else what follows DISCNUMBER's "/"
                std::string total = TagValue(tags, "DISCTOTAL");
                if (total.empty()) {
                    const std::string disc = TagValue(tags, "DISCNUMBER");
                    const size_t slash = disc.find('/');
                    total = slash == std::string::npos ? "" : disc.substr(slash + 1);
                }
                total = TwoDigitNumber(total);
                out += total.starts_with('0') ? total.substr(1) : total;
                break;
            }
            case '$':
                out += '$';
                break;
            default:
                break;
        }
    }
    return out;
}

// `relative` (folders and a file name, "/" apart) made safe part by part under `outdir`.
std::string SafePath(const std::string& outdir, const std::string& relative, EncoderKind kind) {
    std::vector<std::string> parts;
    for (size_t start = 0; start <= relative.size();) {
        const size_t end = std::min(relative.find('/', start), relative.size());
        if (end > start) {
            parts.push_back(relative.substr(start, end - start));
        }
        start = end + 1;
    }
    if (parts.empty()) {
        parts.emplace_back();
    }
    std::string path = outdir;
    for (size_t i = 0; i < parts.size(); ++i) {
        const bool file = i + 1 == parts.size();
        path = JoinPath(path, SafeName(parts[i], kMaxFileNameBytes - (file ? kExtensionBytes : 0)));
    }
    return path + std::string(kEncoderExtensions[static_cast<size_t>(kind)]);
}

}  // namespace

std::string ConversionOutputPath(const std::string& outdir, const std::string& nameTemplate,
                                 bool keepTree, const ConvertSource& source,
                                 const std::vector<TrackTag>& tags, EncoderKind kind) {
    const fs::path path(source.path);
    std::string folder;  // below outdir
    if (!source.root.empty()) {
        std::error_code error;
        const fs::path below = fs::relative(path.parent_path(), source.root, error);
        if (!error && below.string() != "." && !below.string().starts_with("..")) {
            folder = below.string();
        }
    }
    std::string name = path.stem().string();
    if (source.track >= 0) {
        const std::string title = TagValue(tags, "TITLE");
        name += " - " + platform::TwoDigits(source.track) + (title.empty() ? "" : " " + title);
    }
    const std::string title = TagValue(tags, "TITLE");
    if (keepTree || title.empty()) {
        return SafePath(outdir, folder.empty() ? name : folder + "/" + name, kind);
    }
    std::string pattern = nameTemplate;
    if (pattern.empty()) {
        const std::string disc = Expand("$d", tags);
        const std::string discs = Expand("$s", tags);
        const bool ofSet = !disc.empty() && disc != "0" &&
                           ((!discs.empty() && discs != "0" && discs != "1") || disc != "1");
        pattern = ofSet ? kDefaultSetConversionTemplate : kDefaultConversionTemplate;
    }
    return SafePath(outdir, Expand(pattern, tags), kind);
}

}  // namespace disctrove
