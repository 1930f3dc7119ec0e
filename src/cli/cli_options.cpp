#include "cli/cli_options.h"

#include <algorithm>
#include <charconv>

#include "cli/cli_table.h"

namespace disctrove::cli {

namespace {

// The row of an option on any command's list: whether the program knows it, and whether it
// takes a value.
const OptionRow* AnyRow(std::string_view name) {
    const auto rows = OptionTable();
    const auto row = std::ranges::find_if(rows, [name](const OptionRow& r) {
        return r.name == name || (!r.alias.empty() && r.alias == name);
    });
    return row == rows.end() ? nullptr : &*row;
}

// The row of an option of `command` (empty: of every command).
const OptionRow* RowOf(std::string_view command, std::string_view name) {
    const auto rows = OptionTable();
    const auto row = std::ranges::find_if(
        rows, [&](const OptionRow& r) { return r.command == command && r.name == name; });
    return row == rows.end() ? nullptr : &*row;
}

const CommandRow* CommandOf(std::string_view name) {
    const auto commands = CommandTable();
    const auto row =
        std::ranges::find_if(commands, [name](const CommandRow& c) { return c.name == name; });
    return row == commands.end() ? nullptr : &*row;
}

bool Read(const OptionRow& row, CliOptions& options, const std::string& value, std::string& error) {
    if (!IsChoice(row, value) || !row.read(options, value)) {
        error = std::string(row.name) + " takes " + TakesText(row) + ", not \"" + value + "\"";
        return false;
    }
    return true;
}

struct GivenOption {
    std::string_view name;
    std::string value;
};

// Splits the command line into the command, its arguments and the options; the options of every
// command are read at once, the others wait for the command.
bool SplitArguments(const std::vector<std::string>& arguments, CliOptions& options,
                    std::vector<GivenOption>& commandOptions, std::string& error) {
    for (size_t i = 0; i < arguments.size(); ++i) {
        std::string argument = arguments[i];
        const OptionRow* row = AnyRow(argument);
        const bool flag = row != nullptr && row->value.empty();
        if (!flag && !argument.starts_with("--")) {
            if (options.command.empty()) {
                options.command = argument;
            } else {
                options.arguments.push_back(argument);
            }
            continue;
        }
        std::string value;
        if (!flag) {
            const auto equals = argument.find('=');
            if (equals != std::string::npos) {
                value = argument.substr(equals + 1);
                argument.resize(equals);
            }
            row = AnyRow(argument);
            if (row == nullptr || row->value.empty()) {
                error = "unknown option " + argument;  // also a flag given a value
                return false;
            }
            if (equals != std::string::npos) {
                // the value came with the option
            } else if (i + 1 < arguments.size()) {
                value = arguments[++i];
            } else {
                error = argument + " needs a value";
                return false;
            }
        }
        if (!row->command.empty()) {
            commandOptions.push_back({row->name, value});
        } else if (!Read(*row, options, value, error)) {
            return false;
        }
    }
    return true;
}

// The command's own options, read when the command is known.
bool ReadCommandOptions(const std::vector<GivenOption>& given, CliOptions& options,
                        std::string& error) {
    const std::string& command = options.command;
    bool choosesRelease = false;
    for (const auto& [name, value] : given) {
        const OptionRow* row = RowOf(command, name);
        if (row == nullptr) {
            error = std::string(name) + " does not go with " + command;
            return false;
        }
        if (!Read(*row, options, value, error)) {
            return false;
        }
        choosesRelease = choosesRelease || row->name == "--source" || row->name == "--release";
    }
    if (choosesRelease && command == "rip" && !options.lookup) {
        error = "--source and --release go with rip --lookup";
        return false;
    }
    return true;
}

}  // namespace

std::optional<int> ParseNumber(const std::string& text) {
    int value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& arguments,
                                          std::string& error) {
    CliOptions options;
    std::vector<GivenOption> commandOptions;
    if (!SplitArguments(arguments, options, commandOptions, error)) {
        return std::nullopt;
    }
    if (options.help || options.version || options.listOptions) {
        return options;
    }
    if (options.command.empty()) {
        error = "no command given";
        return std::nullopt;
    }
    const CommandRow* command = CommandOf(options.command);
    if (command == nullptr) {
        error = "unknown command \"" + options.command + "\"";
        return std::nullopt;
    }
    if (!ReadCommandOptions(commandOptions, options, error)) {
        return std::nullopt;
    }
    if (!command->needs.empty() && options.arguments.empty()) {
        error = options.command + " needs " + std::string(command->needs);
        return std::nullopt;
    }
    if (options.arguments.size() > command->maxArguments) {
        error =
            "too many arguments for " + options.command + ": \"" + options.arguments.back() + "\"";
        return std::nullopt;
    }
    return options;
}

std::optional<std::vector<size_t>> ParseTrackList(const std::string& text, size_t trackCount,
                                                  std::string& error, int firstNumber) {
    std::vector<size_t> positions;
    if (text == "all") {
        for (size_t i = 0; i < trackCount; ++i) {
            positions.push_back(i);
        }
        return positions;
    }
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = std::min(text.find(',', start), text.size());
        const std::string part = text.substr(start, comma - start);
        const size_t dash = part.find('-');
        const auto first = ParseNumber(part.substr(0, dash));
        const auto last = dash == std::string::npos ? first : ParseNumber(part.substr(dash + 1));
        if (!first || !last || *first < firstNumber || *last < *first) {
            error = "\"" + text + "\" is not a track list (use all, or numbers like 1,3-5)";
            return std::nullopt;
        }
        if (static_cast<size_t>(*last - firstNumber) >= trackCount) {
            error = "track " + std::to_string(*last) + " is not on the disc (it has " +
                    std::to_string(trackCount - static_cast<size_t>(1 - firstNumber)) + " tracks" +
                    (firstNumber == 0 ? " and a hidden track 0)" : ")");
            return std::nullopt;
        }
        for (int n = *first; n <= *last; ++n) {
            const auto position = static_cast<size_t>(n - firstNumber);
            if (std::find(positions.begin(), positions.end(), position) == positions.end()) {
                positions.push_back(position);
            }
        }
        start = comma + 1;
    }
    return positions;
}

std::optional<SettingOverride> ParseSettingOverride(const std::string& text) {
    const size_t slash = text.find('/');
    const size_t equals = text.find('=');
    if (slash == std::string::npos || equals == std::string::npos || slash == 0 ||
        equals < slash + 2) {
        return std::nullopt;
    }
    return SettingOverride{text.substr(0, slash), text.substr(slash + 1, equals - slash - 1),
                           text.substr(equals + 1)};
}

}  // namespace disctrove::cli
