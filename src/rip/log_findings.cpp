#include "rip/log_findings.h"

#include <algorithm>

#include "disc/track_texts.h"
#include "platform/system/text.h"

namespace disctrove {

namespace {

// What keeps a track from being accurate; empty when nothing does.
std::vector<std::string> Problems(const TrackResult& track) {
    std::vector<std::string> problems;
    if (track.status != kStatusCompleted) {
        problems.push_back(track.status == kStatusStopped ? "stopped" : "error");
        return problems;
    }
    problems = TrackDoubts(track);
    const auto ar = track.verdict ? track.verdict->verdict : AccurateRipVerdict::unknown;
    const auto ctdb = track.ctdbVerdict ? track.ctdbVerdict->kind : CtdbVerdict::Kind::unknown;
    // One database vouching is enough: the other may hold only other pressings (the CTDB is not
    // searched at other alignments) or other rippers' mistakes.
    if (ar == AccurateRipVerdict::accurate || ctdb == CtdbVerdict::Kind::accurate) {
        return problems;
    }
    if (ar == AccurateRipVerdict::inaccurate) {
        problems.emplace_back("inaccurate in AccurateRip");
    }
    if (ctdb == CtdbVerdict::Kind::differs) {
        problems.emplace_back("differs in the CTDB");
    }
    if (ar != AccurateRipVerdict::inaccurate && ctdb != CtdbVerdict::Kind::differs) {
        problems.emplace_back(track.verdict ? "not verified by AccurateRip" : "not verified");
    }
    return problems;
}

std::string Joined(const std::vector<std::string>& parts, const char* separator) {
    std::string text;
    for (const std::string& part : parts) {
        text += (text.empty() ? "" : separator) + part;
    }
    return text;
}

}  // namespace

std::string FirstSummary(const RipResult& rip) {
    // No database holds the hidden track: read whole, it is said apart, not counted against.
    const bool hiddenWhole = std::any_of(rip.tracks.begin(), rip.tracks.end(), [](const auto& t) {
        return t.hidden && t.status == kStatusCompleted && TrackDoubts(t).empty();
    });
    const size_t total = rip.tracks.size() - (hiddenWhole ? 1 : 0);
    const std::string hidden =
        hiddenWhole ? (total == 0 ? "The hidden track was read whole; no database has it."
                                  : " The hidden track was read whole; no database has it.")
                    : "";
    if (total == 0) {
        return hidden;
    }
    std::vector<std::string> wrong;
    std::vector<std::string> reasons;
    for (const TrackResult& track : rip.tracks) {
        if (hiddenWhole && track.hidden) {
            continue;
        }
        const std::string problems = Joined(Problems(track), ", ");
        if (!problems.empty()) {
            wrong.push_back("Track " + platform::TwoDigits(track.number) + ": " + problems + ".");
            reasons.push_back(problems);
        }
    }
    const std::string tracks = std::to_string(total) + (total == 1 ? " track" : " tracks");
    if (wrong.empty()) {
        const auto pressing = CommonPressingOffset(rip);
        return (total == 1 ? "The track is accurate" : "All " + tracks + " accurate") +
               (pressing ? ", at pressing offset " + SignedOffsetText(*pressing) : "") +
               (hiddenWhole ? "." + hidden : "");
    }
    // The same for every track (AccurateRip off, say): said once.
    if (wrong.size() == total && total > 1 &&
        std::all_of(reasons.begin(), reasons.end(),
                    [&reasons](const std::string& r) { return r == reasons.front(); })) {
        return "All " + tracks + ": " + reasons.front() + "." + hidden;
    }
    return std::to_string(total - wrong.size()) + " of " + tracks + " accurate. " +
           Joined(wrong, " ") + hidden;
}

std::optional<int32_t> CommonPressingOffset(const RipResult& rip) {
    std::optional<int32_t> common;
    for (const TrackResult& track : rip.tracks) {
        if (!track.verdict || track.verdict->verdict != AccurateRipVerdict::accurate) {
            continue;
        }
        if (common && *common != track.verdict->pressingOffset) {
            return std::nullopt;
        }
        common = track.verdict->pressingOffset;
    }
    return common && *common != 0 ? common : std::nullopt;
}

std::string PressingOffsetHint(const RipResult& rip) {
    const auto pressing = CommonPressingOffset(rip);
    if (!pressing || rip.readOffset.source == OffsetSource::detected) {
        return {};
    }
    return "Every track AccurateRip knows matched " + SignedOffsetText(*pressing) +
           " samples off: a pressing cut differently, or a read offset that far off. When other "
           "discs show the same, find the drive's offset with a disc (offset find).";
}

std::string ErrorRangesText(const std::vector<int32_t>& sectors, int32_t trackStart) {
    std::vector<int32_t> sorted = sectors;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    std::vector<std::string> ranges;
    for (size_t i = 0; i < sorted.size();) {
        size_t last = i;
        while (last + 1 < sorted.size() && sorted[last + 1] == sorted[last] + 1) {
            ++last;
        }
        const int32_t first = sorted[i];
        const int32_t end = sorted[last];
        const std::string from = SectorTimeText(int64_t{first} - trackStart);
        ranges.push_back(first == end ? from + " (sector " + std::to_string(first) + ")"
                                      : from + " to " + SectorTimeText(int64_t{end} - trackStart) +
                                            " (sectors " + std::to_string(first) + "-" +
                                            std::to_string(end) + ")");
        i = last + 1;
    }
    return ranges.empty() ? "none" : Joined(ranges, ", ");
}

}  // namespace disctrove
