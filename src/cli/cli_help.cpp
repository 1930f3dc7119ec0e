// --help and --list-options, laid out from the table of the command line.
#include <algorithm>
#include <string>

#include "cli/cli_options.h"
#include "cli/cli_table.h"

namespace disctrove::cli {

namespace {

constexpr const char* kUsageHead = R"(Usage: disctrove-cli [OPTIONS] COMMAND [ARGUMENTS]

Rips audio CDs (and disc images) to WAV, Ogg Vorbis, MP3, WMA, FLAC and Opus files, names
them from MusicBrainz or a CDDB server, encodes WAV files and decodes Ogg Vorbis, FLAC and
Opus files. It reads the settings of the desktop program and never changes them.
)";

constexpr const char* kUsageTail = R"(
Tags: Ogg Vorbis, MP3 and WMA files get the title, artist, album, year, genre and (in a rip)
the track and disc numbers with their totals; MP3 files an ID3v2.4 tag in front (UTF-8, TRCK
and TPOS "n/total") and the ID3v1 tag at the end (--set ID3/Id3v2=False: the ID3v1 tag alone;
--set ID3/Id3v23=True: the tag as ID3v2.3 for old players). WAV files have no tags. With a
MusicBrainz release, files also get the album artist, the track's own artist, the whole date,
the original date, label, catalogue number, barcode, media, country and the MusicBrainz
identifiers (every artist's) under MusicBrainz Picard's names, and the files of a rip its front
cover. A CDDB entry's extended data is the COMMENT. A disc of a set of several is ripped into
an album folder of its own, the album's name and (Disc 2) after it.

Questions are answered from the --answer options, else on the terminal, else with No.
Ctrl+C stops a rip as the Stop button does. Exit status: 0 done, 1 failed, 2 usage error,
3 a rip completed with doubts (read errors let pass, or Test & Copy's two reads differ).
)";

// The column the help text starts in: of the program's options and of the commands,
constexpr size_t kColumn = 27;
// and of a command's own options, listed below it.
constexpr size_t kCommandOptionColumn = 35;

// `head` and the lines of `text`: the first beside `head` from `first` on (0: from `column`, or
// three spaces after a head that leaves no two), the others below it from `column` on.
std::string Entry(const std::string& head, std::string_view text, size_t column, size_t first = 0) {
    if (first == 0) {
        first = head.size() + 2 <= column ? column : head.size() + 3;
    }
    std::string entry = head + std::string(first - head.size(), ' ');
    for (size_t start = 0;;) {
        const size_t end = std::min(text.find('\n', start), text.size());
        entry += std::string(text.substr(start, end - start)) + "\n";
        if (end == text.size()) {
            return entry;
        }
        entry += std::string(column, ' ');
        start = end + 1;
    }
}

std::string Joined(std::string_view a, std::string_view b) {
    return b.empty() ? std::string(a) : std::string(a) + " " + std::string(b);
}

std::string Usage() {
    std::string text = std::string(kUsageHead) + "\nOptions:\n";
    for (const OptionRow& row : OptionTable()) {
        if (row.command.empty() && !row.help.empty()) {
            text += Entry("  " + Joined(row.name, row.value), row.help, kColumn);
        }
    }
    text += "\nCommands:\n";
    for (const CommandRow& command : CommandTable()) {
        text += Entry("  " + Joined(command.name, command.arguments), command.help, kColumn);
        for (const OptionRow& row : OptionTable()) {
            if (row.command == command.name) {
                text += Entry("      " + Joined(row.name, row.value), row.help,
                              kCommandOptionColumn, row.column);
            }
        }
        if (!command.closing.empty()) {
            text += Entry("", command.closing, kColumn);
        }
    }
    return text + kUsageTail;
}

}  // namespace

const char* CliUsage() {
    static const std::string usage = Usage();
    return usage.c_str();
}

std::string CliOptionList() {
    std::string list;
    for (const CommandRow& command : CommandTable()) {
        list +=
            "command\t" + std::string(command.name) + "\t" + std::string(command.arguments) + "\n";
    }
    for (const OptionRow& row : OptionTable()) {
        if (!row.help.empty()) {
            list += "option\t" + (row.command.empty() ? "*" : std::string(row.command)) + "\t" +
                    std::string(row.name) + "\t" + std::string(row.value) + "\n";
        }
    }
    return list;
}

}  // namespace disctrove::cli
