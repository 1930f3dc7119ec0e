// The simulated disc (.simcd): tracks, faults and jitter described in a text file, with audio
// that is a fixed function of the sample frame number.
#include "platform/cdrom/simulated_disc.h"

#include <atomic>
#include <fstream>
#include <random>
#include <sstream>

#include "platform/cdrom/cdrom_records.h"
#include "platform/cdrom/disc_device.h"

namespace disctrove::platform {

namespace {

constexpr int64_t kFramesPerSector = kCdSectorBytes / 4;

std::atomic<uint64_t> plainReads{0};
std::atomic<uint64_t> correctingReads{0};

struct SectorRange {
    int64_t first = 0;
    int64_t last = 0;
    bool Touches(int64_t start, int64_t count) const {
        return start <= last && first < start + count;
    }
};

struct SimulatedDiscDescription {
    std::vector<DiscLayout::Track> tracks;
    int32_t leadOut = 0;
    int32_t lastSession = 0;
    bool sessionPending = false;  // a "session" statement waits for its first track
    std::vector<SectorRange> unreadable;
    std::vector<SectorRange> plainUnreadable;
    int32_t jitterFrames = 0;
};

bool ParseRange(std::istringstream& words, SectorRange& range) {
    std::string text;
    if (!(words >> text)) {
        return false;
    }
    const auto dash = text.find('-');
    try {
        size_t used = 0;
        range.first = std::stoll(text, &used);
        if (dash == std::string::npos) {
            range.last = range.first;
            return used == text.size();
        }
        if (used != dash) {
            return false;
        }
        const std::string last = text.substr(dash + 1);
        range.last = std::stoll(last, &used);
        return used == last.size() && range.first <= range.last;
    } catch (const std::exception&) {
        return false;
    }
}

bool ParseCount(std::istringstream& words, int64_t& value, int64_t max) {
    std::string text;
    if (!(words >> text)) {
        return false;
    }
    try {
        size_t used = 0;
        value = std::stoll(text, &used);
        return used == text.size() && value >= 0 && value <= max;
    } catch (const std::exception&) {
        return false;
    }
}

// One statement; false when it is not one we know.
bool ParseStatement(std::istringstream& words, const std::string& keyword,
                    SimulatedDiscDescription& disc) {
    int64_t value = 0;
    SectorRange range;
    if (keyword == "track") {
        std::string kind;
        words >> kind;
        // 99 tracks and 100 minutes are more than any disc holds.
        if ((kind != "audio" && kind != "data") || disc.tracks.size() == 99 ||
            !ParseCount(words, value, 100 * 60 * 75)) {
            return false;
        }
        if (disc.sessionPending) {
            // The gap between the sessions takes addresses of its own, and no read reaches it.
            disc.unreadable.push_back({disc.leadOut, disc.leadOut + kSessionGapSectors - 1});
            disc.leadOut += kSessionGapSectors;
            disc.lastSession = disc.leadOut;
            disc.sessionPending = false;
        }
        disc.tracks.push_back({disc.leadOut, kind == "data"});
        disc.leadOut += static_cast<int32_t>(value);
    } else if (keyword == "session" && !disc.tracks.empty() && !disc.sessionPending) {
        disc.sessionPending = true;
    } else if (keyword == "unreadable" && ParseRange(words, range)) {
        disc.unreadable.push_back(range);
    } else if (keyword == "plain-unreadable" && ParseRange(words, range)) {
        disc.plainUnreadable.push_back(range);
    } else if (keyword == "jitter" && ParseCount(words, value, kFramesPerSector / 2)) {
        disc.jitterFrames = static_cast<int32_t>(value);
    } else {
        return false;
    }
    std::string extra;
    return !(words >> extra);
}

class SimulatedDisc final : public DiscDevice {
  public:
    explicit SimulatedDisc(SimulatedDiscDescription disc) : disc_(std::move(disc)) {}

    bool ReadLayout(DiscLayout& layout, ReadError& error) override {
        if (disc_.tracks.empty()) {
            error = {kCdErrorNoDisc, 2};  // "not ready": an empty tray
            return false;
        }
        layout.firstTrack = 1;
        layout.tracks = disc_.tracks;
        layout.leadOut = disc_.leadOut;
        layout.lastSession = disc_.lastSession;
        return true;
    }

    bool ReadAudio(int32_t start, uint32_t sectors, uint8_t* out, bool correcting,
                   ReadError& error) override {
        (correcting ? correctingReads : plainReads)++;
        const int64_t count = sectors;
        if (start < 0 || start + count > disc_.leadOut) {
            error = {kCdErrorOutOfRange, kSenseIllegalRequest};
            return false;
        }
        for (const auto& range : disc_.unreadable) {
            if (range.Touches(start, count)) {
                error = {kCdErrorReadFailed, kSenseMediumError};
                return false;
            }
        }
        // As on a real drive, a data track cannot be read as audio.
        for (size_t i = 0; i < disc_.tracks.size(); ++i) {
            const int64_t end =
                i + 1 < disc_.tracks.size() ? disc_.tracks[i + 1].start : disc_.leadOut;
            if (disc_.tracks[i].data &&
                SectorRange{disc_.tracks[i].start, end - 1}.Touches(start, count)) {
                error = {kCdErrorReadFailed, kSenseIllegalRequest};
                return false;
            }
        }
        if (!correcting) {
            for (const auto& range : disc_.plainUnreadable) {
                if (range.Touches(start, count)) {
                    error = {kCdErrorReadFailed, kSenseMediumError};
                    return false;
                }
            }
        }
        int64_t shift = 0;
        if (disc_.jitterFrames > 0) {
            std::uniform_int_distribution<int32_t> jitter(-disc_.jitterFrames, disc_.jitterFrames);
            shift = jitter(random_);
        }
        FillSimulatedAudio(start * kFramesPerSector + shift, count * kFramesPerSector, out);
        return true;
    }

  private:
    SimulatedDiscDescription disc_;
    std::mt19937 random_{20011231};
};

}  // namespace

void FillSimulatedAudio(int64_t firstFrame, int64_t frames, uint8_t* out) {
    for (int64_t f = firstFrame; f < firstFrame + frames; ++f) {
        const auto left = static_cast<uint16_t>(static_cast<uint64_t>(f) * 7u);
        const auto right = static_cast<uint16_t>(static_cast<uint64_t>(f) * 13u + 1u);
        *out++ = static_cast<uint8_t>(left);
        *out++ = static_cast<uint8_t>(left >> 8);
        *out++ = static_cast<uint8_t>(right);
        *out++ = static_cast<uint8_t>(right >> 8);
    }
}

SimulatedReadCounts GetSimulatedReadCounts() {
    return {plainReads.load(), correctingReads.load()};
}

void ResetSimulatedReadCounts() {
    plainReads = 0;
    correctingReads = 0;
}

std::unique_ptr<DiscDevice> OpenSimulatedDisc(const std::string& path, std::string& problem) {
    std::ifstream in(path);
    if (!in) {
        problem = "cannot open " + path;
        return nullptr;
    }
    SimulatedDiscDescription disc;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        line = line.substr(0, line.find('#'));
        std::istringstream words(line);
        std::string keyword;
        if (!(words >> keyword)) {
            continue;
        }
        if (!ParseStatement(words, keyword, disc)) {
            problem =
                path + ":" + std::to_string(number) + ": not a simulated disc statement: " + line;
            return nullptr;
        }
    }
    if (disc.sessionPending) {
        problem = path + ": a session statement must be followed by a track";
        return nullptr;
    }
    return std::make_unique<SimulatedDisc>(std::move(disc));
}

}  // namespace disctrove::platform
