#include "cli/cli_options.h"

#include <algorithm>
#include <charconv>
#include <set>

namespace disctrove::cli {

namespace {

const std::set<std::string> kCommands = {"drives", "toc", "lookup", "rip", "encode", "decode"};
const std::set<std::string> kValueOptions = {"--settings",
                                             "--image",
                                             "--drive",
                                             "--set",
                                             "--encoder",
                                             "--template",
                                             "--outdir",
                                             "--answer-overwrite",
                                             "--answer-read-error",
                                             "--threads",
                                             "--offset",
                                             "--source",
                                             "--release"};

std::optional<int> ParseNumber(const std::string& text) {
    int value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<EncoderKind> ParseEncoder(const std::string& text) {
    for (size_t kind = 0; kind < kEncoderNames.size(); ++kind) {
        std::string name(kEncoderNames[kind]);
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (name == text) {
            return static_cast<EncoderKind>(kind);
        }
    }
    return std::nullopt;
}

std::optional<ConfirmAnswer> ParseAnswer(const std::string& text) {
    if (text == "yes") {
        return ConfirmAnswer::yes;
    }
    if (text == "all") {
        return ConfirmAnswer::all;
    }
    if (text == "no") {
        return ConfirmAnswer::no;
    }
    return std::nullopt;
}

// Which commands take which of their own options.
bool CommandTakes(const std::string& command, const std::string& option) {
    if (option == "--encoder") {
        return command == "rip" || command == "encode";
    }
    if (option == "--outdir") {
        return command == "encode" || command == "decode";
    }
    if (option == "--answer-overwrite") {
        return command == "rip" || command == "encode" || command == "decode";
    }
    if (option == "--source" || option == "--release") {
        return command == "lookup" || command == "rip";
    }
    return command == "rip";  // --lookup, --template, --answer-read-error, --threads, --secure,
                              // --offset
}

std::optional<LookupSource> ParseSource(const std::string& text) {
    if (text == "auto") {
        return LookupSource::automatic;
    }
    if (text == "musicbrainz") {
        return LookupSource::musicBrainz;
    }
    if (text == "cddb") {
        return LookupSource::cddb;
    }
    return std::nullopt;
}

}  // namespace

const char* CliUsage() {
    return R"(Usage: disctrove-cli [OPTIONS] COMMAND [ARGUMENTS]

Rips audio CDs (and disc images) to WAV, Ogg Vorbis, MP3, WMA, FLAC and Opus files, names
them from MusicBrainz or a CDDB server, encodes WAV files and decodes Ogg Vorbis, FLAC and
Opus files. It reads the settings of the desktop program and never changes them.

Options:
  --settings FILE          the settings file to read (else $DISCTROVE_INI, else dt.ini beside
                           the program, else ~/.config/disctrove/dt.ini)
  --image FILE             add a disc image (.cue, .toc, .nrg, .simcd) to the drive list and
                           use it; may be given more than once
  --drive N                use drive N of the drive list (see "drives")
  --set SECTION/Key=VALUE  use VALUE for one key of the settings, for this run only
                           (for example --set GENERAL/Jitter=2 --set MP3/Cbr=192)
  --help                   show this text
  --version                show the program's name and version

Commands:
  drives                   list the drives: index <TAB> name
  toc                      the disc: "DISCID <id>", "ACCURATERIP <TAB> <AccurateRip ID>",
                           "MUSICBRAINZ <TAB> <MusicBrainz disc ID>", then per track:
                           number <TAB> title <TAB> start sector <TAB> sectors <TAB> mm:ss
  lookup                   look the disc up: on MusicBrainz first (MUSICBRAINZ/Use, default
                           True), then on the CDDB server when MusicBrainz finds nothing or
                           does not answer. Prints SOURCE <TAB> musicbrainz|cddb; for
                           MusicBrainz a line per release that holds the disc: RELEASE <TAB>
                           n <TAB> MBID <TAB> artist <TAB> title <TAB> date <TAB> country
                           <TAB> label <TAB> catalogue number <TAB> format; then, of the
                           chosen release, ARTIST, ALBUM, YEAR, GENRE, a TITLE line per track,
                           ALBUMARTIST <TAB> name (MusicBrainz) and TRACKARTIST <TAB> n <TAB>
                           name where a track's artist differs; exit 1 when nothing was found
      --source auto|musicbrainz|cddb   where to look: auto as above (the default), or
                                   only MusicBrainz, or only the CDDB server
      --release N                  name the disc from release N of the list (default 1)
  rip [TRACKS]             rip "all" tracks (the default) or those listed, as 1,3-5
      --encoder wav|ogg|mp3|wma|flac|opus   the format of every track (else the
                                   settings' Encoder); FLAC is lossless, with FLAC/Level
                                   0-8 (default 5) and FLAC/Verify (default True)
      --lookup                     look the disc up first, as "lookup" does
      --source auto|musicbrainz|cddb   with --lookup: where to look, as for "lookup"
      --release N                  with --lookup: the release that names the disc
      --template TEXT              name the files by TEXT (default "$a-$t"): $a artist,
                                   $A album artist (else $a), $r track artist (else $A),
                                   $l album, $y year, $g genre, $t title, $n number, $$ "$"
      --answer-overwrite yes|all|no    answer to "already exists" questions
      --answer-read-error yes|all|no   answer to read-error questions
      --threads N                  encode N tracks at once while the next is read (else
                                   the settings' EncoderThreads; 0: one per processor core)
      --secure                     read in secure mode (GENERAL/Jitter=3): every sector is
                                   read until two reads agree, up to SECURE/Retries re-reads
      --offset N                   the drive's read offset in samples, -3000 to 3000 (else
                                   SECURE/ReadOffset), as the AccurateRip drive list gives it
                           ends with a line per track: number <TAB> Completed|Stopped|ERROR
                           <TAB> file; a completed track in doubt says why, as in
                           "Completed — test and copy differ, 2 read errors"; then for
                           every track read whole:
                           ACCURATERIP <TAB> number <TAB> v1 <TAB> v2 <TAB> verdict
                           <TAB> confidence; verdict: "accurate" (confidence: the most
                           rippers of one pressing with the same checksums), "inaccurate"
                           (the rippers who submitted the track) or "unknown" (0: the
                           database has no entry, no answer came, or
                           SECURE/AccurateRip=False);
                           CRC <TAB> number <TAB> CRC32 of the copy <TAB> CRC32 of the
                           test read (SECURE/TestAndCopy=True) or -;
                           READERROR <TAB> number <TAB> mm:ss.ff for every position
                           given up (a read that failed, or that secure reading could
                           not make agree), counted from the track's start;
                           REPLAYGAIN <TAB> number <TAB> gain dB (as -6.52) <TAB> peak
                           (as 0.998000) per track, then REPLAYGAIN <TAB> album <TAB>
                           gain <TAB> peak of all tracks together, when ID3/ReplayGain
                           is on (the default; the files get these values as tags);
                           then LOG <TAB> path and CUE <TAB> path of the rip log and
                           the CUE sheet beside the playlist, when written (SECURE/
                           WriteLog, WriteCue; only when some track was completed);
                           COVER <TAB> path of the front cover saved beside the
                           files (a MusicBrainz release, MUSICBRAINZ/CoverArt=True);
                           exit 0 when every track was completed, 3 when every track was
                           completed and some are in doubt, 1 otherwise (also for a disc
                           without audio tracks)
  encode WAVFILE           encode a WAV file (into Outfolder of the settings)
      --encoder ogg|mp3|wma|flac|opus   the format (else the settings' WAVEncoder);
                                   FLAC keeps the file's bits (8, 16, 24), rate and
                                   channels
      --outdir DIR                 the folder for the new file
      --answer-overwrite yes|no    answer to an "already exists" question
  decode FILE              decode an Ogg Vorbis (.ogg), FLAC (.flac) or Opus (.opus) file
                           into a WAV file; a FLAC file's samples come back bit for bit,
                           an Opus file as 16 bits at 48 kHz
      --outdir DIR                 the folder for the new file
      --answer-overwrite yes|no    answer to an "already exists" question
                           both end with a line: Completed|Stopped|ERROR <TAB> file

Tags: Ogg Vorbis, MP3 and WMA files get the title, artist, album, year, genre and (in a rip)
the track number; MP3 files an ID3v2.4 tag in front (UTF-8, TRCK "n/total") and the ID3v1 tag
at the end (--set ID3/Id3v2=False: the ID3v1 tag alone). WAV files have no tags. With a
MusicBrainz release, files also get the album artist, the track's own artist and the
MusicBrainz identifiers, and FLAC, Ogg Vorbis, Opus and MP3 files of a rip its front cover.

Questions are answered from the --answer options, else on the terminal, else with No.
Ctrl+C stops a rip as the Stop button does. Exit status: 0 done, 1 failed, 2 usage error,
3 a rip completed with doubts (read errors let pass, or Test & Copy's two reads differ).
)";
}

std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& arguments,
                                          std::string& error) {
    CliOptions options;
    std::vector<std::pair<std::string, std::string>> commandOptions;
    for (size_t i = 0; i < arguments.size(); ++i) {
        std::string argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            options.help = true;
            continue;
        }
        if (argument == "--version") {
            options.version = true;
            continue;
        }
        if (argument == "--lookup" || argument == "--secure") {
            commandOptions.emplace_back(argument, "");
            continue;
        }
        if (!argument.starts_with("--")) {
            if (options.command.empty()) {
                options.command = argument;
            } else {
                options.arguments.push_back(argument);
            }
            continue;
        }
        std::string value;
        const auto equals = argument.find('=');
        if (equals != std::string::npos) {
            value = argument.substr(equals + 1);
            argument.resize(equals);
        }
        if (!kValueOptions.contains(argument)) {
            error = "unknown option " + argument;
            return std::nullopt;
        }
        if (equals != std::string::npos) {
            // the value came with the option
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            error = argument + " needs a value";
            return std::nullopt;
        }
        if (argument == "--settings") {
            options.settingsPath = value;
        } else if (argument == "--image") {
            options.images.push_back(value);
        } else if (argument == "--drive") {
            options.drive = ParseNumber(value);
            if (!options.drive || *options.drive < 0) {
                error = "--drive takes the number of a drive, not \"" + value + "\"";
                return std::nullopt;
            }
        } else if (argument == "--set") {
            if (!ParseSettingOverride(value)) {
                error = "--set takes SECTION/Key=VALUE, not \"" + value + "\"";
                return std::nullopt;
            }
            options.sets.push_back(value);
        } else {
            commandOptions.emplace_back(argument, value);
        }
    }
    if (options.help || options.version) {
        return options;
    }
    if (options.command.empty()) {
        error = "no command given";
        return std::nullopt;
    }
    if (!kCommands.contains(options.command)) {
        error = "unknown command \"" + options.command + "\"";
        return std::nullopt;
    }
    const std::string& command = options.command;
    bool choosesRelease = false;
    for (const auto& [option, value] : commandOptions) {
        if (!CommandTakes(command, option)) {
            error = option + " does not go with " + command;
            return std::nullopt;
        }
        if (option == "--lookup") {
            options.lookup = true;
        } else if (option == "--source") {
            const auto source = ParseSource(value);
            if (!source) {
                error = "--source takes auto, musicbrainz or cddb, not \"" + value + "\"";
                return std::nullopt;
            }
            options.source = *source;
            choosesRelease = true;
        } else if (option == "--release") {
            const auto release = ParseNumber(value);
            if (!release || *release < 1) {
                error = "--release takes the number of a release from 1, not \"" + value + "\"";
                return std::nullopt;
            }
            options.release = *release;
            choosesRelease = true;
        } else if (option == "--secure") {
            options.secure = true;
        } else if (option == "--offset") {
            options.offset = ParseNumber(value);
            if (!options.offset || *options.offset < -3000 || *options.offset > 3000) {
                error =
                    "--offset takes a number of samples from -3000 to 3000, not \"" + value + "\"";
                return std::nullopt;
            }
        } else if (option == "--encoder") {
            options.encoder = ParseEncoder(value);
            if (!options.encoder || (command == "encode" && *options.encoder == kEncoderWav)) {
                error = "--encoder takes " +
                        std::string(command == "encode" ? "ogg, mp3, wma, flac or opus"
                                                        : "wav, ogg, mp3, wma, flac or opus") +
                        ", not \"" + value + "\"";
                return std::nullopt;
            }
        } else if (option == "--template") {
            options.templateText = value;
        } else if (option == "--outdir") {
            options.outdir = value;
        } else if (option == "--threads") {
            options.threads = ParseNumber(value);
            if (!options.threads || *options.threads < 0 || *options.threads > 64) {
                error = "--threads takes a number from 0 to 64, not \"" + value + "\"";
                return std::nullopt;
            }
        } else {
            const auto answer = ParseAnswer(value);
            if (!answer) {
                error = option + " takes yes, all or no, not \"" + value + "\"";
                return std::nullopt;
            }
            (option == "--answer-overwrite" ? options.answerOverwrite : options.answerReadError) =
                answer;
        }
    }
    if (choosesRelease && command == "rip" && !options.lookup) {
        error = "--source and --release go with rip --lookup";
        return std::nullopt;
    }
    const bool takesFile = command == "encode" || command == "decode";
    const size_t allowed = takesFile || command == "rip" ? 1 : 0;
    if (takesFile && options.arguments.empty()) {
        error = command + " needs the " + (command == "encode" ? "WAV" : "Ogg Vorbis or FLAC") +
                " file to " + command;
        return std::nullopt;
    }
    if (options.arguments.size() > allowed) {
        error = "too many arguments for " + command + ": \"" + options.arguments.back() + "\"";
        return std::nullopt;
    }
    return options;
}

std::optional<std::vector<size_t>> ParseTrackList(const std::string& text, size_t trackCount,
                                                  std::string& error) {
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
        if (!first || !last || *first < 1 || *last < *first) {
            error = "\"" + text + "\" is not a track list (use all, or numbers like 1,3-5)";
            return std::nullopt;
        }
        if (static_cast<size_t>(*last) > trackCount) {
            error = "track " + std::to_string(*last) + " is not on the disc (it has " +
                    std::to_string(trackCount) + " tracks)";
            return std::nullopt;
        }
        for (int n = *first; n <= *last; ++n) {
            if (std::find(positions.begin(), positions.end(), n - 1) == positions.end()) {
                positions.push_back(static_cast<size_t>(n - 1));
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
