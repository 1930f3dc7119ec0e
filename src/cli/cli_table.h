// The command line of disctrove-cli as one table: every command and option with its value, its
// help text, the commands that take it and how its value is read. The parser, --help and the
// hidden --list-options (which the test of the man page and the completion reads) are made
// from it.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace disctrove::cli {

struct CliOptions;

// Reads a value the option takes into `options`; false when it does not take it.
using ReadValue = bool (*)(CliOptions& options, const std::string& value);

struct OptionRow {
    // The command that takes the option; empty for an option of the program, read before the
    // command is known. An option of several commands has a row for each.
    std::string_view command = {};
    std::string_view name;        // "--threads"
    std::string_view value = {};  // as the help names it: "N", "yes|all|no"; empty for a flag
    // Lines apart by '\n'; empty for an option the help leaves out.
    std::string_view help = {};
    ReadValue read = nullptr;
    // What a refused value is told the option takes; empty: the choices.
    std::string_view takes = {};
    // The values it takes, apart by '|', when they are more than `value` shows; else `value`.
    // A value with no '|' is no list of choices.
    std::string_view accepts = {};
    // Where the help starts on the option's line, when not in the column of the rest.
    size_t column = 0;
    std::string_view alias = {};  // another spelling of the option, "-h"
};

struct CommandRow {
    std::string_view name;
    std::string_view arguments = {};  // as the help names them: "[TRACKS]", "WAVFILE"
    std::string_view help = {};       // before the command's options; lines apart by '\n'
    std::string_view closing = {};    // after the command's options
    size_t maxArguments = 0;
    // Without its argument the command says it "needs" this; empty: the argument may be left out.
    std::string_view needs = {};
};

std::span<const CommandRow> CommandTable();
std::span<const OptionRow> OptionTable();

// The values an option takes ("yes, all or no"): its choices, or what it says it takes.
std::string TakesText(const OptionRow& row);
// Whether `value` is one of the option's choices; true for an option without choices.
bool IsChoice(const OptionRow& row, std::string_view value);

}  // namespace disctrove::cli
