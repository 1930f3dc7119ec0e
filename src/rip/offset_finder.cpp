#include "rip/offset_finder.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>

#include "audio/accuraterip_stage.h"
#include "disc/accuraterip_lookup.h"
#include "disc/disc.h"
#include "platform/cdrom/cdrom.h"
#include "platform/cdrom/drive_handle.h"
#include "platform/system/text.h"
#include "rip/extraction.h"

namespace disctrove {

namespace {

constexpr int64_t kFrames = 588;  // sample frames a sector
constexpr int32_t kMargin = 5;    // sectors read on each side of sector 450
constexpr int32_t kWindowSectors = 2 * kMargin + 1;
constexpr uint32_t kTrackSectorsNeeded = 450 + kMargin + 1;  // the window lies inside the track

std::string TrackName(const Track& track) {
    return "Track " + platform::TwoDigits(track.Number());
}

// A track whose sector 450 can find the offset: read raw with kMargin sectors either side, and
// the database's frame-450 checksums of it (of every pressing that has it).
struct Probe {
    const Track* track = nullptr;
    size_t entry = 0;  // in each pressing
    std::vector<uint8_t> window;
    std::vector<uint32_t> wanted;
};

// Reads `sectors` sectors raw (plain reads, tried a few times) from `first`; nothing when a read
// fails.
std::optional<std::vector<uint8_t>> ReadRaw(platform::CdHandle handle, int32_t first,
                                            int32_t sectors) {
    platform::TrackBufferBlock block(static_cast<uint32_t>(sectors));
    block->startSector = static_cast<uint32_t>(first);
    block->sectorCount = static_cast<uint32_t>(sectors);
    if (ReadSectors(1, handle, block.get(), nullptr) != platform::kCdStatusOk ||
        block->length != static_cast<uint32_t>(sectors) * platform::kCdSectorBytes) {
        return std::nullopt;
    }
    const uint8_t* data = block->data() + block->startOffset;
    return std::vector<uint8_t>(data, data + block->length);
}

// The tracks that can take part: long enough, with a frame-450 checksum in the database, and
// their window read.
std::vector<Probe> ReadProbes(const DiscState& disc, const Drive& drive,
                              const std::vector<AccurateRipPressing>& pressings,
                              const std::stop_token& stop) {
    std::vector<Probe> probes;
    const platform::DriveHandle handle(drive.handleRequest);
    for (const Track& track : disc.tracks) {
        if (stop.stop_requested()) {
            break;
        }
        Probe probe{&track, AccurateRipEntryOf(drive.toc, track), {}, {}};
        for (const AccurateRipPressing& pressing : pressings) {
            // A silent sector 450 checksums to 0 at every offset: it proves nothing.
            if (probe.entry < pressing.tracks.size() &&
                pressing.tracks[probe.entry].frame450 != 0) {
                probe.wanted.push_back(pressing.tracks[probe.entry].frame450);
            }
        }
        if (track.lengthSectors < kTrackSectorsNeeded || probe.wanted.empty()) {
            continue;
        }
        auto window = ReadRaw(handle.get(), track.startSector + 450 - kMargin, kWindowSectors);
        if (window) {
            probe.window = std::move(*window);
            probes.push_back(std::move(probe));
        }
    }
    return probes;
}

// How many probes have their database checksum at `offset`.
size_t Matches(const std::vector<Probe>& probes, int32_t offset) {
    size_t matched = 0;
    const int64_t from = (kMargin * kFrames + offset) * 4;
    for (const Probe& probe : probes) {
        const uint32_t sum = Frame450Checksum(
            std::span(probe.window).subspan(static_cast<size_t>(from), kFrames * 4));
        matched +=
            std::find(probe.wanted.begin(), probe.wanted.end(), sum) != probe.wanted.end() ? 1 : 0;
    }
    return matched;
}

// The offset most tracks match at: the common offsets first, then the whole range (the one
// nearest 0 of those that match as many). Nothing when fewer than `needed` tracks match.
std::optional<int32_t> SearchOffsets(const std::vector<Probe>& probes, size_t needed,
                                     const std::function<void(const std::string&)>& say) {
    const std::string of = " of " + std::to_string(probes.size()) + " tracks match at sector 450";
    for (const int32_t offset : kCommonOffsets) {
        const size_t matched = Matches(probes, offset);
        say("Offset " + SignedOffsetText(offset) + ": " + std::to_string(matched) + of);
        if (matched >= needed) {
            return offset;
        }
    }
    say("Searching every offset from " + SignedOffsetText(-kOffsetSearchLimit) + " to " +
        SignedOffsetText(kOffsetSearchLimit) + "...");
    std::optional<int32_t> best;
    size_t bestMatched = 0;
    for (int32_t offset = -kOffsetSearchLimit; offset <= kOffsetSearchLimit; ++offset) {
        const size_t matched = Matches(probes, offset);
        if (matched >= needed && (matched > bestMatched ||
                                  (matched == bestMatched && std::abs(offset) < std::abs(*best)))) {
            best = offset;
            bestMatched = matched;
        }
    }
    if (best) {
        say("Offset " + SignedOffsetText(*best) + ": " + std::to_string(bestMatched) + of);
    }
    return best;
}

// Reads `track` whole at `offset` in the options' read mode and judges it; nothing when the
// read did not come to its end.
std::optional<AccurateRipResult> ReadWholeTrack(WorkerContext& outer, Track& track, int32_t offset,
                                                size_t entry,
                                                const std::vector<AccurateRipPressing>& pressings) {
    Options options = outer.options;
    options.ReadOffset = offset;
    WorkerContext context{options,     outer.disc,          outer.session,
                          outer.state, outer.notifications, outer.questions,
                          outer.run,   outer.stop};
    const auto read = std::make_unique<platform::TrackBufferBlock>(kReadChunkSectors);
    const auto overlap = std::make_unique<platform::TrackBufferBlock>(kOverlapSectors);
    TrackResult result;
    RipJob job{&track, read->get(), overlap->get(), ""};
    job.result = &result;
    AccurateRipStage sums(uint64_t{track.lengthSectors} * kFrames, track.index == 0, false);
    const ExtractionEnd end = ReadTrackInto(context, job, sums, 100);
    outer.run = context.run;
    track.status = kStatusNone;  // nothing was ripped
    if (end != ExtractionEnd::completed) {
        return std::nullopt;
    }
    return JudgeTrack(pressings, entry, sums.sums());
}

}  // namespace

uint32_t Frame450Checksum(std::span<const uint8_t> frames) {
    // The v1 checksum of the frames taken as a track of their own, neither first nor last.
    AccurateRipStage sums(frames.size() / 4, false, false);
    sums.Take(frames);
    return sums.sums().v1;
}

OffsetFinding FindReadOffset(WorkerContext& context,
                             const std::vector<AccurateRipPressing>& pressings,
                             const std::function<void(const std::string&)>& say) {
    using Outcome = OffsetFinding::Outcome;
    OffsetFinding finding;
    const Drive* drive = DriveAt(context.disc, context.options.Cdrom);
    if (pressings.empty() || drive == nullptr) {
        say("The disc is not in the AccurateRip database (or it gave no answer): its tracks "
            "cannot show the drive's offset. Try a disc that is better known.");
        finding.outcome = Outcome::notInDatabase;
        return finding;
    }
    const std::vector<Probe> probes = ReadProbes(context.disc, *drive, pressings, context.stop);
    if (context.stop.stop_requested()) {
        finding.outcome = Outcome::stopped;
        return finding;
    }
    if (probes.empty()) {
        say("No track's sector 450 could be read, or the database has no checksum of it.");
        finding.outcome = Outcome::unreadable;
        return finding;
    }
    const size_t needed = (probes.size() + 1) / 2;  // most of the tracks, as a pressing would
    const std::optional<int32_t> offset = SearchOffsets(probes, needed, say);
    if (!offset) {
        say("No offset from " + SignedOffsetText(-kOffsetSearchLimit) + " to " +
            SignedOffsetText(kOffsetSearchLimit) +
            " gives the database's checksums for this disc.");
        finding.outcome = Outcome::noMatch;
        return finding;
    }
    finding.offset = *offset;
    // Whole tracks confirm it: never the last, whose end may lie beyond what the drive reads.
    const size_t wanted = std::min<size_t>(2, DiscTrackCount(context.disc.tracks) - 1);
    for (Track& track : context.disc.tracks) {
        if (track.Hidden()) {
            continue;  // no database has it
        }
        if (finding.confirmedTracks == wanted || context.stop.stop_requested() ||
            static_cast<size_t>(track.index) + 1 == context.disc.tracks.size()) {
            break;
        }
        const auto verdict = ReadWholeTrack(context, track, *offset,
                                            AccurateRipEntryOf(drive->toc, track), pressings);
        const bool accurate = verdict && verdict->verdict == AccurateRipVerdict::accurate;
        say(TrackName(track) + " read whole at " + SignedOffsetText(*offset) + ": " +
            (accurate ? "accurate (" + std::to_string(verdict->confidence) + ")"
                      : std::string(verdict ? "does not match" : "could not be read")));
        if (accurate) {
            finding.confidence = finding.confirmedTracks == 0
                                     ? verdict->confidence
                                     : std::min(finding.confidence, verdict->confidence);
            ++finding.confirmedTracks;
        }
    }
    if (context.stop.stop_requested()) {
        finding.outcome = Outcome::stopped;
    } else if (wanted == 0 || finding.confirmedTracks < wanted) {
        say("Offset " + SignedOffsetText(*offset) +
            " matched at sector 450, but whole tracks did not "
            "confirm it.");
        finding.outcome = Outcome::notConfirmed;
    } else {
        say("The drive's read offset is " + SignedOffsetText(*offset) + " (confidence " +
            std::to_string(finding.confidence) + ", confirmed with " +
            std::to_string(finding.confirmedTracks) +
            (finding.confirmedTracks == 1 ? " track)." : " tracks)."));
        finding.outcome = Outcome::found;
    }
    return finding;
}

}  // namespace disctrove
