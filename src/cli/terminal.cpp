#include "cli/terminal.h"

#include <unistd.h>

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

Terminal::Terminal(const Settings& settings)
    : settings_(settings), interactive_(::isatty(STDIN_FILENO) && ::isatty(STDERR_FILENO)) {}

void Terminal::SetAnswers(std::optional<ConfirmAnswer> overwrite,
                          std::optional<ConfirmAnswer> readError) {
    overwrite_ = overwrite;
    readError_ = readError;
}

void Terminal::EndProgressLine() {
    if (progressOpen_) {
        std::fputc('\n', stderr);
        progressOpen_ = false;
    }
}

void Terminal::Say(const std::string& text) {
    const std::lock_guard lock(mutex_);
    EndProgressLine();
    std::fprintf(stderr, "%s\n", text.c_str());
}

void Terminal::TrackProgress(int32_t position, int32_t status) {
    const std::lock_guard lock(mutex_);
    std::string what = fileName_;
    if (position >= 0 && static_cast<size_t>(position) < settings_.tracks.size()) {
        what = platform::TwoDigits(position + 1) + " " +
               settings_.tracks[static_cast<size_t>(position)].title;
    }
    const bool ended = status >= kStatusCompleted;
    const std::string state =
        ended ? std::string(StatusText(status)) : std::to_string(status) + "%";
    const bool terminal = ::isatty(STDERR_FILENO) != 0;
    // Without a terminal a line for every tenth percent is enough for whoever reads the log.
    const int32_t step = ended ? status : status / 10;
    if (!terminal && position == lastPosition_ && step == lastStep_) {
        return;
    }
    lastPosition_ = position;
    lastStep_ = step;
    if (terminal) {
        // One line that keeps being rewritten; a track's last state stays on its own line.
        std::fprintf(stderr, "\r\033[K%s: %s", what.c_str(), state.c_str());
        progressOpen_ = true;
        if (ended) {
            EndProgressLine();
        }
    } else {
        std::fprintf(stderr, "%s: %s\n", what.c_str(), state.c_str());
    }
    std::fflush(stderr);
}

void Terminal::WorkFinished() {
    const std::lock_guard lock(mutex_);
    EndProgressLine();
}

void Terminal::Inform(std::string_view text) {
    Say(std::string(text));
}

ConfirmAnswer Terminal::Confirm(ConfirmTopic topic, std::string_view text) {
    const std::lock_guard lock(mutex_);
    EndProgressLine();
    std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
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
