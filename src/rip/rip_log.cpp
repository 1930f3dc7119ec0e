#include "rip/rip_log.h"

#include <openssl/evp.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>

#include "app/version.h"
#include "codecs/library_versions.h"
#include "disc/accuraterip_id.h"
#include "disc/musicbrainz_id.h"
#include "disc/track_texts.h"
#include "platform/system/environment.h"
#include "platform/system/files.h"
#include "platform/system/text.h"
#include "rip/cue_sheet.h"
#include "rip/log_findings.h"
#include "rip/naming.h"

namespace disctrove {

namespace {

template <typename... Args>
std::string Format(const char* format, Args... args) {
    std::array<char, 256> text{};
    std::snprintf(text.data(), text.size(), format, args...);
    return text.data();
}

std::string Line(const char* label, const std::string& value) {
    return Format("%-22s", label) + ": " + value + "\n";
}

const char* ReadModeName(int32_t jitter) {
    switch (jitter) {
        case 0:
            return "Jitter correction always";
        case 1:
            return "Jitter correction never";
        case 2:
            return "Jitter correction on error";
        case kJitterSecure:
            return "Secure";
        default:
            return "Unknown";
    }
}

// What lies before track 1's INDEX 01 and what the rip did with it.
std::string BeforeFirstTrackText(const Options& options, const DiscState& disc,
                                 const RipResult& rip) {
    const Track& first = disc.tracks.front();
    const Track* track1 = first.Hidden() && disc.tracks.size() > 1 ? &disc.tracks[1] : &first;
    const int32_t before = SectorsBeforeFirstTrack(options, disc, *track1);
    if (before == 0) {
        return "nothing (track 1 starts the disc)";
    }
    const std::string length = SectorTimeText(before) + " (" + std::to_string(before) + " sectors)";
    const Drive* drive = DriveAt(disc, options.Cdrom);
    const auto found =
        drive != nullptr ? drive->beforeFirstTrack : Drive::BeforeFirstTrack::nothing;
    if (options.ImageFile != 0) {
        return length +
               (found == Drive::BeforeFirstTrack::audio     ? " of audio (a hidden track)"
                : found == Drive::BeforeFirstTrack::silence ? " of digital silence"
                                                            : "") +
               ", in the image as track 1's INDEX 00";
    }
    if (found == Drive::BeforeFirstTrack::audio) {
        const TrackResult* hidden = rip.Of(first.index);
        return length + " of audio: the hidden track, track 00" +
               (hidden != nullptr
                    ? std::string(", ripped; the CUE sheet gives its file as track 1's INDEX 00")
                    : ", not ripped (not marked); the CUE sheet gives it as track 1's PREGAP");
    }
    if (found == Drive::BeforeFirstTrack::silence) {
        return length +
               " of digital silence, not ripped; the CUE sheet gives it as track 1's PREGAP";
    }
    return length +
           ", not ripped: the drive could not read it; the CUE sheet gives it as track 1's "
           "PREGAP";
}

std::string VerdictText(const TrackResult& result) {
    if (result.hidden) {
        return "No entry (no database holds the audio before track 1)";
    }
    if (!result.verdict) {
        return "Not verified";
    }
    switch (result.verdict->verdict) {
        case AccurateRipVerdict::accurate:
            return "Accurately ripped (confidence " + std::to_string(result.verdict->confidence) +
                   ")" +
                   (result.verdict->pressingOffset != 0
                        ? ", pressing offset " + SignedOffsetText(result.verdict->pressingOffset)
                        : "");
        case AccurateRipVerdict::inaccurate:
            return "Not accurate (total confidence " + std::to_string(result.verdict->confidence) +
                   ")";
        default:
            return "Unknown (not in the database, or no answer)";
    }
}

bool TestMismatch(const TrackResult& result) {
    return result.testCrc && result.checks && *result.testCrc != result.checks->crc32;
}

bool HasErrors(const TrackResult& result) {
    return result.status != kStatusCompleted || !result.readErrors.empty() || TestMismatch(result);
}

std::string ReadOffsetText(const DriveReadOffset& offset) {
    const std::string samples = std::to_string(offset.samples) + " samples";
    switch (offset.source) {
        case OffsetSource::driveDatabase:
            return samples + " (from the drive database, for this drive's model)";
        case OffsetSource::detected:
            return samples + " (detected with a disc in AccurateRip, on this drive)";
        case OffsetSource::options:
            break;
    }
    return samples + " (set in the options)";
}

// Whether the offset the drive was read with is known to be right: found with a disc, or borne
// out by this rip's tracks matching AccurateRip where they were read.
std::string OffsetCheckedText(const RipResult& rip) {
    if (rip.readOffset.source == OffsetSource::detected) {
        return "yes, found with a disc in AccurateRip";
    }
    const bool matches =
        std::any_of(rip.tracks.begin(), rip.tracks.end(), [](const TrackResult& track) {
            return track.verdict && track.verdict->verdict == AccurateRipVerdict::accurate &&
                   track.verdict->pressingOffset == 0;
        });
    if (matches) {
        return "yes, this rip's tracks match AccurateRip with it";
    }
    const auto pressing = CommonPressingOffset(rip);
    return pressing ? "no; every track AccurateRip knows matched " + SignedOffsetText(*pressing) +
                          " samples off (a pressing cut differently, or a read offset that far "
                          "off: offset find, or Detect... on the Secure page, tells which)"
                    : "no (disctrove-cli offset find, or Detect... on the Secure page, checks it)";
}

std::string ServiceText(int32_t on, const std::string& server) {
    return on ? "on (" + server + ")" : "off";
}

// One line per format the rip wrote: its settings and the library that made the files.
std::string EncoderLines(const DiscState& disc, const RipResult& rip) {
    std::vector<std::string> seen;
    std::string lines;
    for (const TrackResult& result : rip.tracks) {
        if (result.index < 0 || static_cast<size_t>(result.index) >= disc.tracks.size()) {
            continue;
        }
        const Track& track = disc.tracks[static_cast<size_t>(result.index)];
        const std::string settings = TrackEncoderText(track);
        if (std::find(seen.begin(), seen.end(), settings) != seen.end()) {
            continue;
        }
        seen.push_back(settings);
        const std::string library = EncoderLibraryText(track.encoder);
        lines += Line("Encoder", settings + (library.empty() ? "" : ", " + library));
    }
    return lines;
}

std::string TocTable(const Options& options, const DiscState& disc, const Drive& drive,
                     const platform::DiscFacts& facts) {
    std::string table =
        "Track |   Start  |  Length  | Start sector | End sector |  Pregap\n"
        "------+----------+----------+--------------+------------+---------\n";
    for (const Track& track : disc.tracks) {
        const int32_t pregap = PregapSectors(options, disc, facts, track);
        table += Format("%5d | %s | %s | %12d | %10lld |", track.Number(),
                        SectorTimeText(track.startSector).c_str(),
                        SectorTimeText(track.lengthSectors).c_str(), track.startSector,
                        static_cast<long long>(track.startSector) + track.lengthSectors - 1);
        table += (pregap > 0 ? " " + SectorTimeText(pregap) : std::string()) + "\n";
    }
    // Data tracks, which are never ripped, close the table.
    const platform::Toc& toc = drive.toc;
    for (size_t entry = 0; entry < toc.tracks.size(); ++entry) {
        if (!toc.tracks[entry].isData) {
            continue;
        }
        const int32_t start = toc.tracks[entry].start;
        const int32_t next = toc.NextStart(entry);
        table += Format(" Data | %s | %s | %12d | %10d |\n", SectorTimeText(start).c_str(),
                        SectorTimeText(next - start).c_str(), start, next - 1);
    }
    return table;
}

std::string GapHandlingText(platform::IndexSource source, bool image) {
    const std::string appended =
        image ? "gaps in the image as on the disc; " : "gaps appended to the previous track; ";
    switch (source) {
        case platform::IndexSource::subchannel:
            return appended + "pregaps and indexes detected from the subchannel";
        case platform::IndexSource::sheet:
            return appended + "pregaps from the image's sheet";
        case platform::IndexSource::none:
            break;
    }
    return appended + "pregaps and indexes not detected (the drive reports no subchannel)";
}

// "02 at 03:10.20, 03 at 04:00.00": where a track's INDEX 02 on begin, from its INDEX 01.
std::string IndexesText(const Track& track, const platform::TrackFacts& facts) {
    std::string text;
    int number = 2;
    for (const int32_t start : facts.indexStarts) {
        text += (text.empty() ? "" : ", ") + platform::TwoDigits(number++) + " at " +
                SectorTimeText(start - track.startSector);
    }
    return text;
}

std::string CtdbText(const std::optional<CtdbVerdict>& verdict) {
    if (!verdict) {
        return "Not looked up";
    }
    switch (verdict->kind) {
        case CtdbVerdict::Kind::accurate:
            return "Accurate (confidence " + std::to_string(verdict->confidence) + ")";
        case CtdbVerdict::Kind::differs:
            return "Differs from every entry";
        case CtdbVerdict::Kind::notPresent:
            return "Not present (the disc is not in the database)";
        case CtdbVerdict::Kind::unknown:
            break;
    }
    return "Unknown (no answer, or no entry has this track)";
}

std::string TrackSection(const Track& track, const TrackResult& result, const std::string& folder,
                         const platform::TrackFacts* facts) {
    std::string text = "Track " + platform::TwoDigits(track.Number()) + "\n";
    text += Line("  File", PathInFolder(folder, result.file));
    if (facts != nullptr) {
        text += Line("  ISRC", facts->isrc.empty() ? "none reported" : facts->isrc);
        text += Line("  Pre-emphasis", facts->preEmphasis ? "yes (kept as on the disc)" : "no");
        if (!facts->indexStarts.empty()) {
            text += Line("  Indexes", IndexesText(track, *facts));
        }
    }
    if (result.checks) {
        text += Line("  Peak level", Format("%.1f %%", result.checks->peak * 100.0 / 32768));
        text += Line("  Copy CRC", Format("%08X", result.checks->crc32));
    }
    if (result.testCrc) {
        text += Line("  Test CRC", Format("%08X", *result.testCrc) +
                                       (TestMismatch(result) ? " (mismatch)" : " (OK)"));
    }
    if (result.accurateRip) {
        text += Line("  AccurateRip v1", Format("%08X", result.accurateRip->v1));
        text += Line("  AccurateRip v2", Format("%08X", result.accurateRip->v2));
    }
    text += Line("  AccurateRip", VerdictText(result));
    if (result.ctdb) {
        text += Line("  CTDB CRC32", Format("%08X", result.ctdb->crc));
    }
    text += Line("  CTDB", CtdbText(result.ctdbVerdict));
    text += Line("  Read errors", ErrorRangesText(result.readErrors, track.startSector));
    text += Line("  Status", TrackStatusText(result.status));
    return text + "\n";
}

std::string Count(int tracks) {
    return std::to_string(tracks) + (tracks == 1 ? " track" : " tracks");
}

std::string Summary(const RipResult& rip) {
    int inaccurate = 0;
    int unverified = 0;
    for (const TrackResult& track : rip.tracks) {
        if (HasErrors(track)) {
            return "There were errors";
        }
        if (track.verdict && track.verdict->verdict == AccurateRipVerdict::inaccurate) {
            ++inaccurate;
        } else if (!track.verdict || track.verdict->verdict != AccurateRipVerdict::accurate) {
            ++unverified;
        }
    }
    if (inaccurate == 0 && unverified == 0) {
        return "All tracks accurately ripped";
    }
    // The database disagreeing is not the same as the database not knowing the disc.
    std::string summary = inaccurate > 0 ? Count(inaccurate) + " inaccurate" : std::string();
    if (unverified > 0) {
        summary += (summary.empty() ? "" : ", ") + Count(unverified) + " could not be verified";
    }
    return summary;
}

std::string Sha256Hex(const std::string& bytes) {
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int length = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest.data(), &length, EVP_sha256(), nullptr) !=
        1) {
        return {};
    }
    std::string hex;
    for (unsigned int i = 0; i < length; ++i) {
        hex += Format("%02x", digest[i]);
    }
    return hex;
}

bool AnyCompleted(const RipResult& rip) {
    return std::any_of(rip.tracks.begin(), rip.tracks.end(),
                       [](const TrackResult& t) { return t.status == kStatusCompleted; });
}

// `path` with its extension (".m3u") replaced by `extension`.
std::string WithExtension(const std::string& path, const char* extension) {
    const std::string name = std::filesystem::path(path).filename().string();
    const size_t dot = name.rfind('.');
    const size_t cut = dot == std::string::npos ? path.size() : path.size() - name.size() + dot;
    return path.substr(0, cut) + extension;
}

}  // namespace

std::string RipLogText(const Options& options, const DiscState& disc, const RipResult& rip,
                       const platform::DiscFacts& facts, const std::string& folder,
                       std::time_t started) {
    const Drive empty;
    const Drive& drive =
        options.Cdrom >= 0 && static_cast<size_t>(options.Cdrom) < disc.drives.size()
            ? disc.drives[static_cast<size_t>(options.Cdrom)]
            : empty;
    std::string log = std::string(kProgramName) + " " + kProgramVersion + " rip log\n\n";
    log += FirstSummary(rip) + "\n\n";
    log += Line("Ripped", platform::LocalDateTimeText(started));
    log += Line("Drive", drive.name);
    log += Line("Read mode", ReadModeName(options.Jitter));
    log += Line("Read offset", ReadOffsetText(rip.readOffset));
    log += Line("Offset checked", OffsetCheckedText(rip));
    log += Line("Drive cache", "unknown (not measured)");
    log += Line("Overread", "none (the lead-in and lead-out are not read)");
    const bool image = options.ImageFile != 0;
    if (image) {
        log += Line("Image", "one file for the whole disc" +
                                 (rip.image.empty() ? std::string(", not written")
                                                    : ": " + PathInFolder(folder, rip.image)));
    }
    log += Line("Gap handling", GapHandlingText(facts.indexSource, image));
    if (!disc.tracks.empty()) {
        log += Line("Before track 1", BeforeFirstTrackText(options, disc, rip));
    }
    log += Line("Retries", std::to_string(options.Retries));
    log += Line("Test & Copy", options.TestAndCopy ? "on" : "off");
    log += Line("AccurateRip", ServiceText(options.AccurateRip, options.ArServer));
    log += Line("CTDB", ServiceText(options.Ctdb, options.CtdbServer));
    log += EncoderLines(disc, rip);
    log += "\n";
    log += Line("Artist", disc.Artist);
    log += Line("Album", disc.Album);
    log += Line("CDDB disc ID", Format("%08x", drive.discId));
    log += Line("AccurateRip disc ID",
                AccurateRipIdText(ComputeAccurateRipDiscId(drive.toc, drive.discId)));
    log += Line("MusicBrainz disc ID", ComputeMusicBrainzDiscId(drive.toc));
    if (!facts.catalog.empty()) {
        log += Line("Catalogue number", facts.catalog);
    }
    log += "\n" + TocTable(options, disc, drive, facts) + "\n";
    for (const TrackResult& result : rip.tracks) {
        if (result.index >= 0 && static_cast<size_t>(result.index) < disc.tracks.size()) {
            const Track& track = disc.tracks[static_cast<size_t>(result.index)];
            log += TrackSection(track, result, folder, TrackFactsOf(options, disc, facts, track));
        }
    }
    if (rip.ctdbDisc) {
        log += Line("CTDB, whole disc", CtdbVerdictText(*rip.ctdbDisc)) + "\n";
    }
    log += Summary(rip) + "\n\n";
    return log + "Log checksum SHA-256: " + Sha256Hex(log) + "\n";
}

std::string WriteRipLogAndCueSheet(const Options& options, const DiscState& disc, RipResult& rip,
                                   const std::string& folder, std::time_t started) {
    rip.log.clear();
    rip.cueSheet.clear();
    // An image is not whole without its sheet.
    const bool cue = options.WriteCue || !rip.image.empty();
    if ((!options.WriteLog && !cue) || !AnyCompleted(rip) || options.Cdrom < 0 ||
        static_cast<size_t>(options.Cdrom) >= disc.drives.size()) {
        return {};
    }
    const platform::DiscFacts& facts = rip.facts;
    const std::string playlist = folder + PlaylistName(options, disc);  // as the run names it
    std::string unwritten;
    const auto write = [&](const char* extension, const char* what, const std::string& text,
                           std::string& written) {
        const std::string path = WithExtension(playlist, extension);
        if (platform::WriteWholeFile(path, text)) {
            written = path;
            return;
        }
        // A file of that name is an earlier rip's, and would pass for this one's.
        const bool earlier = platform::FileExists(path);
        unwritten += (unwritten.empty() ? "" : "\n") + std::string("Cannot write the ") + what +
                     " \"" + path + "\"";
        if (earlier) {
            unwritten += platform::RemoveFile(path)
                             ? "\nThe one of an earlier rip there was removed."
                             : "\nThe file there is an earlier rip's, and could not be removed.";
        }
    };
    if (options.WriteLog) {
        write(".log", "rip log", RipLogText(options, disc, rip, facts, folder, started), rip.log);
    }
    if (!rip.image.empty()) {
        const std::string sheet =
            ImageCueSheetText(options, disc, facts, PlanImage(options, disc, facts),
                              PathInFolder(folder, rip.image), options.Encoder);
        write(".cue", "CUE sheet", sheet, rip.cueSheet);
    } else if (options.WriteCue) {
        write(".cue", "CUE sheet", CueSheetText(options, disc, rip, facts, folder), rip.cueSheet);
    }
    return unwritten;
}

}  // namespace disctrove
