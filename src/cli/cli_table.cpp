#include "cli/cli_table.h"

#include <algorithm>
#include <cctype>
#include <limits>
#include <optional>
#include <vector>

#include "cli/cli_options.h"

namespace disctrove::cli {

namespace {

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

// A number from `low` to `high` into `field`.
bool ReadNumber(std::optional<int>& field, const std::string& value, int low, int high) {
    field = ParseNumber(value);
    return field && *field >= low && *field <= high;
}

bool ReadHelp(CliOptions& options, const std::string&) {
    options.help = true;
    return true;
}

bool ReadVersion(CliOptions& options, const std::string&) {
    options.version = true;
    return true;
}

bool ReadListOptions(CliOptions& options, const std::string&) {
    options.listOptions = true;
    return true;
}

bool ReadSettings(CliOptions& options, const std::string& value) {
    options.settingsPath = value;
    return true;
}

bool ReadImage(CliOptions& options, const std::string& value) {
    options.images.push_back(value);
    return true;
}

bool ReadDrive(CliOptions& options, const std::string& value) {
    return ReadNumber(options.drive, value, 0, std::numeric_limits<int>::max());
}

bool ReadSet(CliOptions& options, const std::string& value) {
    if (!ParseSettingOverride(value)) {
        return false;
    }
    options.sets.push_back(value);
    return true;
}

bool ReadSource(CliOptions& options, const std::string& value) {
    const auto source = ParseSource(value);
    options.source = source.value_or(options.source);
    return source.has_value();
}

bool ReadRelease(CliOptions& options, const std::string& value) {
    std::optional<int> release;
    if (!ReadNumber(release, value, 1, std::numeric_limits<int>::max())) {
        return false;
    }
    options.release = *release;
    return true;
}

bool ReadEncoder(CliOptions& options, const std::string& value) {
    options.encoder = ParseEncoder(value);
    return options.encoder.has_value();
}

bool ReadLookup(CliOptions& options, const std::string&) {
    options.lookup = true;
    return true;
}

bool ReadSecure(CliOptions& options, const std::string&) {
    options.secure = true;
    return true;
}

bool ReadImageFile(CliOptions& options, const std::string&) {
    options.imageFile = true;
    return true;
}

bool ReadTemplate(CliOptions& options, const std::string& value) {
    options.templateText = value;
    return true;
}

bool ReadOutdir(CliOptions& options, const std::string& value) {
    options.outdir = value;
    return true;
}

bool ReadAnswerOverwrite(CliOptions& options, const std::string& value) {
    options.answerOverwrite = ParseAnswer(value);
    return options.answerOverwrite.has_value();
}

bool ReadAnswerReadError(CliOptions& options, const std::string& value) {
    options.answerReadError = ParseAnswer(value);
    return options.answerReadError.has_value();
}

bool ReadThreads(CliOptions& options, const std::string& value) {
    return ReadNumber(options.threads, value, 0, 64);
}

bool ReadKeepTree(CliOptions& options, const std::string&) {
    options.keepTree = true;
    return true;
}

bool ReadSkipExisting(CliOptions& options, const std::string&) {
    options.skipExisting = true;
    return true;
}

bool ReadCheckMd5(CliOptions& options, const std::string&) {
    options.checkSignatures = true;
    return true;
}

// Only "never" for now: a conversion never removes what it was made from.
bool ReadDeleteSource(CliOptions&, const std::string& value) {
    return value == "never";
}

bool ReadOffset(CliOptions& options, const std::string& value) {
    options.offsetAuto = value == "auto";
    return options.offsetAuto || ReadNumber(options.offset, value, -3000, 3000);
}

const CommandRow kCommands[] = {
    {.name = "drives", .help = "list the drives: index <TAB> name"},
    {.name = "toc",
     .help = "the disc: \"DISCID <id>\", \"ACCURATERIP <TAB> <AccurateRip ID>\",\n"
             "\"MUSICBRAINZ <TAB> <MusicBrainz disc ID>\", then per track:\n"
             "number <TAB> title <TAB> start sector <TAB> sectors <TAB> mm:ss"},
    {.name = "lookup",
     .help = "look the disc up: on MusicBrainz first (MUSICBRAINZ/Use, default\n"
             "True), then on the CDDB server when MusicBrainz finds nothing or\n"
             "does not answer. Prints SOURCE <TAB> musicbrainz|cddb; for\n"
             "MusicBrainz a line per release that holds the disc: RELEASE <TAB>\n"
             "n <TAB> MBID <TAB> artist <TAB> title <TAB> date <TAB> country\n"
             "<TAB> label <TAB> catalogue number <TAB> format; when the disc\n"
             "carries CD-Text, the choice of its names after them: CDTEXT <TAB>\n"
             "n <TAB> performer <TAB> title; then, of the chosen release,\n"
             "ARTIST, ALBUM, YEAR, GENRE, DISC <TAB> n <TAB> of (a disc of a\n"
             "set), a TITLE line per track, ALBUMARTIST <TAB> name (MusicBrainz)\n"
             "and TRACKARTIST <TAB> n <TAB> name where a track's artist\n"
             "differs; exit 1 when nothing was found"},
    {.name = "rip",
     .arguments = "[TRACKS]",
     .help = "rip \"all\" tracks (the default) or those listed, as 1,3-5",
     .closing = "ends with a line per track: number <TAB> Completed|Stopped|ERROR\n"
                "<TAB> file; a completed track in doubt says why, as in\n"
                "\"Completed — test and copy differ, 2 read errors\"; then for\n"
                "every track read whole:\n"
                "ACCURATERIP <TAB> number <TAB> v1 <TAB> v2 <TAB> verdict\n"
                "<TAB> confidence; verdict: \"accurate\" (confidence: the most\n"
                "rippers of one pressing with the same checksums), \"inaccurate\"\n"
                "(the rippers who submitted the track) or \"unknown\" (0: the\n"
                "database has no entry, no answer came, or\n"
                "SECURE/AccurateRip=False);\n"
                "CRC <TAB> number <TAB> CRC32 of the copy <TAB> CRC32 of the\n"
                "test read (SECURE/TestAndCopy=True) or -;\n"
                "READERROR <TAB> number <TAB> mm:ss.ff for every position\n"
                "given up (a read that failed, or that secure reading could\n"
                "not make agree), counted from the track's start;\n"
                "REPLAYGAIN <TAB> number <TAB> gain dB (as -6.52) <TAB> peak\n"
                "(as 0.998000) per track, then REPLAYGAIN <TAB> album <TAB>\n"
                "gain <TAB> peak of all tracks together, when ID3/ReplayGain\n"
                "is on (the default; the files get these values as tags);\n"
                "then IMAGE <TAB> path of the disc image (--image-file);\n"
                "LOG <TAB> path and CUE <TAB> path of the rip log and\n"
                "the CUE sheet beside the playlist, when written (SECURE/\n"
                "WriteLog, WriteCue; only when some track was completed);\n"
                "COVER <TAB> path of the front cover saved beside the\n"
                "files (a MusicBrainz release, MUSICBRAINZ/CoverArt=True);\n"
                "exit 0 when every track was completed, 3 when every track was\n"
                "completed and some are in doubt, 1 otherwise (also for a disc\n"
                "without audio tracks)",
     .maxArguments = 1},
    {.name = "offset",
     .arguments = "find",
     .help = "find the drive's read offset with the disc in it, which the\n"
             "AccurateRip database must know: each common offset tried, then\n"
             "the whole range, then two tracks read whole to confirm it; the\n"
             "offset found is saved for the drive (section OFFSETS of the\n"
             "settings file) and every rip with the drive uses it; exit 1 when\n"
             "the disc is not in the database or nothing matched",
     .maxArguments = 1,
     .needs = "\"find\""},
    {.name = "encode",
     .arguments = "WAVFILE",
     .help = "encode a WAV file (into Outfolder of the settings)",
     .maxArguments = 1,
     .needs = "the WAV file to encode"},
    {.name = "convert",
     .arguments = "PATH...",
     .help = "convert files and folders (every file below a folder whose\n"
             "extension names a format we decode: WAV, FLAC, Ogg Vorbis,\n"
             "Opus, MP3, WMA, AAC/M4A, ALAC; a .cue sheet as its tracks)\n"
             "into one format, several at once, with their tags and cover\n"
             "carried over and ReplayGain measured anew (one album per\n"
             "source folder; ID3/ReplayGain); one file failing never stops\n"
             "the others, and Ctrl+C leaves only whole files",
     .closing = "prints a line per file as it ends: CONVERTED <TAB> source <TAB>\n"
                "file [<TAB> what the encoder made otherwise than asked],\n"
                "SKIPPED <TAB> source <TAB> file <TAB> why, FAILED <TAB> source\n"
                "<TAB> why, STOPPED <TAB> source; a path that is no source:\n"
                "FAILED <TAB> path <TAB> why; then TOTAL <TAB> converted\n"
                "<TAB> skipped <TAB> failed <TAB> stopped (counts); exit 0\n"
                "when nothing failed or stopped, 1 otherwise",
     .maxArguments = 1000000,
     .needs = "the files or folders to convert"},
    {.name = "decode",
     .arguments = "FILE",
     .help = "decode an Ogg Vorbis (.ogg), FLAC (.flac) or Opus (.opus) file\n"
             "into a WAV file; a FLAC file's samples come back bit for bit,\n"
             "an Opus file as 16 bits at 48 kHz",
     .closing = "both end with a line: Completed|Stopped|ERROR <TAB> file",
     .maxArguments = 1,
     .needs = "the Ogg Vorbis or FLAC file to decode"},
};

// The help lists them in this order: the options of every command, then each command's own.
const OptionRow kOptions[] = {
    {.name = "--settings",
     .value = "FILE",
     .help = "the settings file to read (else $DISCTROVE_INI, else dt.ini beside\n"
             "the program, else ~/.config/disctrove/dt.ini)",
     .read = ReadSettings},
    {.name = "--image",
     .value = "FILE",
     .help = "add a disc image to the drive list and use it: a .cue of .bin,\n"
             "WAV or FLAC files, a .flac with its CUE sheet inside, .toc, .nrg,\n"
             ".simcd; may be given more than once",
     .read = ReadImage},
    {.name = "--drive",
     .value = "N",
     .help = "use drive N of the drive list (see \"drives\")",
     .read = ReadDrive,
     .takes = "the number of a drive"},
    {.name = "--set",
     .value = "SECTION/Key=VALUE",
     .help = "use VALUE for one key of the settings, for this run only\n"
             "(for example --set GENERAL/Jitter=2 --set MP3/Cbr=192)",
     .read = ReadSet},
    {.name = "--help", .help = "show this text", .read = ReadHelp, .alias = "-h"},
    {.name = "--version", .help = "show the program's name and version", .read = ReadVersion},
    {.name = "--list-options", .read = ReadListOptions},  // hidden
    {.command = "lookup",
     .name = "--source",
     .value = "auto|musicbrainz|cddb",
     .help = "where to look: auto as above (the default), or\n"
             "only MusicBrainz, or only the CDDB server",
     .read = ReadSource},
    {.command = "lookup",
     .name = "--release",
     .value = "N",
     .help = "name the disc from release N of the list (default 1),\n"
             "or from its CD-Text by the number of the CDTEXT line",
     .read = ReadRelease,
     .takes = "the number of a release from 1"},
    {.command = "rip",
     .name = "--encoder",
     .value = "wav|ogg|mp3|wma|flac|opus",
     .help = "the format of every track (else the\n"
             "settings' Encoder); FLAC is lossless, with FLAC/Level\n"
             "0-8 (default 5) and FLAC/Verify (default True)",
     .read = ReadEncoder},
    {.command = "rip",
     .name = "--lookup",
     .help = "look the disc up first, as \"lookup\" does",
     .read = ReadLookup},
    {.command = "rip",
     .name = "--source",
     .value = "auto|musicbrainz|cddb",
     .help = "with --lookup: where to look, as for \"lookup\"",
     .read = ReadSource},
    {.command = "rip",
     .name = "--release",
     .value = "N",
     .help = "with --lookup: the release that names the disc",
     .read = ReadRelease,
     .takes = "the number of a release from 1"},
    {.command = "rip",
     .name = "--template",
     .value = "TEXT",
     .help = "name the files by TEXT (default \"$a-$t\"): $a artist,\n"
             "$A album artist (else $a), $r track artist (else $A),\n"
             "$l album, $y year, $g genre, $t title, $n number,\n"
             "$d disc number, $s number of discs, $$ \"$\"",
     .read = ReadTemplate},
    {.command = "rip",
     .name = "--answer-overwrite",
     .value = "yes|all|no",
     .help = "answer to \"already exists\" questions",
     .read = ReadAnswerOverwrite,
     .column = 39},  // in line with --answer-read-error
    {.command = "rip",
     .name = "--answer-read-error",
     .value = "yes|all|no",
     .help = "answer to read-error questions",
     .read = ReadAnswerReadError},
    {.command = "rip",
     .name = "--threads",
     .value = "N",
     .help = "encode N tracks at once while the next is read (else\n"
             "the settings' EncoderThreads; 0: one per processor core)",
     .read = ReadThreads,
     .takes = "a number from 0 to 64"},
    {.command = "rip",
     .name = "--secure",
     .help = "read in secure mode (GENERAL/Jitter=3): every sector is\n"
             "read until two reads agree, up to SECURE/Retries re-reads",
     .read = ReadSecure},
    {.command = "rip",
     .name = "--image-file",
     .help = "rip the whole disc into one file, WAV or FLAC (the\n"
             "encoder): what lies before track 1 and the gaps as on the\n"
             "disc, \"<artist> - <album>.flac\" with its CUE sheet\n"
             "(in a FLAC file also as its CUESHEET block and CUESHEET\n"
             "tag) and the log beside it; every track is verified as a\n"
             "track file is (GENERAL/ImageFile=True)",
     .read = ReadImageFile},
    {.command = "rip",
     .name = "--offset",
     .value = "N",
     .help = "the drive's read offset in samples, -3000 to 3000, for this\n"
             "rip (else the one saved for the drive, else SECURE/ReadOffset);\n"
             "\"auto\": the one AccurateRip's drive list gives the drive's model",
     .read = ReadOffset,
     .takes = "a number of samples from -3000 to 3000, or auto"},
    {.command = "encode",
     .name = "--encoder",
     .value = "ogg|mp3|wma|flac|opus",
     .help = "the format (else the settings' WAVEncoder);\n"
             "FLAC keeps the file's bits (8, 16, 24), rate and\n"
             "channels",
     .read = ReadEncoder},
    {.command = "encode",
     .name = "--outdir",
     .value = "DIR",
     .help = "the folder for the new file",
     .read = ReadOutdir},
    {.command = "encode",
     .name = "--answer-overwrite",
     .value = "yes|no",
     .help = "answer to an \"already exists\" question",
     .read = ReadAnswerOverwrite,
     .accepts = "yes|all|no"},  // as the help of rip says; "all" is "yes" for one file
    {.command = "convert",
     .name = "--encoder",
     .value = "wav|ogg|mp3|wma|flac|opus",
     .help = "the format (else the settings'\n"
             "WAVEncoder), set up by its section of the\n"
             "settings as for a rip",
     .read = ReadEncoder},
    {.command = "convert",
     .name = "--outdir",
     .value = "DIR",
     .help = "the folder for the new files (else the\n"
             "settings' Outfolder)",
     .read = ReadOutdir},
    {.command = "convert",
     .name = "--template",
     .value = "TEXT",
     .help = "name the files from their tags by TEXT, \"/\" between\n"
             "folders (default \"$A/$l/$n - $t\", a disc of a set\n"
             "\"$A/$l (Disc $d)/$n - $t\"): the codes of rip; a file\n"
             "without a title keeps its own name",
     .read = ReadTemplate},
    {.command = "convert",
     .name = "--keep-tree",
     .help = "keep each file's name and place below the folder given\n"
             "instead of naming it from its tags",
     .read = ReadKeepTree},
    {.command = "convert",
     .name = "--skip-existing",
     .help = "skip a file whose new file exists already",
     .read = ReadSkipExisting},
    {.command = "convert",
     .name = "--check-md5",
     .help = "compare each FLAC source with the MD5 signature it\n"
             "holds and fail it when they differ (slower; else\n"
             "the settings' CONVERT/CheckSignatures; frame CRCs\n"
             "and the sample count are always checked)",
     .read = ReadCheckMd5},
    {.command = "convert",
     .name = "--threads",
     .value = "N",
     .help = "convert N files at once (else the settings'\n"
             "EncoderThreads; 0: one per processor core)",
     .read = ReadThreads,
     .takes = "a number from 0 to 64"},
    {.command = "convert",
     .name = "--delete-source",
     .value = "never",
     .help = "what becomes of the sources: they are kept",
     .read = ReadDeleteSource},
    {.command = "convert",
     .name = "--answer-overwrite",
     .value = "yes|all|no",
     .help = "answer to \"already exists\" questions (when\n"
             "GENERAL/Overwrite=False)",
     .read = ReadAnswerOverwrite},
    {.command = "decode",
     .name = "--outdir",
     .value = "DIR",
     .help = "the folder for the new file",
     .read = ReadOutdir},
    {.command = "decode",
     .name = "--answer-overwrite",
     .value = "yes|no",
     .help = "answer to an \"already exists\" question",
     .read = ReadAnswerOverwrite,
     .accepts = "yes|all|no"},
};

// The choices an option's value names, or the one value name that is no list of choices.
std::vector<std::string_view> Choices(const OptionRow& row) {
    std::string_view list = row.accepts.empty() ? row.value : row.accepts;
    std::vector<std::string_view> choices;
    for (size_t bar = list.find('|'); bar != std::string_view::npos; bar = list.find('|')) {
        choices.push_back(list.substr(0, bar));
        list.remove_prefix(bar + 1);
    }
    choices.push_back(list);
    return choices;
}

}  // namespace

std::span<const CommandRow> CommandTable() {
    return kCommands;
}

std::span<const OptionRow> OptionTable() {
    return kOptions;
}

std::string TakesText(const OptionRow& row) {
    if (!row.takes.empty()) {
        return std::string(row.takes);
    }
    const std::vector<std::string_view> choices = Choices(row);
    std::string text;
    for (size_t i = 0; i < choices.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == choices.size() ? " or " : ", ") + std::string(choices[i]);
    }
    return text;
}

bool IsChoice(const OptionRow& row, std::string_view value) {
    const std::vector<std::string_view> choices = Choices(row);
    return choices.size() == 1 || std::ranges::find(choices, value) != choices.end();
}

}  // namespace disctrove::cli
