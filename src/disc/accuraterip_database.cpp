#include "disc/accuraterip_database.h"

#include <algorithm>
#include <cstdio>

namespace disctrove {

namespace {

constexpr size_t kHeaderBytes = 13;  // track count, id1, id2, CDDB ID
constexpr size_t kTrackBytes = 9;    // confidence, checksum, checksum of sector 450

uint32_t Le32(const uint8_t* b) {
    return uint32_t{b[0]} | (uint32_t{b[1]} << 8) | (uint32_t{b[2]} << 16) | (uint32_t{b[3]} << 24);
}

}  // namespace

std::string AccurateRipPath(const AccurateRipDiscId& id) {
    char path[96];
    std::snprintf(path, sizeof path, "accuraterip/%x/%x/%x/dBAR-%s.bin", id.id1 & 0xF,
                  (id.id1 >> 4) & 0xF, (id.id1 >> 8) & 0xF, AccurateRipIdText(id).c_str());
    return path;
}

std::optional<std::vector<AccurateRipPressing>> ParseAccurateRipAnswer(
    std::span<const uint8_t> answer) {
    std::vector<AccurateRipPressing> pressings;
    size_t at = 0;
    while (at < answer.size()) {
        if (answer.size() - at < kHeaderBytes) {
            return std::nullopt;
        }
        const size_t count = answer[at];
        if (count == 0 || answer.size() - at - kHeaderBytes < count * kTrackBytes) {
            return std::nullopt;
        }
        AccurateRipPressing pressing;
        pressing.id1 = Le32(&answer[at + 1]);
        pressing.id2 = Le32(&answer[at + 5]);
        pressing.cddb = Le32(&answer[at + 9]);
        at += kHeaderBytes;
        for (size_t t = 0; t < count; ++t, at += kTrackBytes) {
            pressing.tracks.push_back({answer[at], Le32(&answer[at + 1]), Le32(&answer[at + 5])});
        }
        pressings.push_back(std::move(pressing));
    }
    if (pressings.empty()) {
        return std::nullopt;
    }
    return pressings;
}

AccurateRipResult JudgeTrack(const std::vector<AccurateRipPressing>& pressings, size_t position,
                             const AccurateRipSums& sums) {
    AccurateRipResult result;
    bool entry = false;
    uint32_t best = 0;
    bool matched = false;
    uint32_t total = 0;
    for (const AccurateRipPressing& pressing : pressings) {
        if (position >= pressing.tracks.size()) {
            continue;
        }
        const auto& track = pressing.tracks[position];
        entry = true;
        total += track.confidence;
        if (track.checksum == sums.v1 || track.checksum == sums.v2) {
            matched = true;
            best = std::max(best, track.confidence);
        }
    }
    if (matched) {
        result = {AccurateRipVerdict::accurate, best};
    } else if (entry) {
        result = {AccurateRipVerdict::inaccurate, total};
    }
    return result;
}

std::string SignedOffsetText(int32_t offset) {
    return (offset > 0 ? "+" : "") + std::to_string(offset);
}

std::string VerdictSummary(const AccurateRipResult& result) {
    const std::string confidence = " (" + std::to_string(result.confidence) + ")";
    switch (result.verdict) {
        case AccurateRipVerdict::accurate:
            return "accurate" + confidence +
                   (result.pressingOffset != 0
                        ? ", pressing offset " + SignedOffsetText(result.pressingOffset)
                        : "");
        case AccurateRipVerdict::inaccurate:
            return "inaccurate" + confidence;
        case AccurateRipVerdict::unknown:
            break;
    }
    return "not verified";
}

const char* VerdictName(AccurateRipVerdict verdict) {
    switch (verdict) {
        case AccurateRipVerdict::accurate:
            return "accurate";
        case AccurateRipVerdict::inaccurate:
            return "inaccurate";
        case AccurateRipVerdict::unknown:
            return "unknown";
    }
    return "unknown";
}

}  // namespace disctrove
