#include "platform/cdrom/cue_parser.h"

#include <algorithm>
#include <cctype>

namespace disctrove::platform {

namespace {

constexpr int32_t kFramesPerSecond = 75;
constexpr int kMostTracks = 99;
constexpr int kMostIndexes = 99;
// More minutes than any disc or file holds (about 16 days): a sum of such times stays far from
// the limits of a sector count.
constexpr int32_t kMostMinutes = 9999;

std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string Upper(std::string_view text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return upper;
}

// The first word of `text`; `text` keeps what follows it.
std::string_view TakeWord(std::string_view& text) {
    text = Trimmed(text);
    const size_t end = std::min(text.find_first_of(" \t"), text.size());
    const std::string_view word = text.substr(0, end);
    text.remove_prefix(end);
    text = Trimmed(text);
    return word;
}

// A text argument: between its quotes (the first and the last of the line, so that a title may
// hold quotes of its own), or the rest of the line as it stands.
std::string QuotedText(std::string_view text) {
    text = Trimmed(text);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        text = text.substr(1, text.size() - 2);
    }
    return std::string(text);
}

std::optional<int> ParseNumber(std::string_view text, int most) {
    if (text.empty() || text.size() > 3 ||
        !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); })) {
        return std::nullopt;
    }
    const int value = std::stoi(std::string(text));
    return value <= most ? std::optional(value) : std::nullopt;
}

// What the sheet has said so far.
struct Reading {
    CueSheet sheet;
    std::string problem;

    bool Fail(const std::string& what) {
        problem = what;
        return false;
    }

    // FILE "name" TYPE: the name may hold blanks, with or without its quotes.
    bool File(std::string_view rest) {
        rest = Trimmed(rest);
        const size_t typeAt = rest.find_last_of(" \t");
        if (typeAt == std::string_view::npos) {
            return Fail("FILE needs a name and a type");
        }
        CueFile file{QuotedText(rest.substr(0, typeAt)), Upper(Trimmed(rest.substr(typeAt)))};
        if (file.name.empty()) {
            return Fail("FILE needs a name");
        }
        sheet.files.push_back(std::move(file));
        return true;
    }

    bool Track(std::string_view rest) {
        if (sheet.files.empty()) {
            return Fail("TRACK before the first FILE");
        }
        const auto number = ParseNumber(TakeWord(rest), kMostTracks);
        const std::string mode = Upper(TakeWord(rest));
        if (!number || *number == 0 || mode.empty()) {
            return Fail("TRACK needs a number from 1 to 99 and a mode");
        }
        if (!sheet.tracks.empty() && *number <= sheet.tracks.back().number) {
            return Fail("track numbers must rise");
        }
        if (!sheet.tracks.empty() && sheet.tracks.back().Index(1) == nullptr) {
            return Fail("track " + std::to_string(sheet.tracks.back().number) + " has no INDEX 01");
        }
        CueTrack track;
        track.number = *number;
        track.mode = mode;
        sheet.tracks.push_back(std::move(track));
        return true;
    }

    bool Index(std::string_view rest) {
        if (sheet.tracks.empty()) {
            return Fail("INDEX before the first TRACK");
        }
        CueTrack& track = sheet.tracks.back();
        const auto number = ParseNumber(TakeWord(rest), kMostIndexes);
        const auto sector = ParseCueTime(TakeWord(rest));
        if (!number || !sector) {
            return Fail("INDEX needs a number from 0 to 99 and a time mm:ss:ff");
        }
        const int expected =
            track.indexes.empty() ? (*number == 0 ? 0 : 1) : track.indexes.back().number + 1;
        if (*number != expected) {
            return Fail("INDEX " + std::to_string(*number) + " out of order");
        }
        const size_t file = sheet.files.size() - 1;
        // Every index of this file so far, in this track and the ones before, lies earlier.
        for (const CueTrack& earlier : sheet.tracks) {
            for (const CueIndex& index : earlier.indexes) {
                if (index.file == file && index.sector > *sector) {
                    return Fail("INDEX " + std::to_string(*number) + " lies before an earlier one");
                }
            }
        }
        track.indexes.push_back({*number, file, *sector});
        return true;
    }

    bool Gap(std::string_view rest, bool before) {
        if (sheet.tracks.empty()) {
            return Fail("PREGAP or POSTGAP before the first TRACK");
        }
        const auto length = ParseCueTime(TakeWord(rest));
        if (!length) {
            return Fail("PREGAP and POSTGAP need a time mm:ss:ff");
        }
        (before ? sheet.tracks.back().pregap : sheet.tracks.back().postgap) = *length;
        return true;
    }

    void Flags(std::string_view rest) {
        if (sheet.tracks.empty()) {
            return;
        }
        CueTrack& track = sheet.tracks.back();
        for (std::string_view word = TakeWord(rest); !word.empty(); word = TakeWord(rest)) {
            const std::string flag = Upper(word);
            track.preEmphasis = track.preEmphasis || flag == "PRE";
            track.copyPermitted = track.copyPermitted || flag == "DCP";
            track.fourChannels = track.fourChannels || flag == "4CH";
        }
    }

    // TITLE and PERFORMER: the album's before the first track, the track's after.
    void Name(std::string_view rest, bool title) {
        std::string text = QuotedText(rest);
        if (sheet.tracks.empty()) {
            (title ? sheet.title : sheet.performer) = std::move(text);
        } else {
            (title ? sheet.tracks.back().title : sheet.tracks.back().performer) = std::move(text);
        }
    }

    bool Line(std::string_view line) {
        const std::string command = Upper(TakeWord(line));
        if (command == "FILE") {
            return File(line);
        }
        if (command == "TRACK") {
            return Track(line);
        }
        if (command == "INDEX") {
            return Index(line);
        }
        if (command == "PREGAP" || command == "POSTGAP") {
            return Gap(line, command == "PREGAP");
        }
        if (command == "FLAGS") {
            Flags(line);
        } else if (command == "TITLE" || command == "PERFORMER") {
            Name(line, command == "TITLE");
        } else if (command == "CATALOG") {
            sheet.catalog = QuotedText(line);
        } else if (command == "ISRC" && !sheet.tracks.empty()) {
            sheet.tracks.back().isrc = QuotedText(line);
        }
        return true;
    }
};

}  // namespace

const CueIndex* CueTrack::Index(int number) const {
    const auto found =
        std::find_if(indexes.begin(), indexes.end(),
                     [number](const CueIndex& index) { return index.number == number; });
    return found == indexes.end() ? nullptr : &*found;
}

std::optional<CueFile> ParseCueFileLine(std::string_view line) {
    Reading reading;
    if (Upper(TakeWord(line)) != "FILE" || !reading.File(line)) {
        return std::nullopt;
    }
    return reading.sheet.files.front();
}

std::optional<int32_t> ParseCueTime(std::string_view text) {
    int32_t parts[3] = {0, 0, 0};
    for (size_t i = 0; i < 3; ++i) {
        const size_t end = i < 2 ? text.find(':') : text.size();
        if (end == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view digits = text.substr(0, end);
        if (digits.empty() || digits.size() > 4 ||
            !std::all_of(digits.begin(), digits.end(),
                         [](unsigned char c) { return std::isdigit(c); })) {
            return std::nullopt;
        }
        parts[i] = std::stoi(std::string(digits));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    if (parts[0] > kMostMinutes || parts[1] >= 60 || parts[2] >= kFramesPerSecond) {
        return std::nullopt;
    }
    return (parts[0] * 60 + parts[1]) * kFramesPerSecond + parts[2];
}

std::optional<CueSheet> ParseCueSheet(std::string_view text, std::string& problem) {
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);  // a byte-order mark
    }
    Reading reading;
    for (int number = 1; !text.empty(); ++number) {
        const size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (!reading.Line(line)) {
            problem = "line " + std::to_string(number) + ": " + reading.problem;
            return std::nullopt;
        }
    }
    if (reading.sheet.tracks.empty()) {
        problem = "the sheet has no TRACK";
        return std::nullopt;
    }
    if (reading.sheet.tracks.back().Index(1) == nullptr) {
        problem =
            "track " + std::to_string(reading.sheet.tracks.back().number) + " has no INDEX 01";
        return std::nullopt;
    }
    return std::move(reading.sheet);
}

}  // namespace disctrove::platform
