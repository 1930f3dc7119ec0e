// The simulated disc (.simcd): tracks, faults and jitter described in a text file, with audio
// that is a fixed function of the sample frame number.
#include "platform/cdrom/simulated_disc.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "platform/cdrom/cdrom_records.h"
#include "platform/cdrom/disc_device.h"
#include "platform/cdrom/toc.h"

namespace disctrove::platform {

namespace {

constexpr int64_t kFramesPerSector = kCdSectorBytes / 4;

std::atomic<uint64_t> plainReads{0};
// How often each simulated disc file has been opened in this process: each opening reads the
// disc anew (a flaky sector comes back wrong in a new way), yet a test that opens its own disc
// sees the same reads whatever ran before it in the process.
uint32_t NextOpening(const std::string& path) {
    static std::mutex mutex;
    static std::map<std::string, uint32_t> openings;
    const std::lock_guard lock(mutex);
    return openings[path]++;
}
std::atomic<uint64_t> correctingReads{0};
std::atomic<uint64_t> subchannelReads{0};

struct SectorRange {
    int64_t first = 0;
    int64_t last = 0;
    bool Touches(int64_t start, int64_t count) const {
        return start <= last && first < start + count;
    }
};

// Sectors of a range whose reads fail at random: each read of a sector fails with the given
// probability (a read that is tried again may come through), or, when persistent, the sectors
// drawn once from the file's seed fail on every read.
struct RandomFailures {
    SectorRange range;
    double probability = 0;
    bool persistent = false;
};

struct SimulatedDiscDescription {
    std::vector<DiscLayout::Track> tracks;
    int32_t leadOut = 0;
    int32_t lastSession = 0;
    bool sessionPending = false;  // a "session" statement waits for its first track
    std::vector<SectorRange> unreadable;
    std::vector<SectorRange> plainUnreadable;
    std::vector<SectorRange> flaky;
    std::vector<RandomFailures> randomFailures;
    int32_t jitterFrames = 0;
    int32_t readOffset = 0;  // samples the drive reads early (late when negative)
    DriveIdentity identity;
    CdText cdText;  // its tracks as numbered in the statements (1 = the first track)
    // Declared pregaps (track number: sectors before its start that are its INDEX 00) and
    // indexes (track number: the sectors after its INDEX 01 where INDEX 02, 03, … begin).
    std::map<int64_t, int64_t> pregaps;
    std::map<int64_t, std::map<int64_t, int64_t>> indexes;
    uint64_t seed = 0;  // drawn from the file's text: the same file fails the same way
};

// The largest read offset a simulated drive takes: the search range of an offset and then some.
constexpr int64_t kMostReadOffset = 5 * kFramesPerSector;

// "VENDOR / MODEL / REVISION" (the model and the revision may be left out); false when the
// vendor is missing or there are more than three parts.
bool ParseIdentity(std::istringstream& words, DriveIdentity& identity) {
    std::string rest;
    std::getline(words, rest);
    std::vector<std::string> parts;
    std::istringstream fields(rest);
    for (std::string part; std::getline(fields, part, '/');) {
        const auto first = part.find_first_not_of(' ');
        const auto last = part.find_last_not_of(' ');
        parts.push_back(first == std::string::npos ? "" : part.substr(first, last - first + 1));
    }
    if (parts.empty() || parts.size() > 3 || parts[0].empty()) {
        return false;
    }
    parts.resize(3);
    identity = {parts[0], parts[1], parts[2]};
    return true;
}

// A flaky sector reads wrong until it has been read this often.
constexpr int kFlakyBadReads = 3;

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

bool ParseProbability(std::istringstream& words, double& value) {
    std::string text;
    if (!(words >> text)) {
        return false;
    }
    try {
        size_t used = 0;
        value = std::stod(text, &used);
        return used == text.size() && value > 0 && value <= 1;  // also false for NaN
    } catch (const std::exception&) {
        return false;
    }
}

// "random-failures FIRST-LAST P [persistent]"
bool ParseRandomFailures(std::istringstream& words, SimulatedDiscDescription& disc) {
    RandomFailures failures;
    if (!ParseRange(words, failures.range) || !ParseProbability(words, failures.probability)) {
        return false;
    }
    std::string kind;
    if (words >> kind) {
        if (kind != "persistent") {
            return false;
        }
        failures.persistent = true;
    }
    disc.randomFailures.push_back(failures);
    return true;
}

// A 64-bit mix of one value (splitmix64's finaliser): the same sector and seed always give the
// same draw, whichever reads came before.
uint64_t Mix(uint64_t value) {
    value += 0x9E3779B97F4A7C15u;
    value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9u;
    value = (value ^ (value >> 27)) * 0x94D049BB133111EBu;
    return value ^ (value >> 31);
}

// FNV-1a of the file's text.
uint64_t SeedOf(const std::string& text) {
    uint64_t hash = 0xCBF29CE484222325u;
    for (const char c : text) {
        hash = (hash ^ static_cast<uint8_t>(c)) * 0x100000001B3u;
    }
    return hash;
}

// "title|performer N TEXT": the album's (N = 0) or track N's title or performer, the rest of the
// line as it stands; false for another field, a number outside 0 to 99 or no text.
bool ParseCdText(std::istringstream& words, CdText& text) {
    std::string field;
    int64_t track = -1;
    words >> field >> track;
    std::string rest;
    std::getline(words, rest);
    const auto first = rest.find_first_not_of(' ');
    if ((field != "title" && field != "performer") || track < 0 || track > 99 ||
        first == std::string::npos) {
        return false;
    }
    rest.erase(0, first);
    if (track == 0) {
        (field == "title" ? text.title : text.performer) = rest;
        return true;
    }
    if (text.tracks.size() < static_cast<size_t>(track)) {
        text.tracks.resize(static_cast<size_t>(track));
    }
    CdText::Track& entry = text.tracks[static_cast<size_t>(track - 1)];
    (field == "title" ? entry.title : entry.performer) = rest;
    return true;
}

// "pregap TRACK SECTORS": the last SECTORS sectors before track TRACK's start are its pregap.
// "index TRACK N OFFSET": track TRACK's INDEX N (2 to 99) begins OFFSET sectors after its INDEX 01.
// Whether they fit the tracks is seen once all are read (FitIndexes).
bool ParseIndexStatement(std::istringstream& words, const std::string& keyword,
                         SimulatedDiscDescription& disc) {
    int64_t track = 0;
    int64_t value = 0;
    if (!ParseCount(words, track, 99) || track < 1) {
        return false;
    }
    if (keyword == "pregap") {
        if (!ParseCount(words, value, 100 * 60 * 75) || value < 1 || disc.pregaps.count(track)) {
            return false;
        }
        disc.pregaps[track] = value;
        return true;
    }
    int64_t index = 0;
    if (!ParseCount(words, index, 99) || index < 2 || !ParseCount(words, value, 100 * 60 * 75) ||
        value < 1 || disc.indexes[track].count(index)) {
        return false;
    }
    disc.indexes[track][index] = value;
    return true;
}

// Whether the declared pregaps and indexes fit the tracks: a pregap lies in an audio track
// before an audio track and leaves it its first sector and indexes; the indexes of a track are
// numbered from 2 on, one after another, and begin in order inside it, before the next pregap.
// Empty when they fit, else what does not.
std::string FitIndexes(const SimulatedDiscDescription& disc) {
    const auto count = static_cast<int64_t>(disc.tracks.size());
    const auto length = [&](int64_t track) {
        const auto i = static_cast<size_t>(track - 1);
        const int64_t next = i + 1 < disc.tracks.size() ? disc.tracks[i + 1].start : disc.leadOut;
        return next - disc.tracks[i].start;
    };
    const auto isData = [&](int64_t track) {
        return disc.tracks[static_cast<size_t>(track - 1)].data;
    };
    for (const auto& [track, sectors] : disc.pregaps) {
        if (track < 2 || track > count || isData(track) || isData(track - 1) ||
            sectors >= length(track - 1)) {
            return "the pregap of track " + std::to_string(track) + " does not fit the disc";
        }
    }
    for (const auto& [track, starts] : disc.indexes) {
        if (track > count || isData(track)) {
            return "track " + std::to_string(track) + " has indexes but is no audio track";
        }
        const auto pregap = disc.pregaps.find(track + 1);
        const int64_t end = length(track) - (pregap == disc.pregaps.end() ? 0 : pregap->second);
        int64_t number = 2;
        int64_t previous = 0;
        for (const auto& [index, offset] : starts) {
            if (index != number++ || offset <= previous || offset >= end) {
                return "the indexes of track " + std::to_string(track) + " do not fit it";
            }
            previous = offset;
        }
    }
    return {};
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
    } else if (keyword == "flaky" && ParseRange(words, range)) {
        disc.flaky.push_back(range);
    } else if (keyword == "jitter" && ParseCount(words, value, kFramesPerSector / 2)) {
        disc.jitterFrames = static_cast<int32_t>(value);
    } else if (keyword == "random-failures") {
        return ParseRandomFailures(words, disc);
    } else if (keyword == "drive") {
        return ParseIdentity(words, disc.identity);
    } else if (keyword == "cdtext") {
        return ParseCdText(words, disc.cdText);
    } else if (keyword == "pregap" || keyword == "index") {
        if (!ParseIndexStatement(words, keyword, disc)) {
            return false;
        }
    } else if (keyword == "offset") {
        std::string text;
        words >> text;
        std::istringstream number(text);
        if (!(number >> value) || !number.eof() || value < -kMostReadOffset ||
            value > kMostReadOffset) {
            return false;
        }
        disc.readOffset = static_cast<int32_t>(value);
    } else {
        return false;
    }
    std::string extra;
    return !(words >> extra);
}

class SimulatedDisc final : public DiscDevice {
  public:
    SimulatedDisc(SimulatedDiscDescription disc, uint32_t opening)
        : disc_(std::move(disc)),
          random_(20011231u + opening),
          failures_(static_cast<uint32_t>(Mix(disc_.seed + opening))) {}

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
        if (FailsAtRandom(start, count)) {
            error = {kCdErrorReadFailed, kSenseMediumError};
            return false;
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
        if (disc_.jitterFrames > 0 && (!secure_ || secureJitter_(random_) == 0)) {
            std::uniform_int_distribution<int32_t> jitter(-disc_.jitterFrames, disc_.jitterFrames);
            shift = jitter(random_);
        }
        // A drive with a read offset of +N returns the audio N samples before the sector asked
        // for; before the disc's first sample and after its last it reads silence.
        const int64_t first = start * kFramesPerSector + shift - disc_.readOffset;
        FillSimulatedAudio(first, count * kFramesPerSector, out);
        if (disc_.readOffset != 0) {
            SilenceOutsideTheDisc(first, count * kFramesPerSector, out);
        }
        SpoilFlakySectors(start, count, out);
        return true;
    }

    // The frame a drive reads beside the sector: a position frame, whose relative time counts
    // up from INDEX 01 and, in a pregap, down to 0 at the sector before the track's INDEX 01.
    // Like the audio, it cannot be had from a data track or an unreadable sector.
    QRead ReadSubchannelQ(int32_t sector, QFrame& frame) override {
        ++subchannelReads;
        if (sector < 0 || sector >= disc_.leadOut || disc_.tracks.empty() ||
            std::any_of(disc_.unreadable.begin(), disc_.unreadable.end(),
                        [sector](const SectorRange& r) { return r.Touches(sector, 1); })) {
            return QRead::failed;
        }
        // The track whose sectors these are by the table of contents.
        size_t i = 0;
        while (i + 1 < disc_.tracks.size() && disc_.tracks[i + 1].start <= sector) {
            ++i;
        }
        if (disc_.tracks[i].data) {
            return QRead::failed;
        }
        QPosition position;
        const int32_t start = disc_.tracks[i].start;
        const auto number = static_cast<int64_t>(i) + 1;
        const int32_t next = i + 1 < disc_.tracks.size() ? disc_.tracks[i + 1].start : 0;
        const auto pregap = disc_.pregaps.find(number + 1);
        if (sector < start) {  // before the first track
            position = {1, 0, start - 1 - sector, sector, 0};
        } else if (pregap != disc_.pregaps.end() && sector >= next - pregap->second) {
            position = {static_cast<int>(number + 1), 0, next - 1 - sector, sector, 0};
        } else {
            int index = 1;
            const auto declared = disc_.indexes.find(number);
            if (declared != disc_.indexes.end()) {
                for (const auto& [n, offset] : declared->second) {
                    index = sector - start >= offset ? static_cast<int>(n) : index;
                }
            }
            position = {static_cast<int>(number), index, sector - start, sector, 0};
        }
        frame = EncodeQPosition(position);
        return QRead::ok;
    }

    DriveIdentity Identity() override { return disc_.identity; }
    CdText ReadCdText() override {
        CdText text = disc_.cdText;
        text.tracks.resize(disc_.tracks.size());
        return text;
    }

    std::unique_ptr<ParanoiaDrive> OpenParanoiaDrive(std::string& problem) override;

  private:
    // Zeroes the frames of `out` (from disc frame `first` on) that lie before the disc's first
    // frame or from its lead-out on.
    void SilenceOutsideTheDisc(int64_t first, int64_t frames, uint8_t* out) const {
        const int64_t end = int64_t{disc_.leadOut} * kFramesPerSector;
        for (int64_t i = 0; i < frames; ++i) {
            if (first + i < 0 || first + i >= end) {
                std::fill_n(out + i * 4, 4, uint8_t{0});
            }
        }
    }

    // Whether one of the sectors read fails this time (see RandomFailures).
    bool FailsAtRandom(int64_t start, int64_t count) {
        bool failed = false;
        for (const auto& failures : disc_.randomFailures) {
            const int64_t first = std::max(failures.range.first, start);
            const int64_t last = std::min(failures.range.last, start + count - 1);
            for (int64_t sector = first; sector <= last; ++sector) {
                // A persistent draw is the sector's own; a passing one is new on each read.
                const double draw =
                    failures.persistent
                        ? static_cast<double>(Mix(disc_.seed ^ static_cast<uint64_t>(sector))) /
                              18446744073709551616.0
                        : std::uniform_real_distribution<double>(0, 1)(failures_);
                failed = failed || draw < failures.probability;
            }
        }
        return failed;
    }

    // A flaky sector that has been read fewer than kFlakyBadReads times comes back with a few
    // of its bytes changed at random, as a scratch gives different wrong samples on each read.
    void SpoilFlakySectors(int64_t start, int64_t count, uint8_t* out) {
        for (const auto& range : disc_.flaky) {
            const int64_t first = std::max(range.first, start);
            const int64_t last = std::min(range.last, start + count - 1);
            for (int64_t sector = first; sector <= last; ++sector) {
                if (flakyReads_[sector]++ >= kFlakyBadReads) {
                    continue;
                }
                uint8_t* data = out + (sector - start) * kCdSectorBytes;
                std::uniform_int_distribution<uint32_t> place(0, kCdSectorBytes - 1);
                std::uniform_int_distribution<int> change(1, 255);
                for (int i = 0; i < 4; ++i) {
                    data[place(random_)] ^= static_cast<uint8_t>(change(random_));
                }
            }
        }
    }

    SimulatedDiscDescription disc_;
    std::mt19937 random_;
    std::mt19937 failures_;  // apart from random_, so that failures do not move the jitter
    std::map<int64_t, int> flakyReads_;
    // Secure reads land off one time in ten: a drive's jitter comes now and then, and secure
    // reading relies on most reads landing true, as libcdio-paranoia's own simulation has it.
    bool secure_ = false;
    std::uniform_int_distribution<int> secureJitter_{0, 9};

  public:
    // Reads for secure reading (see secure_).
    bool ReadSecurely(int32_t start, uint32_t sectors, uint8_t* out, ReadError& error) {
        secure_ = true;
        const bool read = ReadAudio(start, sectors, out, true, error);
        secure_ = false;
        return read;
    }
};

std::unique_ptr<ParanoiaDrive> SimulatedDisc::OpenParanoiaDrive(std::string& problem) {
    DiscLayout layout;
    ReadError error;
    if (!ReadLayout(layout, error)) {
        problem = "no disc";
        return nullptr;
    }
    // Paranoia asks libcdio about the disc's tracks: it gets a stand-in image, and every read
    // comes here.
    return OpenStandInParanoiaDrive(
        layout,
        [this](int32_t start, uint32_t sectors, uint8_t* out) {
            ReadError error;
            return ReadSecurely(start, sectors, out, error);
        },
        problem);
}

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
    return {plainReads.load(), correctingReads.load(), subchannelReads.load()};
}

void ResetSimulatedReadCounts() {
    plainReads = 0;
    correctingReads = 0;
    subchannelReads = 0;
}

std::unique_ptr<DiscDevice> OpenSimulatedDisc(const std::string& path, std::string& problem) {
    std::ifstream in(path);
    if (!in) {
        problem = "cannot open " + path;
        return nullptr;
    }
    SimulatedDiscDescription disc;
    std::ostringstream text;
    text << in.rdbuf();
    disc.seed = SeedOf(text.str());
    std::istringstream lines(text.str());
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
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
    if (const std::string misfit = FitIndexes(disc); !misfit.empty()) {
        problem = path + ": " + misfit;
        return nullptr;
    }
    return std::make_unique<SimulatedDisc>(std::move(disc), NextOpening(path));
}

}  // namespace disctrove::platform
