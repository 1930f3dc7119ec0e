#include "front/outcome_texts.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

#include "disc/track_texts.h"
#include "rip/naming.h"

namespace disctrove {

namespace {

// "track 3", "tracks 3 and 5", "tracks 2, 3 and 5"; a long list is only counted ("6 tracks").
std::string TrackList(const std::vector<int32_t>& numbers) {
    if (numbers.size() == 1) {
        return "track " + std::to_string(numbers.front());
    }
    if (numbers.size() > 4) {
        return std::to_string(numbers.size()) + " tracks";
    }
    std::string text = "tracks ";
    for (size_t i = 0; i < numbers.size(); ++i) {
        if (i > 0) {
            text += i + 1 == numbers.size() ? " and " : ", ";
        }
        text += std::to_string(numbers[i]);
    }
    return text;
}

std::string Tracks(size_t count) {
    return std::to_string(count) + (count == 1 ? " track" : " tracks");
}

std::string ParentOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string WithoutTrailingSlash(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    return folder;
}

bool Contains(const std::vector<std::string>& names, const char* name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// The disc a preview names when no disc is in the drive.
DiscState SampleDisc() {
    DiscState disc;
    disc.Artist = "Disctrove Demo Ensemble";
    disc.Album = "Plucked Strings";
    disc.Year = "2024";
    Track track;
    track.index = 0;
    track.title = "Morning Strings";
    disc.tracks.push_back(track);
    return disc;
}

}  // namespace

RipOutcome DescribeRip(const RipResult& rip, const std::string& outputFolder) {
    RipOutcome outcome;
    std::vector<int32_t> failed, skipped, inaccurate, doubtful;
    size_t completed = 0, accurate = 0, unknown = 0;
    uint32_t confidence = 0;
    for (const TrackResult& track : rip.tracks) {
        if (track.status == kStatusError) {
            failed.push_back(track.number);
        } else if (track.status == kStatusStopped) {
            skipped.push_back(track.number);
        }
        if (track.status != kStatusCompleted) {
            continue;
        }
        ++completed;
        if (outcome.folder.empty() && !track.file.empty()) {
            outcome.folder = ParentOf(track.file);
        }
        if (!TrackDoubts(track).empty()) {
            doubtful.push_back(track.number);
        }
        if (!track.verdict) {
            continue;
        }
        switch (track.verdict->verdict) {
            case AccurateRipVerdict::accurate:
                // The disc is as sure as its least sure track.
                confidence = accurate == 0 ? track.verdict->confidence
                                           : std::min(confidence, track.verdict->confidence);
                ++accurate;
                break;
            case AccurateRipVerdict::inaccurate:
                inaccurate.push_back(track.number);
                break;
            case AccurateRipVerdict::unknown:
                ++unknown;
                break;
        }
    }
    if (outcome.folder.empty() && completed > 0) {
        outcome.folder =
            !rip.image.empty() ? ParentOf(rip.image) : WithoutTrailingSlash(outputFolder);
    }

    const size_t marked = rip.tracks.size();
    const bool stopped = rip.outcome == kRipStopped;
    std::string head;
    if (marked == 0) {
        head = rip.outcome == kRipCompleted ? "No track was marked: nothing was ripped"
                                            : "Nothing was ripped";
    } else if (completed == 0) {
        head = stopped ? "Stopped before any track was ripped" : "No track was ripped";
    } else {
        const std::string count = completed == marked
                                      ? Tracks(completed)
                                      : std::to_string(completed) + " of " + Tracks(marked);
        head = (stopped ? "Stopped: " : "") + count + " ripped to " + outcome.folder;
    }

    std::vector<std::string> details;
    if (!failed.empty()) {
        details.push_back(TrackList(failed) + " failed");
    }
    if (!skipped.empty() && !stopped) {
        details.push_back(TrackList(skipped) + " skipped");
    }
    if (!inaccurate.empty()) {
        details.push_back(TrackList(inaccurate) + " inaccurate");
    }
    if (!doubtful.empty()) {
        details.push_back(TrackList(doubtful) + " in doubt");
    }
    if (accurate > 0) {
        details.push_back((accurate == marked ? std::string("all") : std::to_string(accurate)) +
                          " accurate (" + std::to_string(confidence) + ")");
    }
    if (unknown > 0) {
        details.push_back((unknown == completed ? std::string() : std::to_string(unknown) + " ") +
                          "not in the AccurateRip database");
    }
    outcome.sentence = head;
    for (size_t i = 0; i < details.size(); ++i) {
        outcome.sentence += (i == 0 ? " \u2014 " : ", ") + details[i];
    }
    outcome.wellEnded = rip.outcome == kRipCompleted && marked > 0 && completed == marked &&
                        inaccurate.empty() && doubtful.empty();
    return outcome;
}

std::string NotFoundSentence(const LookupResult& found, bool musicBrainzAsked) {
    if (found.lookupAnswer != LookupAnswer::none) {
        return {};
    }
    const bool cddbSilent = Contains(found.lookupUnanswered, "CDDB");
    if (!musicBrainzAsked) {
        return cddbSilent ? std::string() : "This disc is not in CDDB";
    }
    const bool musicBrainzSilent = Contains(found.lookupUnanswered, "MusicBrainz");
    if (musicBrainzSilent) {
        return cddbSilent ? std::string()
                          : "This disc is not in CDDB, and MusicBrainz gave no answer";
    }
    return cddbSilent ? "This disc is not in MusicBrainz, and CDDB gave no answer"
                      : "This disc is not in MusicBrainz or CDDB";
}

std::string FreeSpaceWords(long long bytes, const std::string& folder) {
    if (bytes < 0) {
        return {};
    }
    const std::string where = " free on " + WithoutTrailingSlash(folder);
    if (bytes < 1000) {
        return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes") + where;
    }
    static constexpr std::array<const char*, 5> kUnits = {"kB", "MB", "GB", "TB", "PB"};
    double value = static_cast<double>(bytes) / 1000.0;
    size_t unit = 0;
    // 999.96 MB would read "1000.0 MB": it is 1.0 GB.
    while (value >= 999.95 && unit + 1 < kUnits.size()) {
        value /= 1000.0;
        ++unit;
    }
    std::array<char, 32> number{};
    std::snprintf(number.data(), number.size(), "%.1f", value);
    return std::string(number.data()) + " " + kUnits[unit] + where;
}

std::string NextFilePreview(const Options& options, const DiscState& disc,
                            const std::string& nameTemplate, EncoderKind encoder) {
    const DiscState sample = disc.tracks.empty() ? SampleDisc() : DiscState();
    const DiscState& named = disc.tracks.empty() ? sample : disc;
    const auto marked = std::find_if(named.tracks.begin(), named.tracks.end(),
                                     [](const Track& track) { return track.marked != 0; });
    Track track = marked != named.tracks.end() ? *marked : named.tracks.front();
    track.encoder = encoder;
    return RipOutputPath(options, named, nameTemplate, track);
}

}  // namespace disctrove
