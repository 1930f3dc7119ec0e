#include "rip/rip_worker.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <utility>
#include <vector>

#include "app/share_path.h"
#include "audio/accuraterip_stage.h"
#include "audio/audio_checks.h"
#include "audio/audio_edges.h"
#include "audio/ctdb_stage.h"
#include "audio/loudness_stage.h"
#include "audio/pcm_source.h"
#include "codecs/encode_job.h"
#include "codecs/replaygain_tags.h"
#include "disc/accuraterip_lookup.h"
#include "disc/cover_art.h"
#include "disc/ctdb_lookup.h"
#include "disc/disc.h"
#include "disc/drive_offsets.h"
#include "platform/audio/sound_player.h"
#include "platform/cdrom/cdrom_records.h"
#include "platform/cdrom/drive_handle.h"
#include "platform/system/environment.h"
#include "platform/system/files.h"
#include "rip/encoder_pool.h"
#include "rip/extraction.h"
#include "rip/image_file.h"
#include "rip/naming.h"
#include "rip/playlist_writer.h"
#include "rip/rip_log.h"
#include "work/serial_questions.h"

namespace disctrove {

namespace {

// Makes the artist and album folders; false (after telling why) when the run cannot go on.
bool MakeDiscFolders(WorkerContext& context, const std::string& base) {
    const Options& options = context.options;
    const std::string artist = ArtistFolderName(options, context.disc);
    if (platform::CreateFolder(base + artist) == platform::CreateFolderResult::failed) {
        context.questions.Inform("Cannot create artist's folder \"" + artist + "\"");
        return false;
    }
    const std::string album = artist + "/" + AlbumFolderName(options, context.disc);
    const bool created =
        platform::CreateFolder(base + album) == platform::CreateFolderResult::created;
    if (!created && !options.Overwrite) {
        context.questions.Inform(
            "Cannot create album's folder \"" + album +
            "\"\nPlease check if that folder already exists and rename it\nor use the "
            "\"Overwrite tracks\" option in the menu Options > Global > Misc");
        return false;
    }
    return true;
}

// What one read of a track works in: its buffer and the overlap of jitter correction.
struct ReadBuffers {
    std::unique_ptr<platform::TrackBufferBlock> read;
    std::unique_ptr<platform::TrackBufferBlock> overlap;
};

// The buffers of a track's read; none when there is no memory for them.
std::optional<ReadBuffers> AllocateReadBuffers() {
    try {
        return ReadBuffers{std::make_unique<platform::TrackBufferBlock>(kReadChunkSectors),
                           std::make_unique<platform::TrackBufferBlock>(kOverlapSectors)};
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

bool IsKnownKind(EncoderKind kind) {
    return kind == kEncoderWav || kind == kEncoderOgg || kind == kEncoderMp3 ||
           kind == kEncoderWma || kind == kEncoderFlac || kind == kEncoderOpus;
}

// The reader's side of a run: reads the marked tracks in list order, each through the checks
// into its WAV file or its temporary file, and hands the latter to the encoder threads.
class Reader {
  public:
    // With an `image`, every track is read into it (and the marks do not count).
    Reader(WorkerContext& context, const std::string& folder, PlaylistWriter& playlist,
           EncoderPool& encoders, ImageFile* image = nullptr)
        : context_(context),
          folder_(folder),
          playlist_(playlist),
          encoders_(encoders),
          image_(image) {}

    // Reads every marked track; the result of the reading (the encoders may still work).
    int Run() {
        const DiscState& disc = context_.disc;
        for (const Track& track : disc.tracks) {
            // An image holds every track, the hidden one too (its row says how it went), though
            // its sheet makes that one track 1's INDEX 00.
            if (track.marked || image_ != nullptr) {
                TrackResult& result = results_.emplace_back();
                result.index = track.index;
                result.number = track.Number();
                result.hidden = track.Hidden();
                if (context_.facts != nullptr) {
                    const auto* own = TrackFactsOf(context_.options, disc, *context_.facts, track);
                    result.preEmphasis = own != nullptr && own->preEmphasis;
                }
                result.file =
                    image_ != nullptr
                        ? image_->path()
                        : folder_ + ExpandTemplate(disc, context_.session.currentTemplate, track) +
                              std::string(ExtensionOf(track.encoder));
            }
        }
        if (image_ != nullptr) {
            result_ = StartImage();
        }
        for (size_t place = 0; place < results_.size(); ++place) {
            Track& track = TrackOf(results_[place]);
            if (result_ != kRipCompleted || context_.stop.stop_requested()) {
                // Stopped, or the run ends after a failure: no further file is opened, so an
                // existing one is never truncated. An image that failed fails each of its tracks.
                ReportStatus(
                    context_, track,
                    image_ != nullptr && result_ == kRipFailed ? kStatusError : kStatusStopped);
                playlist_.End(place, false);
                result_ = result_ == kRipCompleted ? kRipStopped : result_;
                continue;
            }
            ReadOne(track, results_[place], place);
        }
        if (image_ != nullptr) {
            EndImage();
        }
        return result_;
    }

    // What the run proved of each marked track, with the status it ended with; taken once the
    // last encode is done.
    std::vector<TrackResult> TakeResults() {
        for (TrackResult& result : results_) {
            result.status = TrackOf(result).status;
        }
        return std::move(results_);
    }

    // What the tracks read whole leave for a search at other pressing offsets, by track index.
    const std::map<int32_t, SlidingTrack>& sliding() const { return sliding_; }

    // True when the user ended the run at a read error, or a temporary file failed.
    bool abandoned() const { return abandoned_; }

    // After the last encode: a completed track whose file is not there (its folder was removed
    // during the run, or another run removed it) ends as an error, and the user is told which.
    void CheckFilesAreThere() {
        std::string gone;
        for (const TrackResult& result : results_) {
            Track& track = TrackOf(result);
            if (track.status == kStatusCompleted && !platform::FileExists(result.file)) {
                ReportStatus(context_, track, kStatusError);
                gone += "\n" + result.file;
            }
        }
        if (!gone.empty()) {
            context_.questions.Inform(
                "These files of the rip are gone (removed, or their folder, before the rip "
                "ended):" +
                gone);
        }
    }

    // After the last encode: the album's loudness of the tracks read whole, and the track and
    // album gain in every file of the run that was completed. A file that cannot be tagged
    // keeps its audio; the user is told once which files lack the gain. Returns the album's.
    std::optional<Loudness> WriteReplayGain() {
        std::vector<const LoudnessMeter*> meters;
        for (const Measured& m : measured_) {
            meters.push_back(&m.stage->meter());
        }
        const std::optional<Loudness> album = LoudnessMeter::Together(meters);
        if (image_ != nullptr) {
            // The image is the album: its track gain is the album's.
            if (album && image_->written() &&
                !disctrove::WriteReplayGain(image_->path(), image_->kind(), *album, *album)) {
                context_.questions.Inform("Cannot write the ReplayGain tags of\n" + image_->path());
            }
            return album;
        }
        std::string failed;
        for (const Measured& m : measured_) {
            const TrackResult& result = *m.result;
            const Track& track = TrackOf(result);
            // An MP3 file carries the gain in its ID3v2 tag, which it gets only when Id3v2 is on.
            if (track.status != kStatusCompleted || !result.loudness || !album ||
                (track.encoder == kEncoderMp3 && !context_.options.Id3v2)) {
                continue;
            }
            if (!disctrove::WriteReplayGain(result.file, track.encoder, *result.loudness, *album)) {
                failed += "\n" + result.file;
            }
        }
        if (!failed.empty()) {
            context_.questions.Inform("Cannot write the ReplayGain tags of" + failed);
        }
        return album;
    }

  private:
    Track& TrackOf(const TrackResult& result) {
        return context_.disc.tracks[static_cast<size_t>(result.index)];
    }

    void ReadOne(Track& track, TrackResult& result, size_t place) {
        const Options& options = context_.options;
        const DiscState& disc = context_.disc;
        track.status = 0;
        context_.state.currentTrack = track.index;
        const std::string& output = result.file;
        const std::string& album = disc.Album.empty() ? "Unknown album" : disc.Album;
        playlist_.SetEntry(place, "#EXTINF:-1," + album + " - " + track.title + "\n" +
                                      std::string(FileNameOf(output)) + "\n");
        if (image_ == nullptr && !IsKnownKind(track.encoder)) {
            playlist_.End(place, true);  // a kind nobody knows: nothing to do
            return;
        }
        if (image_ == nullptr && track.encoder != kEncoderWav) {
            RipEncoder* encoder = readiness_.For(track.encoder);
            if (encoder == nullptr || !encoder->Ready(context_)) {
                // The track gets no file, and says so; the run goes on.
                ReportStatus(context_, track, kStatusError);
                playlist_.End(place, true);
                return;
            }
        }
        // A track named like one still being encoded waits for it, so the question and the
        // file are what they were when tracks were ripped one after another.
        encoders_.WaitUntilWritten(output);
        const std::optional<ReadBuffers> buffers = AllocateReadBuffers();
        if (!buffers) {
            result_ = kRipFailed;
            playlist_.End(place, false);
            return;
        }
        // Every sample passes the checks once, on its way to the file.
        TrackStages stages(track, disc, options.ReplayGain != 0);
        RipJob job{&track, buffers->read->get(), buffers->overlap->get(), output, &stages.chain};
        job.result = &result;
        if (image_ != nullptr) {
            ReadIntoImage(track, job, place, stages);
        } else if (track.encoder == kEncoderWav) {
            ReadToWav(track, job, place, stages);
        } else {
            ReadForEncoder(track, job, place, stages);
        }
    }

    // What the audio of one track passes through on its way to the file.
    struct TrackStages {
        TrackStages(const Track& track, const DiscState& disc, bool measure)
            : accurateRip(FramesOf(track), track.Number() == 1,
                          static_cast<size_t>(track.index) + 1 == disc.tracks.size()),
              ctdb(FramesOf(track), track.Number() == 1,
                   static_cast<size_t>(track.index) + 1 == disc.tracks.size(), DiscFrames(disc)),
              loudness(measure ? std::make_unique<LoudnessStage>() : nullptr) {
            chain.Add(checks);
            chain.Add(accurateRip);
            chain.Add(edges);
            chain.Add(ctdb);
            if (loudness) {
                chain.Add(*loudness);
            }
        }
        TrackStages(const TrackStages&) = delete;
        static uint64_t FramesOf(const Track& track) {
            return uint64_t{track.lengthSectors} * kCdFramesPerSector;
        }
        static uint64_t DiscFrames(const DiscState& disc) {
            uint64_t frames = 0;
            for (const Track& track : disc.tracks) {
                frames += track.Hidden() ? 0 : FramesOf(track);
            }
            return frames;
        }
        TrackStages& operator=(const TrackStages&) = delete;

        AudioChecksStage checks;
        AccurateRipStage accurateRip;
        AudioEdgesStage edges;  // for a pressing offset, should the database differ
        CtdbStage ctdb;
        std::unique_ptr<LoudnessStage> loudness;
        SampleChain chain;
    };

    // A WAV track: straight from the disc into its file.
    void ReadToWav(Track& track, RipJob& job, size_t place, TrackStages& stages) {
        const std::string output = job.outputPath;
        if (context_.options.TestAndCopy) {
            // Asked before the test read, so the user is not kept waiting for a question.
            if (!ConfirmOverwrite(context_, output)) {
                ReportStatus(context_, track, kStatusStopped);
                playlist_.End(place, true);
                return;
            }
            job.overwriteConfirmed = true;
            if (!TestRead(track, job, place, 50)) {
                return;
            }
        }
        RipTrackToWav(context_, job);
        KeepChecks(track, *job.result, stages);
        KeepLoudness(track, *job.result, std::move(stages.loudness));
        playlist_.End(place, !context_.stop.stop_requested());
    }

    // The image's file, and what lies before the first track in it; the run's result so far.
    int StartImage() {
        switch (image_->Open()) {
            case ImageFile::Opening::declined:
                return kRipStopped;
            case ImageFile::Opening::failed:
                return kRipFailed;
            case ImageFile::Opening::open:
                break;
        }
        if (results_.empty() || image_->layout().firstSector >= TrackOf(results_[0]).startSector) {
            return kRipCompleted;
        }
        // Hidden audio or silence: read as a track of its own would be, its progress shown on
        // the first track's row, its read errors counted with the first track's.
        Track& first = TrackOf(results_[0]);
        Track before = first;
        before.startSector = image_->layout().firstSector;
        before.lengthSectors = static_cast<uint32_t>(first.startSector - before.startSector);
        const std::optional<ReadBuffers> buffers = AllocateReadBuffers();
        if (!buffers) {
            return kRipFailed;
        }
        RipJob job{&before, buffers->read->get(), buffers->overlap->get(), image_->path(), nullptr};
        job.result = &results_[0];
        const int32_t status = ImageReadStatus(ReadTrackInto(context_, job, image_->stage(), 99));
        if (status == 0) {
            return kRipCompleted;
        }
        ReportStatus(context_, first, status);
        return status == kStatusError && !abandoned_ ? kRipFailed : kRipStopped;
    }

    // What a read into the image came to: 0 when it went on to its end, else the status its
    // track ends with (what the user is told is told).
    int32_t ImageReadStatus(ExtractionEnd end) {
        switch (end) {
            case ExtractionEnd::completed:
                return 0;
            case ExtractionEnd::stopped:
                return kStatusStopped;
            case ExtractionEnd::abandoned:
                abandoned_ = true;
                return AbandonedStatus(context_.options);
            case ExtractionEnd::writeFailed:
                break;
        }
        context_.questions.Inform(image_->WriteFailure());
        return kStatusError;
    }

    // A track of an image: straight from the disc into the one file. It is completed only when
    // the whole image is.
    void ReadIntoImage(Track& track, RipJob& job, size_t place, TrackStages& stages) {
        playlist_.End(place, false);
        if (context_.options.TestAndCopy && !TestRead(track, job, place, 50)) {
            result_ = result_ == kRipCompleted ? kRipStopped : result_;  // the image has a hole
            return;
        }
        const int32_t status = ImageReadStatus(ReadTrackInto(context_, job, image_->stage(), 99));
        if (status != 0) {
            ReportStatus(context_, track, status);
            result_ = status == kStatusError && !abandoned_ ? kRipFailed : kRipStopped;
            return;
        }
        KeepChecks(track, *job.result, stages);
        KeepLoudness(track, *job.result, std::move(stages.loudness));
    }

    // After the last track: the image takes its name when every track went into it, and its
    // tracks are completed; otherwise nothing of it is left, and a track read whole is stopped.
    void EndImage() {
        if (result_ == kRipCompleted && !context_.stop.stop_requested()) {
            const std::string failure = image_->Finish();
            if (failure.empty()) {
                for (const TrackResult& result : results_) {
                    ReportStatus(context_, TrackOf(result), kStatusCompleted);
                }
                return;
            }
            context_.questions.Inform(failure);
            result_ = kRipFailed;
        }
        image_->Discard();
        for (const TrackResult& result : results_) {
            Track& track = TrackOf(result);
            if (track.status < kStatusCompleted) {
                ReportStatus(context_, track,
                             result_ == kRipFailed ? kStatusError : kStatusStopped);
            }
        }
        result_ = result_ == kRipCompleted ? kRipStopped : result_;
    }

    // A track for an encoder: into its raw PCM temporary file, then handed to the encoders.
    void ReadForEncoder(Track& track, RipJob& job, size_t place, TrackStages& stages) {
        const std::string output = job.outputPath;
        if (!ConfirmOverwrite(context_, output)) {
            ReportStatus(context_, track, kStatusStopped);
            playlist_.End(place, true);
            return;
        }
        if (context_.options.TestAndCopy && !TestRead(track, job, place, 15)) {
            return;
        }
        encoders_.WaitForRoom();  // bounds the temporary space
        job.outputPath = TempPcmPath(context_.options, track);
        const std::stop_token& stop = context_.stop;
        const bool abandoned = !stop.stop_requested() && RipTrackToPcm(context_, job) == -1;
        if (abandoned || stop.stop_requested()) {
            platform::RemoveFile(job.outputPath);  // half a track's audio is of no use to anyone
            if (track.status < kStatusCompleted) {
                ReportStatus(context_, track, kStatusStopped);
            }
            abandoned_ = abandoned_ || abandoned;
            result_ = kRipStopped;
            playlist_.End(place, false);
            return;
        }
        KeepChecks(track, *job.result, stages);
        KeepLoudness(track, *job.result, std::move(stages.loudness));
        encoders_.Submit({&track, job.result, job.outputPath, output, place});
    }

    // Test & Copy's first read, with progress up to `half`; false when the track ends there. A
    // No at a read error ends the track as in the copy read: a WAV track alone, a track for an
    // encoder the whole run.
    bool TestRead(Track& track, RipJob& job, size_t place, int32_t half) {
        uint32_t crc = 0;
        const ExtractionEnd end = TestReadTrack(context_, job, half, crc);
        if (end == ExtractionEnd::completed) {
            job.result->testCrc = crc;
            job.progressFrom = half;
            return true;
        }
        const bool abandoned = end == ExtractionEnd::abandoned;
        ReportStatus(context_, track,
                     abandoned ? AbandonedStatus(context_.options) : kStatusStopped);
        if (!abandoned || track.encoder != kEncoderWav) {
            abandoned_ = abandoned_ || abandoned;
            result_ = kRipStopped;
        }
        playlist_.End(place, false);
        return false;
    }

    // The checks describe the track only when every sector of it was read.
    void KeepChecks(const Track& track, TrackResult& result, const TrackStages& stages) {
        if (track.status != kStatusStopped && track.status != kStatusError) {
            result.checks = stages.checks.checks();
            if (track.Hidden()) {
                return;  // neither database has the audio before track 1
            }
            result.accurateRip = stages.accurateRip.sums();
            result.ctdb = stages.ctdb.piece();
            const size_t tracks = context_.disc.tracks.size();
            sliding_[track.index] = {stages.edges.edges(), stages.accurateRip.sums().v1,
                                     stages.accurateRip.wordSum(), track.Number() == 1,
                                     static_cast<size_t>(track.index) + 1 == tracks};
        }
    }

    // A track read whole keeps its measurement until the album's loudness is known.
    void KeepLoudness(const Track& track, TrackResult& result,
                      std::unique_ptr<LoudnessStage> loudness) {
        if (loudness && track.status != kStatusStopped && track.status != kStatusError) {
            result.loudness = loudness->meter().Result();
            loudness->Finish();
            measured_.push_back({&result, std::move(loudness)});
        }
    }

    struct Measured {
        TrackResult* result;  // its file is the one the audio went to
        std::unique_ptr<LoudnessStage> stage;
    };

    WorkerContext& context_;
    const std::string& folder_;
    PlaylistWriter& playlist_;
    EncoderPool& encoders_;
    ImageFile* image_;      // the one file of a rip to an image; null for a file per track
    EncoderSet readiness_;  // tells, before a track is read, whether its encoder can work
    int result_ = kRipCompleted;
    bool abandoned_ = false;
    std::vector<Measured> measured_;
    // One per marked track, made before the first read: the reader and the encoder threads
    // write into their own, and nothing reads them until the last encode is done.
    std::vector<TrackResult> results_;
    std::map<int32_t, SlidingTrack> sliding_;
};

// The run once its folders are made: the reader, the encoders, the look-ups beside them, and what
// is written after the last encode. Returns the run's result.
RipResult RipInto(WorkerContext& context, const std::string& base, std::time_t started,
                  const DriveReadOffset& offset) {
    const Options& options = context.options;
    DiscState& disc = context.disc;
    const std::string& nameTemplate = context.session.currentTemplate;
    const auto marked = static_cast<size_t>(std::count_if(disc.tracks.begin(), disc.tracks.end(),
                                                          [](const Track& t) { return t.marked; }));
    // The names of the disc's files put the playlist in track order, with what earlier rips of
    // the disc listed.
    std::vector<std::string> files;
    for (const Track& track : disc.tracks) {
        files.emplace_back(FileNameOf(ExpandTemplate(disc, nameTemplate, track) +
                                      std::string(ExtensionOf(track.encoder))));
    }
    // An image's CUE sheet is its playlist.
    PlaylistWriter playlist(base + PlaylistName(options, disc),
                            options.Createm3u != 0 && !options.ImageFile, std::move(files), marked);
    // Fetched while the disc is read; the encoders wait for it only if it is late.
    CoverArtFetch cover(options, disc, context.stop);
    context.cover = &cover;
    EncoderPool encoders(
        context, EncoderThreadCount(options.EncoderThreads),
        [&playlist](const EncodeTask& task, bool kept) { playlist.End(task.order, kept); });
    // Asks the databases while the disc is read.
    AccurateRipLookup accurateRip(options, disc, context.stop);
    CtdbLookup ctdb(options, disc, context.stop);
    RipResult result;
    result.readOffset = offset;
    // Read once, for the tags, the log and the CUE sheet.
    if (const Drive* drive = DriveAt(disc, options.Cdrom)) {
        result.facts = platform::DriveHandle(drive->handleRequest).Facts();
    }
    context.facts = &result.facts;
    std::unique_ptr<ImageFile> image;
    if (options.ImageFile) {
        ImageLayout layout = PlanImage(options, disc, result.facts);
        const std::string path = ImagePath(options, disc, base, options.Encoder);
        std::string sheet = ImageCueSheetText(options, disc, result.facts, layout,
                                              std::string(FileNameOf(path)), options.Encoder);
        image = std::make_unique<ImageFile>(context, std::move(layout), path, std::move(sheet));
    }
    Reader reader(context, base, playlist, encoders, image.get());
    result.outcome = reader.Run();
    encoders.Finish();  // the run ends with its last encode
    if (image && image->written()) {
        result.image = image->path();
    }
    reader.CheckFilesAreThere();
    result.albumLoudness = reader.WriteReplayGain();
    result.tracks = reader.TakeResults();
    JudgeRip(disc, result.tracks, accurateRip, reader.sliding());
    result.ctdbDisc = JudgeCtdbRip(disc, result.tracks, ctdb);
    if (!cover.Keep(disc, base, result.cover)) {
        context.questions.Inform("Cannot write the cover \"" + base + kCoverFileStem + "\"");
    }
    context.cover = nullptr;
    context.facts = nullptr;
    if (reader.abandoned()) {
        context.state.ripping = 0;  // the run ended by the user's answer: it shows as over
    }
    if (result.outcome == kRipCompleted && context.stop.stop_requested()) {
        result.outcome = kRipStopped;
    }
    // Last, when every track has its checks and its AccurateRip verdict.
    if (const std::string unwritten = WriteRipLogAndCueSheet(options, disc, result, base, started);
        !unwritten.empty()) {
        context.questions.Inform(unwritten);
    }
    return result;
}  // the run's encoders (and what they loaded) are released here

}  // namespace

RipResult RunRipWorker(WorkerContext& outer) {
    // The drive is read with the offset saved for it, when there is one.
    Options options = outer.options;
    const Drive* drive = DriveAt(outer.disc, options.Cdrom);
    const DriveReadOffset offset =
        ReadOffsetFor(options, drive != nullptr ? drive->identity : platform::DriveIdentity{});
    options.ReadOffset = offset.samples;
    outer.run = RunFlags{};
    const std::time_t started = std::time(nullptr);
    // The reader and the encoder threads may all have something to ask.
    SerialQuestions questions(outer.questions);
    WorkerContext context{options,   outer.disc, outer.session, outer.state, outer.notifications,
                          questions, RunFlags{}, outer.stop};
    std::string base = RipBaseFolder(options);
    RipResult result;
    bool foldersMade = true;
    if (const std::string refused = options.ImageFile ? ImageFormatProblem(options.Encoder) : "";
        !refused.empty()) {
        questions.Inform(refused);
        FailRipAtStart(outer.disc);
        result = UnreadRipResult(options, outer.session.currentTemplate, outer.disc);
        foldersMade = false;
    } else if (options.RipInFolder) {
        foldersMade = MakeDiscFolders(context, base);
        base = RipOutputFolder(options, outer.disc);
    }
    if (foldersMade) {
        result = RipInto(context, base, started, offset);
    } else {
        result.outcome = kRipFailed;
    }
    outer.run = context.run;
    outer.state.finished = 1;
    if (options.Makesound) {
        PlayCompletionSound();
    }
    context.notifications.WorkFinished();
    return result;
}

std::string MakeRipFolder(const Options& options) {
    const std::string folder = RipBaseFolder(options);
    std::string reason;
    if (platform::CreateWritableFolderPath(folder, reason)) {
        return {};
    }
    return "Cannot write into the output folder \"" + (folder.empty() ? "." : folder) + "\":\n" +
           reason;
}

void FailRipAtStart(DiscState& disc) {
    for (Track& track : disc.tracks) {
        if (track.marked) {
            track.status = kStatusError;
        }
    }
}

RipResult UnreadRipResult(const Options& options, const std::string& nameTemplate,
                          const DiscState& disc) {
    RipResult result;
    result.outcome = kRipFailed;
    for (const Track& track : disc.tracks) {
        if (track.marked) {
            TrackResult& unread = result.tracks.emplace_back();
            unread.index = track.index;
            unread.number = track.Number();
            unread.hidden = track.Hidden();
            unread.status = track.status;
            unread.file = RipOutputPath(options, disc, nameTemplate, track);
        }
    }
    return result;
}

void PrepareRip(DiscState& disc, RunState& run) {
    for (Track& track : disc.tracks) {
        if (track.marked) {
            track.status = 0;
        }
    }
    run.ripping = 1;
    run.finished = 0;
}

void MarkWholeDisc(DiscState& disc) {
    for (Track& track : disc.tracks) {
        track.marked = 1;
    }
}

void StopRip(DiscState& disc, RunState& run) {
    run.ripping = 0;
    for (Track& track : disc.tracks) {
        if (track.marked && track.status < kStatusCompleted) {
            track.status = kStatusStopped;
        }
    }
}

void PlayCompletionSound() {
    const std::string path = ShareFilePath(kCompletionSound);
    PcmSource sound = PcmSource::OpenWav(path);
    const WavHeader& format = sound.format();
    if (path.empty() || sound.error() != PcmSourceError::none || format.bitsPerSample != 16 ||
        format.dataLength > 16 * 1024 * 1024) {
        platform::PlayDefaultSound();
        return;
    }
    std::vector<int16_t> samples(static_cast<size_t>(format.dataLength / 2));
    samples.resize(sound.Read(samples.data(), samples.size() * 2) / 2);
    platform::PlaySamplesAsync(std::move(samples), format.sampleRate, format.channels);
}

}  // namespace disctrove
