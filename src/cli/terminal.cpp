#include "cli/terminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <iostream>

#include "platform/system/text.h"

namespace disctrove::cli {

namespace {

const char* AnswerName(ConfirmAnswer answer) {
    switch (answer) {
        case ConfirmAnswer::yes:
            return "Yes";
        case ConfirmAnswer::all:
            return "All";
        case ConfirmAnswer::no:
            return "No";
    }
    return "No";
}

// Columns of the terminal on standard error (80 when it does not say).
size_t TerminalColumns() {
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 1) {
        return size.ws_col;
    }
    return 80;
}

// `line` cut to fewer characters than `columns` (counting UTF-8 characters, not bytes).
std::string FitToWidth(const std::string& line, size_t columns) {
    size_t characters = 0;
    for (size_t i = 0; i < line.size(); ++i) {
        if ((static_cast<unsigned char>(line[i]) & 0xC0) != 0x80 && ++characters >= columns) {
            return line.substr(0, i);
        }
    }
    return line;
}

// A message as the terminal may show it: its own lines kept, every other control character (an
// escape sequence in a name it quotes) made a space.
std::string Printable(std::string_view text) {
    std::string out;
    for (size_t start = 0; start <= text.size();) {
        const size_t end = std::min(text.find('\n', start), text.size());
        out += platform::WithoutControls(text.substr(start, end - start));
        if (end < text.size()) {
            out += '\n';
        }
        start = end + 1;
    }
    return out;
}

}  // namespace

const char* StatusText(int32_t status) {
    switch (status) {
        case kStatusCompleted:
            return "Completed";
        case kStatusError:
            return "ERROR";
        default:
            return "Stopped";
    }
}

Terminal::Terminal(const DiscState& disc)
    : disc_(disc), interactive_(::isatty(STDIN_FILENO) && ::isatty(STDERR_FILENO)) {}

void Terminal::SetAnswers(std::optional<ConfirmAnswer> overwrite,
                          std::optional<ConfirmAnswer> readError) {
    overwrite_ = overwrite;
    readError_ = readError;
}

void Terminal::EndProgressLine() {
    if (drawnLines_ > 0) {
        std::fprintf(stderr, "\033[%dA\r\033[J", drawnLines_);
        drawnLines_ = 0;
    }
}

void Terminal::DrawProgressLines() {
    EndProgressLine();
    for (const auto& [position, line] : active_) {
        // A line that wrapped would throw off the count of lines to go back up.
        std::fprintf(stderr, "%s\n", FitToWidth(line, TerminalColumns()).c_str());
        ++drawnLines_;
    }
    if (!overall_.empty()) {
        std::fprintf(stderr, "%s\n", FitToWidth(overall_, TerminalColumns()).c_str());
        ++drawnLines_;
    }
}

std::string Terminal::Describe(int32_t position) const {
    if (position >= 0 && static_cast<size_t>(position) < disc_.tracks.size()) {
        const Track& track = disc_.tracks[static_cast<size_t>(position)];
        return platform::TwoDigits(track.Number()) + " " + platform::WithoutControls(track.title);
    }
    return platform::WithoutControls(fileName_);
}

void Terminal::Say(const std::string& text) {
    const std::lock_guard lock(mutex_);
    EndProgressLine();
    std::fprintf(stderr, "%s\n", Printable(text).c_str());
    DrawProgressLines();
}

void Terminal::TrackProgress(int32_t position, int32_t status) {
    Progress(position, Describe(position), status);
}

void Terminal::EndProgress(int32_t key, const std::string& line) {
    const std::lock_guard lock(mutex_);
    active_.erase(key);
    EndProgressLine();
    std::fflush(stderr);
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    if (::isatty(STDERR_FILENO) != 0) {
        DrawProgressLines();
        std::fflush(stderr);
    }
}

void Terminal::SetOverall(std::string line) {
    const std::lock_guard lock(mutex_);
    line = platform::WithoutControls(line);
    if (line == overall_) {
        return;
    }
    overall_ = std::move(line);
    if (::isatty(STDERR_FILENO) != 0) {
        DrawProgressLines();
        std::fflush(stderr);
    }
}

void Terminal::Progress(int32_t position, const std::string& name, int32_t status) {
    const std::lock_guard lock(mutex_);
    const bool ended = status >= kStatusCompleted;
    const std::string line =
        platform::WithoutControls(name) + ": " +
        (ended ? std::string(StatusText(status)) : std::to_string(status) + "%");
    if (::isatty(STDERR_FILENO) == 0) {
        // Without a terminal a line for every tenth percent of a track is enough for whoever
        // reads the log.
        const int32_t step = ended ? status : status / 10;
        const auto last = lastStep_.find(position);
        if (last != lastStep_.end() && last->second == step) {
            return;
        }
        lastStep_[position] = step;
        std::fprintf(stderr, "%s\n", line.c_str());
    } else if (ended) {
        // A track's last state stays above the lines of the tracks still in progress.
        active_.erase(position);
        EndProgressLine();
        std::fprintf(stderr, "%s\n", line.c_str());
        DrawProgressLines();
    } else {
        active_[position] = line;
        DrawProgressLines();
    }
    std::fflush(stderr);
}

void Terminal::WorkFinished() {
    const std::lock_guard lock(mutex_);
    active_.clear();
    overall_.clear();
    EndProgressLine();
}

void Terminal::Inform(std::string_view text) {
    Say(std::string(text));
}

ConfirmAnswer Terminal::Confirm(ConfirmTopic topic, std::string_view text) {
    const std::lock_guard lock(mutex_);
    EndProgressLine();  // the lines come back with the next report
    std::fprintf(stderr, "%s\n", Printable(text).c_str());
    const auto given = topic == ConfirmTopic::overwrite ? overwrite_ : readError_;
    if (given || !interactive_) {
        const ConfirmAnswer answer = given.value_or(ConfirmAnswer::no);
        std::fprintf(stderr, "Answer: %s\n", AnswerName(answer));
        return answer;
    }
    for (;;) {
        std::fprintf(stderr, "[y]es, [a]ll, [n]o? ");
        std::fflush(stderr);
        std::string line;
        if (!std::getline(std::cin, line)) {
            return ConfirmAnswer::no;
        }
        const char first = line.empty() ? ' ' : static_cast<char>(std::tolower(line[0]));
        if (first == 'y') {
            return ConfirmAnswer::yes;
        }
        if (first == 'a') {
            return ConfirmAnswer::all;
        }
        if (first == 'n') {
            return ConfirmAnswer::no;
        }
    }
}

}  // namespace disctrove::cli
