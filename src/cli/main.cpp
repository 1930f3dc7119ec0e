// disctrove-cli: the terminal front end. Rips discs and disc images, looks them up, encodes and
// decodes files, with the settings and the workers of the desktop program.
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/genres.h"
#include "app/settings_file.h"
#include "app/settings_path.h"
#include "app/version.h"
#include "cli/cli_options.h"
#include "cli/convert_command.h"
#include "cli/interrupts.h"
#include "cli/offset_commands.h"
#include "cli/session.h"
#include "cli/terminal.h"
#include "codecs/conversion_worker.h"
#include "codecs/disc_image_files.h"
#include "disc/accuraterip_database.h"
#include "disc/accuraterip_id.h"
#include "disc/accuraterip_lookup.h"
#include "disc/disc.h"
#include "disc/disc_lookup.h"
#include "disc/drive_offsets.h"
#include "disc/musicbrainz_id.h"
#include "disc/name_choice.h"
#include "disc/track_texts.h"
#include "front/outcome_texts.h"
#include "front/program_state.h"
#include "platform/cdrom/cdrom.h"
#include "platform/profile/profile_document.h"
#include "platform/system/environment.h"
#include "platform/system/files.h"
#include "platform/system/text.h"
#include "rip/image_file.h"
#include "rip/leftovers.h"
#include "rip/log_findings.h"
#include "rip/naming.h"
#include "rip/offset_finder.h"
#include "rip/rip_worker.h"
#include "work/worker_thread.h"

namespace disctrove::cli {

namespace {

// A field of an output line: one line, and nothing a terminal would take for a command, whatever
// a name (from a server, a file name) holds.
std::string Field(const std::string& text) {
    return platform::WithoutControls(text);
}

// The disc's names among the settings.
constexpr const char* kDiscNames[] = {"Artist", "Album", "Year", "Genre"};

// Reads the settings as the desktop program does, with the --set values over them; the file
// itself is never written.
bool LoadSessionSettings(Session& session, const CliOptions& options, std::string& error) {
    if (!options.settingsPath.empty()) {
        SetSettingsPathOverride(options.settingsPath);
    }
    auto document = platform::ProfileDocument::Load(SettingsPath());
    for (const std::string& text : options.sets) {
        const auto set = ParseSettingOverride(text);
        if (!set || !IsSettingsKey(set->section, set->key)) {
            error = "--set " + text + ": there is no such key in the settings";
            return false;
        }
        for (const char* name : kDiscNames) {
            if (platform::EqualsIgnoringCase(set->section, "ID3") &&
                platform::EqualsIgnoringCase(set->key, name)) {
                session.givenNames.WriteString("ID3", name, set->value);
            }
        }
        document.WriteString(set->section, set->key, set->value);
    }
    LoadSettings(session.state, document);
    return true;
}

// The drive list with the images, and the chosen drive.
bool ChooseDrive(Session& session, const CliOptions& options, std::string& error) {
    ProgramState& state = session.state;
    InstallDiscImageFileReaders();
    for (const std::string& image : options.images) {
        std::string problem;
        if (!platform::AddDiscImage(image, problem)) {
            error = problem;
            return false;
        }
    }
    BuildDriveList(state.disc);
    if (options.drive) {
        if (static_cast<size_t>(*options.drive) >= state.disc.drives.size()) {
            error = "there is no drive " + std::to_string(*options.drive) + " (see \"drives\")";
            return false;
        }
        state.options.Cdrom = *options.drive;
    } else if (!options.images.empty()) {
        for (size_t i = 0; i < state.disc.drives.size(); ++i) {
            if (state.disc.drives[i].name == options.images.back()) {
                state.options.Cdrom = static_cast<int32_t>(i);
            }
        }
    }
    return true;
}

enum class LookUpResult { named, nothingFound, noSuchRelease };

// Looks the disc up where `options` say and names it from the choice --release makes among those
// the look-up offers (`choices`: the releases or the CDDB entry, then the disc's CD-Text).
LookUpResult LookUp(Session& session, const CliOptions& options, std::vector<NameChoice>& choices) {
    ProgramState& state = session.state;
    state.session.lookupSource = options.source;
    {
        DiscLookup lookup(session.terminal);
        session.interrupts.OnInterrupt([&lookup] { lookup.Cancel(); });
        lookup.Start(state.options, state.disc, state.session.lookupSource);
        while (lookup.Busy()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        session.interrupts.OnInterrupt({});
        // A look-up cancelled by Ctrl+C found nothing.
        LookupResult& results = state.lookup;
        results = lookup.TakeReply(state.options, state.disc).value_or(LookupResult{});
    }
    // A service that failed is named even when the other one named the disc.
    for (const std::string& service : state.lookup.lookupUnanswered) {
        session.terminal.Say(service +
                             ": no whole answer (no connection, a timeout or an answer cut short)");
    }
    choices = NameChoicesFor(state.lookup, state.disc, DriveAt(state.disc, state.options.Cdrom));
    if (choices.empty()) {
        return LookUpResult::nothingFound;
    }
    const auto chosen = static_cast<size_t>(options.release);
    if (chosen > choices.size()) {
        return LookUpResult::noSuchRelease;
    }
    ApplyNameChoice(state.disc, state.lookup, choices[chosen - 1]);
    return LookUpResult::named;
}

std::string NoSuchRelease(const std::vector<NameChoice>& choices, int release) {
    const bool cdText = !choices.empty() && choices.back().source == NameSource::cdText;
    const size_t found = choices.size() - (cdText ? 1 : 0);
    return "--release " + std::to_string(release) + ": the look-up found " + std::to_string(found) +
           (found == 1 ? " release" : " releases") + (cdText ? " and the disc's CD-Text" : "");
}

// Who named the disc: the service that answered, or the disc's CD-Text.
const char* SourceName(NameSource source) {
    switch (source) {
        case NameSource::musicBrainz:
            return "MusicBrainz";
        case NameSource::cddb:
            return "CDDB";
        case NameSource::cdText:
            break;
    }
    return kCdTextChoiceText;
}

// How a rip lists a finished track: a completed one with what puts it in doubt, as the desktop
// program's Status column does ("Completed — 2 read errors").
std::string FinalStatusText(const TrackResult& track) {
    std::string text = StatusText(track.status);
    if (track.status == kStatusCompleted) {
        std::vector<std::string> findings = TrackDoubts(track);
        if (track.preEmphasis) {
            findings.emplace_back("pre-emphasised (not de-emphasised)");
        }
        if (!track.encodeNote.empty()) {
            findings.push_back(track.encodeNote);  // what the encoder made otherwise than asked
        }
        for (size_t i = 0; i < findings.size(); ++i) {
            text += (i == 0 ? " \u2014 " : ", ") + findings[i];
        }
    }
    return text;
}

int Drives(Session& session) {
    for (size_t i = 0; i < session.state.disc.drives.size(); ++i) {
        std::printf("%zu\t%s\n", i, Field(session.state.disc.drives[i].name).c_str());
    }
    return kExitDone;
}

int Toc(Session& session) {
    if (!ReadTheDisc(session)) {
        return kExitFailed;
    }
    const uint32_t discId = CurrentDiscId(session.state.options, session.state.disc);
    std::printf("DISCID %08x\n", discId);
    const Drive& drive =
        session.state.disc.drives[static_cast<size_t>(session.state.options.Cdrom)];
    std::printf("ACCURATERIP\t%s\n",
                AccurateRipIdText(ComputeAccurateRipDiscId(drive.toc, discId)).c_str());
    const std::string musicBrainz = ComputeMusicBrainzDiscId(drive.toc);
    std::printf("MUSICBRAINZ\t%s\n", musicBrainz.empty() ? "-" : musicBrainz.c_str());
    for (const Track& track : session.state.disc.tracks) {
        std::printf("%d\t%s\t%d\t%u\t%s:%s\n", track.Number(), Field(track.title).c_str(),
                    track.startSector, track.lengthSectors,
                    platform::TwoDigits(track.lengthSeconds / 60).c_str(),
                    platform::TwoDigits(track.lengthSeconds % 60).c_str());
    }
    return kExitDone;
}

// What a look-up that found nothing says: which services know the disc not, and the MusicBrainz
// page on which it can be added.
void SayNothingFound(Session& session) {
    const ProgramState& state = session.state;
    const LookupSource source = state.session.lookupSource;
    // The sentence names both services only when the look-up could ask both.
    const std::string sentence =
        source == LookupSource::musicBrainz
            ? std::string()
            : NotFoundSentence(state.lookup, source == LookupSource::automatic &&
                                                 state.options.musicBrainz.Use != 0);
    session.terminal.Say(sentence.empty() ? "Nothing was found for this disc." : sentence + ".");
    if (const Drive* drive = DriveAt(state.disc, state.options.Cdrom)) {
        if (const std::string page = MusicBrainzSubmissionUrl(drive->toc); !page.empty()) {
            session.terminal.Say("Add it to MusicBrainz: " + page);
        }
    }
}

int Lookup(Session& session, const CliOptions& options) {
    if (!ReadTheDisc(session)) {
        return kExitFailed;
    }
    std::vector<NameChoice> choices;
    const LookUpResult result = LookUp(session, options, choices);
    const LookupResult& found = session.state.lookup;
    const DiscState& disc = session.state.disc;
    if (result == LookUpResult::nothingFound) {
        SayNothingFound(session);
        return kExitFailed;
    }
    if (result == LookUpResult::noSuchRelease) {
        return UsageError(NoSuchRelease(choices, options.release));
    }
    const bool musicBrainz = found.lookupAnswer == LookupAnswer::musicBrainz;
    std::printf("SOURCE\t%s\n", musicBrainz ? "musicbrainz" : "cddb");
    for (size_t i = 0; i < choices.size(); ++i) {
        const MusicBrainzRelease& r = choices[i].names;
        if (choices[i].source == NameSource::musicBrainz) {
            std::printf("RELEASE\t%zu\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n", i + 1,
                        Field(r.id).c_str(), Field(r.artist).c_str(), Field(r.title).c_str(),
                        Field(r.date).c_str(), Field(r.country).c_str(), Field(r.label).c_str(),
                        Field(r.catalogNumber).c_str(), Field(r.format).c_str());
        } else if (choices[i].source == NameSource::cdText) {
            std::printf("CDTEXT\t%zu\t%s\t%s\n", i + 1, Field(r.artist).c_str(),
                        Field(r.title).c_str());
        }
    }
    std::printf("ARTIST\t%s\nALBUM\t%s\nYEAR\t%s\nGENRE\t%d\t%s\n", Field(disc.Artist).c_str(),
                Field(disc.Album).c_str(), Field(disc.Year).c_str(), disc.Genre,
                std::string(GenreNameOf(disc.Genre)).c_str());
    // A disc of a set, as the window's "Disc n of m" shows it; a single disc has no line.
    if (disc.DiscTotal > 1) {
        std::printf("DISC\t%d\t%d\n", disc.DiscNumber, disc.DiscTotal);
    }
    for (const Track& track : disc.tracks) {
        std::printf("TITLE\t%d\t%s\n", track.Number(), Field(track.title).c_str());
    }
    if (choices[static_cast<size_t>(options.release) - 1].source == NameSource::musicBrainz) {
        std::printf("ALBUMARTIST\t%s\n", Field(disc.release.albumArtist).c_str());
    }
    for (const Track& track : disc.tracks) {
        if (!track.artist.empty()) {
            std::printf("TRACKARTIST\t%d\t%s\n", track.Number(), Field(track.artist).c_str());
        }
    }
    return kExitDone;
}

int PrintRipResults(const DiscState& disc, const RipResult& rip);

// What the command line chose for a rip: the tracks at `positions` marked, the others not, and
// the template, threads, secure reading and offset given.
void ApplyRipChoices(ProgramState& state, const std::vector<size_t>& positions,
                     const CliOptions& options) {
    for (Track& track : state.disc.tracks) {
        track.marked = 0;
    }
    for (const size_t position : positions) {
        state.disc.tracks[position].marked = 1;
    }
    if (options.templateText) {
        state.session.currentTemplate = *options.templateText;
    }
    if (options.threads) {
        state.options.EncoderThreads = *options.threads;
    }
    if (options.secure) {
        state.options.Jitter = kJitterSecure;
    }
    if (options.imageFile) {
        state.options.ImageFile = 1;
    }
    if (state.options.ImageFile) {
        MarkWholeDisc(state.disc);  // an image holds every track
    }
    if (options.offset) {
        state.options.ReadOffset = *options.offset;
        // Given for this rip, it stands over what is saved for the drive.
        if (const Drive* drive = DriveAt(state.disc, state.options.Cdrom)) {
            state.options.driveOffsets.erase(DriveKey(drive->identity));
        }
    }
}

// Rips the marked tracks on a worker thread (Ctrl+C stops it as the Stop button does); what it
// proved of them, or of each marked track that it never read.
RipResult RunRip(Session& session) {
    ProgramState& state = session.state;
    std::optional<RipResult> result;
    if (const std::string problem = MakeRipFolder(state.options); !problem.empty()) {
        session.terminal.Say(problem);  // nothing can be written: every track fails
        FailRipAtStart(state.disc);
    } else {
        RemoveLeftoverFiles(state.options, SettingsPath());  // of runs that were killed
        PrepareRip(state.disc, state.run);
        RunWorker(
            session,
            [&session, &result] {
                result = RunRipWorker(session.context);
                return result->outcome;
            },
            [&state] { StopRip(state.disc, state.run); });
    }
    return result ? std::move(*result)
                  : UnreadRipResult(state.options, state.session.currentTemplate, state.disc);
}

int Rip(Session& session, const CliOptions& options) {
    ProgramState& state = session.state;
    if (!ReadTheDisc(session)) {
        return kExitFailed;
    }
    if (state.disc.tracks.empty()) {
        session.terminal.Say(kNoAudioTracksText);  // a data disc: no rip could make a file
        return kExitFailed;
    }
    std::string error;
    const auto positions =
        ParseTrackList(options.arguments.empty() ? "all" : options.arguments[0],
                       state.disc.tracks.size(), error, state.disc.tracks.front().Number());
    if (!positions) {
        return UsageError(error);
    }
    if (options.encoder) {
        ApplyEncoderToAllTracks(state.options, state.disc, state.run, *options.encoder);
    }
    if (options.imageFile || state.options.ImageFile) {
        if (!options.arguments.empty() && options.arguments[0] != "all") {
            return UsageError("--image-file rips the whole disc: give no TRACKS");
        }
        if (!ImageFormatProblem(state.options.Encoder).empty()) {
            return UsageError("--image-file writes WAV or FLAC, not " +
                              std::string(TableEntry(kEncoderNames, state.options.Encoder, 0)) +
                              " (--encoder wav or --encoder flac)");
        }
    }
    if (options.lookup) {
        std::vector<NameChoice> choices;
        switch (LookUp(session, options, choices)) {
            case LookUpResult::named:
                session.terminal.Say(
                    std::string(
                        SourceName(choices[static_cast<size_t>(options.release) - 1].source)) +
                    ": " + state.disc.Artist + " / " + state.disc.Album);
                break;
            case LookUpResult::nothingFound:
                SayNothingFound(session);
                break;
            case LookUpResult::noSuchRelease:
                return UsageError(NoSuchRelease(choices, options.release));
        }
    }
    ApplyRipChoices(state, *positions, options);
    ProposeDriveOffset(session, options);
    session.terminal.SetAnswers(options.answerOverwrite, options.answerReadError);
    const RipResult rip = RunRip(session);
    const int status = PrintRipResults(state.disc, rip);
    session.terminal.Say(DescribeRip(rip, RipBaseFolder(state.options)).sentence);
    if (const std::string hint = PressingOffsetHint(rip); !hint.empty()) {
        session.terminal.Say(hint);
    }
    return status;
}

// The number the disc gives the track of `result`.
int NumberOf(const DiscState& disc, const TrackResult& result) {
    return disc.tracks.at(static_cast<size_t>(result.index)).Number();
}

// The lines a rip ends with, and its exit status.
int PrintRipResults(const DiscState& disc, const RipResult& rip) {
    bool allCompleted = true;
    bool doubts = false;
    for (const TrackResult& track : rip.tracks) {
        std::printf("%d\t%s\t%s\n", NumberOf(disc, track), FinalStatusText(track).c_str(),
                    Field(track.file).c_str());
        allCompleted = allCompleted && track.status == kStatusCompleted;
        doubts = doubts || !TrackDoubts(track).empty();
    }
    // What the rip proves of each track read whole; there is no test read yet ("-"). A track
    // without a verdict (AccurateRip off, not completed) is "unknown".
    for (const TrackResult& track : rip.tracks) {
        if (track.accurateRip) {
            const AccurateRipResult verdict = track.verdict.value_or(AccurateRipResult{});
            std::printf("ACCURATERIP\t%d\t%08x\t%08x\t%s\t%u\t%s\n", NumberOf(disc, track),
                        track.accurateRip->v1, track.accurateRip->v2, VerdictName(verdict.verdict),
                        verdict.confidence, SignedOffsetText(verdict.pressingOffset).c_str());
        }
    }
    // The CUETools database's verdicts (CTDB on): per track read whole, then the whole disc's
    // when every track of it was.
    for (const TrackResult& track : rip.tracks) {
        if (track.ctdbVerdict) {
            std::printf("CTDB\t%d\t%s\t%d\n", NumberOf(disc, track),
                        CtdbVerdictName(track.ctdbVerdict->kind), track.ctdbVerdict->confidence);
        }
    }
    if (rip.ctdbDisc) {
        std::printf("CTDB\tdisc\t%s\t%d\n", CtdbVerdictName(rip.ctdbDisc->kind),
                    rip.ctdbDisc->confidence);
    }
    for (const TrackResult& track : rip.tracks) {
        if (track.checks) {
            std::array<char, 9> test{'-'};
            if (track.testCrc) {
                std::snprintf(test.data(), test.size(), "%08X", *track.testCrc);
            }
            std::printf("CRC\t%d\t%08X\t%s\n", NumberOf(disc, track), track.checks->crc32,
                        test.data());
        }
    }
    for (const TrackResult& track : rip.tracks) {
        const int32_t start = disc.tracks.at(static_cast<size_t>(track.index)).startSector;
        for (const int32_t sector : track.readErrors) {
            std::printf("READERROR\t%d\t%s\n", NumberOf(disc, track),
                        SectorTimeText(sector - start).c_str());
        }
    }
    // The gains as the tags hold them, without " dB".
    for (const TrackResult& track : rip.tracks) {
        if (track.loudness) {
            std::printf("REPLAYGAIN\t%d\t%.2f\t%.6f\n", NumberOf(disc, track),
                        track.loudness->gainDb, track.loudness->peak);
        }
    }
    if (const auto& album = rip.albumLoudness) {
        std::printf("REPLAYGAIN\talbum\t%.2f\t%.6f\n", album->gainDb, album->peak);
    }
    if (!rip.image.empty()) {
        std::printf("IMAGE\t%s\n", Field(rip.image).c_str());
    }
    if (!rip.log.empty()) {
        std::printf("LOG\t%s\n", Field(rip.log).c_str());
    }
    if (!rip.cueSheet.empty()) {
        std::printf("CUE\t%s\n", Field(rip.cueSheet).c_str());
    }
    if (!rip.cover.empty()) {
        std::printf("COVER\t%s\n", Field(rip.cover).c_str());
    }
    return !allCompleted ? kExitFailed : doubts ? kExitDoubts : kExitDone;
}

int Convert(Session& session, const CliOptions& options) {
    ProgramState& state = session.state;
    const bool encode = options.command == "encode";
    const std::string& source = options.arguments[0];
    std::error_code error;
    if (std::filesystem::is_directory(source, error)) {
        return UsageError(
            source + " is a folder; " +
            (encode ? "encode takes a WAV file" : "decode takes an Ogg Vorbis, Opus or FLAC file"));
    }
    if (options.outdir) {
        state.options.Outfolder = *options.outdir;
    }
    platform::CreateFolderPath(state.options.Outfolder);
    std::string output;
    if (encode) {
        state.options.WAVEncoder = options.encoder.value_or(state.options.WAVEncoder);
        if (state.options.WAVEncoder == kEncoderWav) {
            return UsageError(
                "the settings encode WAV files to WAV; choose --encoder ogg, mp3, wma, flac or "
                "opus");
        }
        state.session.wavSourcePath = source;
        state.session.pageFormats = state.options.formats;
        output = ConvertOutputPath(state.options, source);
    } else {
        state.session.decodeSourcePath = source;
        state.session.wavSourcePath = DecodeOutputPath(state.options, source);
        output = state.session.wavSourcePath;
    }
    session.terminal.SetAnswers(options.answerOverwrite, std::nullopt);
    session.terminal.SetFileName(std::filesystem::path(source).filename().string());
    Track progress;
    progress.index = -1;
    TrackResult result;
    state.run.ripping = 1;
    state.run.finished = 0;
    RunWorker(
        session,
        [&session, &progress, &result, encode] {
            return encode ? ConversionWorker(session.context, progress, result)
                          : DecodeWorker(session.context, progress);
        },
        [&state] { state.run.ripping = 0; });
    // What the encoder had to make otherwise than asked follows the status, in its field.
    const std::string note = result.encodeNote.empty() ? "" : " \u2014 " + result.encodeNote;
    std::printf("%s%s\t%s\n", StatusText(progress.status), note.c_str(), Field(output).c_str());
    return progress.status == kStatusCompleted ? kExitDone : kExitFailed;
}

int Main(const std::vector<std::string>& arguments) {
    std::string error;
    const auto options = ParseCliOptions(arguments, error);
    if (!options) {
        return UsageError(error);
    }
    if (options->help) {
        std::fputs(CliUsage(), stdout);
        return kExitDone;
    }
    if (options->version) {
        std::printf("%s %s\n", kProgramName, kProgramVersion);
        return kExitDone;
    }
    if (options->listOptions) {
        std::fputs(CliOptionList().c_str(), stdout);
        return kExitDone;
    }
    Interrupts interrupts;
    Session session(interrupts);
    if (!LoadSessionSettings(session, *options, error) || !ChooseDrive(session, *options, error)) {
        return UsageError(error);
    }
    const std::string& command = options->command;
    if (command == "drives") {
        return Drives(session);
    }
    if (command == "toc") {
        return Toc(session);
    }
    if (command == "lookup") {
        return Lookup(session, *options);
    }
    if (command == "rip") {
        return Rip(session, *options);
    }
    if (command == "offset") {
        return FindOffset(session, *options);
    }
    if (command == "convert") {
        return ConvertFiles(session, *options);
    }
    return Convert(session, *options);
}

}  // namespace

}  // namespace disctrove::cli

int main(int argc, char** argv) {
    return disctrove::cli::Main(std::vector<std::string>(argv + 1, argv + argc));
}
