#include "rip/cue_sheet.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "app/genres.h"
#include "app/version.h"
#include "platform/system/text.h"
#include "rip/naming.h"

namespace disctrove {

namespace {

const Drive* CurrentDrive(const Options& options, const DiscState& disc) {
    return options.Cdrom >= 0 && static_cast<size_t>(options.Cdrom) < disc.drives.size()
               ? &disc.drives[static_cast<size_t>(options.Cdrom)]
               : nullptr;
}

// A quoted value: double quotes become single ones, line breaks and tabs spaces.
std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c == '"' ? '\'' : (c == '\n' || c == '\r' || c == '\t') ? ' ' : c;
    }
    return quoted + "\"";
}

// A REM value: quoted when it holds a space, as readers split REM lines at spaces.
std::string RemValue(const std::string& text) {
    return text.find(' ') == std::string::npos ? text : Quoted(text);
}

std::string CueTime(int64_t sectors) {
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%02lld:%02lld:%02lld",
                  static_cast<long long>(sectors / 75 / 60),
                  static_cast<long long>(sectors / 75 % 60), static_cast<long long>(sectors % 75));
    return text.data();
}

// The file type of a FILE line. Ogg Vorbis and WMA have no type of their own; players go by the
// extension, and WAVE is what CUE readers accept for any audio file.
const char* FileType(EncoderKind kind) {
    return kind == kEncoderMp3 ? "MP3" : "WAVE";
}

// INDEX 02 on, where they lie in the track's file (which begins at its INDEX 01).
std::string LaterIndexLines(const Track& track, const platform::TrackFacts* here) {
    std::string lines;
    if (here == nullptr) {
        return lines;
    }
    int number = 2;
    for (const int32_t start : here->indexStarts) {
        const int64_t offset = int64_t{start} - track.startSector;
        if (offset > 0 && offset < int64_t{track.lengthSectors}) {
            lines += "    INDEX " + platform::TwoDigits(number) + " " + CueTime(offset) + "\n";
        }
        ++number;
    }
    return lines;
}

}  // namespace

int32_t PregapSectors(const Options& options, const DiscState& disc,
                      const platform::DiscFacts& facts, const Track& track) {
    const platform::TrackFacts* here = TrackFactsOf(options, disc, facts, track);
    return here != nullptr && here->pregapStart && *here->pregapStart < track.startSector
               ? track.startSector - *here->pregapStart
               : 0;
}

int32_t SectorsBeforeFirstTrack(const Options& options, const DiscState& disc, const Track& track) {
    const Drive* drive = DriveAt(disc, options.Cdrom);
    if (drive == nullptr || drive->toc.tracks.empty() || drive->toc.tracks.front().isData ||
        drive->toc.tracks.front().start != track.startSector) {
        return 0;
    }
    return track.startSector;
}

std::string PathInFolder(const std::string& folder, const std::string& path) {
    if (!folder.empty() && path.starts_with(folder)) {
        return path.substr(folder.size());
    }
    return std::filesystem::path(path).filename().string();
}

namespace {

// The sheet's lines about the whole disc.
std::string DiscLines(const Options& options, const DiscState& disc,
                      const platform::DiscFacts& facts) {
    std::string lines;
    if (disc.Genre > 0) {
        lines += "REM GENRE " + RemValue(std::string(GenreNameOf(disc.Genre))) + "\n";
    }
    if (!disc.Year.empty()) {
        lines += "REM DATE " + RemValue(disc.Year) + "\n";
    }
    if (const Drive* drive = CurrentDrive(options, disc); drive != nullptr) {
        std::array<char, 16> id{};
        std::snprintf(id.data(), id.size(), "%08X", drive->discId);
        lines += "REM DISCID " + std::string(id.data()) + "\n";
    }
    lines += "REM COMMENT " + Quoted(std::string(kProgramName) + " " + kProgramVersion) + "\n";
    if (!facts.catalog.empty()) {
        lines += "CATALOG " + facts.catalog + "\n";
    }
    if (!disc.Artist.empty()) {
        lines += "PERFORMER " + Quoted(disc.Artist) + "\n";
    }
    if (!disc.Album.empty()) {
        lines += "TITLE " + Quoted(disc.Album) + "\n";
    }
    return lines;
}

// A track's TRACK line and what follows it before its indexes.
std::string TrackHead(const DiscState& disc, const Track& track, int number,
                      const platform::TrackFacts* here) {
    std::string head =
        "  TRACK " + std::string(number < 10 ? "0" : "") + std::to_string(number) + " AUDIO\n";
    head += "    TITLE " + Quoted(track.title) + "\n";
    // A track's own artist (a compilation's) is its performer.
    if (const std::string& artist = track.artist.empty() ? disc.Artist : track.artist;
        !artist.empty()) {
        head += "    PERFORMER " + Quoted(artist) + "\n";
    }
    if (here != nullptr && !here->isrc.empty()) {
        head += "    ISRC " + here->isrc + "\n";
    }
    if (here != nullptr && (here->copyPermitted || here->fourChannels || here->preEmphasis)) {
        head += "    FLAGS";
        head += here->copyPermitted ? " DCP" : "";
        head += here->fourChannels ? " 4CH" : "";
        head += here->preEmphasis ? " PRE" : "";
        head += "\n";
    }
    return head;
}

}  // namespace

std::string CueSheetText(const Options& options, const DiscState& disc, const RipResult& rip,
                         const platform::DiscFacts& facts, const std::string& folder) {
    std::string sheet = DiscLines(options, disc, facts);
    // A CUE sheet numbers its tracks one after another; the first keeps its number on the disc.
    int number = 0;
    const Track* previous = nullptr;  // the track of the sheet's last FILE
    bool any = false;
    // The hidden track has no TRACK of its own: its file is track 1's INDEX 00, so it is written
    // with track 1, and left out when track 1 was not ripped.
    const TrackResult* hidden = nullptr;
    const auto fileLine = [&folder](const TrackResult& result, const Track& track) {
        return "FILE " + Quoted(PathInFolder(folder, result.file)) + " " + FileType(track.encoder) +
               "\n";
    };
    for (const TrackResult& result : rip.tracks) {
        if (result.status != kStatusCompleted || result.index < 0 ||
            static_cast<size_t>(result.index) >= disc.tracks.size()) {
            continue;
        }
        const Track& track = disc.tracks[static_cast<size_t>(result.index)];
        if (track.Hidden()) {
            hidden = &result;
            continue;
        }
        number = any ? number + 1 : track.Number();
        any = true;
        const std::string head =
            TrackHead(disc, track, number, TrackFactsOf(options, disc, facts, track));
        if (hidden != nullptr && track.Number() == 1) {
            const Track& before = disc.tracks[static_cast<size_t>(hidden->index)];
            sheet += fileLine(*hidden, before);
            previous = &before;
        }
        const bool afterHidden = previous != nullptr && previous->Hidden();
        const int32_t pregap = afterHidden ? static_cast<int32_t>(previous->lengthSectors)
                                           : PregapSectors(options, disc, facts, track);
        const bool pregapInPrevious = previous != nullptr && previous->index + 1 == track.index &&
                                      pregap > 0 &&
                                      previous->lengthSectors >= static_cast<uint32_t>(pregap);
        const std::string file = fileLine(result, track);
        if (pregapInPrevious) {
            sheet += head + "    INDEX 00 " + CueTime(int64_t{previous->lengthSectors} - pregap) +
                     "\n" + file;
        } else {
            sheet += file + head;
        }
        // What lies before the disc's first track is in no file unless it is the hidden track's:
        // the sheet says how long it is.
        if (const int32_t before = SectorsBeforeFirstTrack(options, disc, track);
            before > 0 && !afterHidden) {
            sheet += "    PREGAP " + CueTime(before) + "\n";
        }
        sheet += "    INDEX 01 00:00:00\n";
        sheet += LaterIndexLines(track, TrackFactsOf(options, disc, facts, track));
        previous = &track;
    }
    return any ? sheet : std::string();
}

ImageLayout PlanImage(const Options& options, const DiscState& disc,
                      const platform::DiscFacts& facts) {
    ImageLayout layout;
    const Drive* drive = DriveAt(disc, options.Cdrom);
    if (drive == nullptr) {
        return layout;
    }
    const platform::Toc& toc = drive->toc;
    // The tracks of the list are the audio tracks of the disc, one after another; a track the
    // table of contents does not list (audio found before track 1) is no track of the sheet.
    bool first = true;
    for (const Track& track : disc.tracks) {
        const std::optional<size_t> entry = toc.IndexOfAudioAt(track.startSector);
        const int64_t end = int64_t{track.startSector} + track.lengthSectors;
        if (first) {
            layout.firstSector =
                !toc.tracks.empty() && !toc.tracks.front().isData ? 0 : track.startSector;
            first = false;
        }
        layout.endSector = static_cast<int32_t>(end > layout.endSector ? end : layout.endSector);
        if (!entry) {
            continue;
        }
        ImageTrack& image = layout.tracks.emplace_back();
        image.track = &track;
        image.number = toc.tracks[*entry].number;
        const int32_t start = track.startSector - layout.firstSector;
        const int32_t pregap = PregapSectors(options, disc, facts, track);
        if (layout.tracks.size() == 1 && start > 0) {
            image.indexes.push_back({0, 0});  // all that comes before the first track
        } else if (pregap > 0 && pregap <= start) {
            image.indexes.push_back({0, start - pregap});
        }
        image.indexes.push_back({1, start});
        if (const platform::TrackFacts* own = TrackFactsOf(options, disc, facts, track)) {
            int number = 2;
            for (const int32_t later : own->indexStarts) {
                image.indexes.push_back({number++, later - layout.firstSector});
            }
        }
    }
    return layout;
}

std::string ImageCueSheetText(const Options& options, const DiscState& disc,
                              const platform::DiscFacts& facts, const ImageLayout& layout,
                              const std::string& fileName, EncoderKind kind) {
    std::string sheet = DiscLines(options, disc, facts);
    sheet += "FILE " + Quoted(fileName) + " " + FileType(kind) + "\n";
    for (const ImageTrack& image : layout.tracks) {
        sheet += TrackHead(disc, *image.track, image.number,
                           TrackFactsOf(options, disc, facts, *image.track));
        for (const ImageIndex& index : image.indexes) {
            sheet += "    INDEX " + std::string(index.number < 10 ? "0" : "") +
                     std::to_string(index.number) + " " + CueTime(index.sector) + "\n";
        }
    }
    return sheet;
}

}  // namespace disctrove
