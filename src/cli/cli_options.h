// The command line of disctrove-cli, read by the table of cli/cli_table.h.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "app/formats.h"
#include "disc/lookup_result.h"
#include "work/worker_interfaces.h"

namespace disctrove::cli {

struct CliOptions {
    bool help = false;
    bool version = false;             // --version
    bool listOptions = false;         // --list-options: the table, for the checks of the docs
    std::string settingsPath;         // --settings
    std::vector<std::string> images;  // --image, in order
    std::optional<int> drive;         // --drive
    std::vector<std::string> sets;    // --set SECTION/Key=VALUE
    std::string command;
    std::vector<std::string> arguments;             // what follows the command that is no option
    std::optional<EncoderKind> encoder;             // --encoder
    bool lookup = false;                            // --lookup
    LookupSource source = LookupSource::automatic;  // --source
    int release = 1;                                // --release: which MusicBrainz release
    std::optional<std::string> templateText;
    std::optional<ConfirmAnswer> answerOverwrite;
    std::optional<ConfirmAnswer> answerReadError;
    std::optional<std::string> outdir;
    std::optional<int> threads;    // --threads: encoder threads of a rip
    bool secure = false;           // --secure: secure reading for this rip
    bool imageFile = false;        // --image-file: the whole disc into one file
    std::optional<int> offset;     // --offset: the drive's read offset in samples
    bool offsetAuto = false;       // --offset auto: the one AccurateRip's drive list gives
    bool keepTree = false;         // --keep-tree: a conversion mirrors the source folders
    bool skipExisting = false;     // --skip-existing: a conversion skips files already made
    bool checkSignatures = false;  // --check-md5: FLAC sources against their MD5 signature
};

// Reads the command line. Fills `error` and returns nothing when it is not one the program
// takes (a usage error).
std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& arguments,
                                          std::string& error);

// The help text.
const char* CliUsage();

// The commands and options for scripts, a line each, fields apart by tabs:
// "command", name, arguments; "option", command ("*" for every command), name, value.
std::string CliOptionList();

// A whole number in decimal, nothing before or after it.
std::optional<int> ParseNumber(const std::string& text);

// The list positions (from 0) that a TRACKS argument names: "all", or numbers and ranges such as
// "1,3-5", the list's first track being `firstNumber` (0 when it is the hidden track). Nothing,
// with `error`, for a malformed list or a track the disc does not have.
std::optional<std::vector<size_t>> ParseTrackList(const std::string& text, size_t trackCount,
                                                  std::string& error, int firstNumber = 1);

struct SettingOverride {
    std::string section;
    std::string key;
    std::string value;
};

// "SECTION/Key=VALUE"; nothing when it has not that form.
std::optional<SettingOverride> ParseSettingOverride(const std::string& text);

}  // namespace disctrove::cli
