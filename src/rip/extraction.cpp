#include "rip/extraction.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <string>

#include "audio/audio_checks.h"
#include "audio/unique_file.h"
#include "audio/wav_file.h"
#include "platform/cdrom/drive_handle.h"
#include "platform/cdrom/secure_reading.h"
#include "rip/read_window.h"

namespace disctrove {

namespace {

using platform::CdHandle;
using platform::kCdStatusError;
using platform::kCdStatusOk;

constexpr int kAttempts = 3;

// The drive the options choose; an empty handle when none is chosen.
platform::DriveHandle OpenChosenDrive(const Options& options, const DiscState& disc) {
    const auto index = static_cast<size_t>(options.Cdrom);
    return options.Cdrom >= 0 && index < disc.drives.size()
               ? platform::DriveHandle(disc.drives[index].handleRequest)
               : platform::DriveHandle();
}

// Reports the progress of `done` of `total` sectors on the scale from the job's start to `to`.
void ReportProgress(WorkerContext& context, const RipJob& job, uint64_t done, uint64_t total,
                    int32_t to) {
    const auto span = static_cast<uint64_t>(std::max(to - job.progressFrom, 0));
    const uint64_t part = total == 0 ? 0 : done * span / total;
    ReportStatus(context, *job.track, job.progressFrom + static_cast<int32_t>(part));
}

// A read given up at `sector`: recorded in the job's result, then the question unless the user
// said All before. False when the answer is No.
bool GoOnAfterReadError(WorkerContext& context, const RipJob& job, uint32_t sector) {
    const auto position = static_cast<int32_t>(sector);
    if (job.result != nullptr) {
        std::vector<int32_t>& errors = job.result->readErrors;
        if (std::find(errors.begin(), errors.end(), position) == errors.end()) {
            errors.push_back(position);
        }
    }
    if (context.run.ignoreAllErrors) {
        return true;
    }
    const std::string question = "Error at frame " + std::to_string(sector) + "\nASPIlib error " +
                                 std::to_string(platform::GetAspiLibError()) + ", ASPI error " +
                                 std::to_string(platform::GetAspiLibAspiError() & 0xFF) +
                                 "\nDo you want to ignore this?";
    const ConfirmAnswer answer = context.questions.Confirm(ConfirmTopic::readError, question);
    if (answer == ConfirmAnswer::all) {
        context.run.ignoreAllErrors = true;
    }
    return answer != ConfirmAnswer::no;
}

bool TakeSilence(SampleStage& sink, uint64_t bytes) {
    static constexpr uint8_t kSilence[platform::kCdSectorBytes] = {};
    while (bytes > 0) {
        const size_t piece = static_cast<size_t>(std::min<uint64_t>(bytes, sizeof kSilence));
        if (!sink.Take({kSilence, piece})) {
            return false;
        }
        bytes -= piece;
    }
    return true;
}

// After Yes or All at a failed read: its sectors read one at a time, so that only those that
// cannot be read at all are silence. Each keeps its place whatever a read gives for it. A failing
// sector can cost a real drive seconds, so Stop is looked at before each.
ExtractionEnd TakeWhatCanBeRead(WorkerContext& context, const RipJob& job,
                                platform::CdHandle handle, uint32_t first, uint32_t count,
                                SampleStage& sink) {
    platform::TrackBuffer* read = job.readBuffer;
    for (uint32_t sector = first; sector < first + count; ++sector) {
        if (context.stop.stop_requested()) {
            return ExtractionEnd::stopped;
        }
        read->startSector = sector;
        read->sectorCount = 1;
        read->length = 0;
        read->startOffset = 0;
        const bool ok =
            ReadSectors(context.options.Jitter, handle, read, job.overlapBuffer) == kCdStatusOk;
        const uint32_t length = ok ? std::min(read->length, platform::kCdSectorBytes) : 0;
        if (!sink.Take({read->data() + read->startOffset, length}) ||
            !TakeSilence(sink, platform::kCdSectorBytes - length)) {
            return ExtractionEnd::writeFailed;
        }
    }
    return ExtractionEnd::completed;
}

// The plain and jitter-correcting modes: the window's sectors chunk by chunk, progress every
// fifth read.
ExtractionEnd ReadInChunks(WorkerContext& context, RipJob& job, const ReadWindow& window,
                           platform::CdHandle handle, SampleStage& sink, int32_t progressTo) {
    const uint32_t length = window.endSector - window.firstSector;
    uint32_t current = window.firstSector;
    uint32_t left = length;
    uint32_t chunk = kReadChunkSectors;
    for (uint32_t reads = 0; left > 0; ++reads) {
        if (context.stop.stop_requested()) {
            return ExtractionEnd::stopped;
        }
        if (reads % 5 == 0) {
            ReportProgress(context, job, length - left, length, progressTo);
        }
        chunk = std::min(chunk, left);
        platform::TrackBuffer* read = job.readBuffer;
        read->startSector = current;
        read->sectorCount = chunk;
        read->length = 0;
        read->startOffset = 0;
        if (ReadSectors(context.options.Jitter, handle, read, job.overlapBuffer) == kCdStatusOk) {
            if (!sink.Take({read->data() + read->startOffset, read->length})) {
                return ExtractionEnd::writeFailed;
            }
        } else if (!GoOnAfterReadError(context, job, current)) {
            return ExtractionEnd::abandoned;
        } else if (const ExtractionEnd end =
                       TakeWhatCanBeRead(context, job, handle, current, chunk, sink);
                   end != ExtractionEnd::completed) {
            // A read that is skipped keeps its place: what follows keeps its position and the
            // track its length.
            return end;
        }
        current += chunk;
        left -= chunk;
    }
    return ExtractionEnd::completed;
}

// Secure mode: sector by sector through paranoia. Positions given up close to each other are
// one read error, one question, one entry on the track: across a long unreadable stretch
// paranoia gives up a sector or two at a time.
ExtractionEnd ReadSecurely(WorkerContext& context, RipJob& job, const ReadWindow& window,
                           platform::CdHandle handle, SampleStage& sink, int32_t progressTo) {
    const uint32_t length = window.endSector - window.firstSector;
    if (length == 0) {
        return ExtractionEnd::completed;
    }
    std::string problem;
    const std::stop_token& stop = context.stop;
    const auto reading = platform::SecureReading::Open(
        handle, context.options.Retries, [&stop] { return stop.stop_requested(); }, problem);
    if (!reading || !reading->Seek(static_cast<int32_t>(window.firstSector))) {
        context.questions.Inform("Cannot read the disc securely: " +
                                 (problem.empty() ? std::string("no audio there") : problem));
        return ExtractionEnd::abandoned;
    }
    std::vector<int32_t> skipped;
    int64_t lastSkipped = -int64_t{kReadChunkSectors} - 1;
    for (uint32_t done = 0; done < length; ++done) {
        if (context.stop.stop_requested()) {
            return ExtractionEnd::stopped;
        }
        if (done % (5 * kReadChunkSectors) == 0) {
            ReportProgress(context, job, done, length, progressTo);
        }
        skipped.clear();
        const uint8_t* sector = reading->Read(skipped);
        if (sector == nullptr) {
            if (context.stop.stop_requested()) {
                return ExtractionEnd::stopped;  // Stop came while paranoia was reading
            }
            GoOnAfterReadError(context, job, window.firstSector + done);
            return ExtractionEnd::abandoned;  // the drive cannot go on at all
        }
        for (const int32_t position : skipped) {
            // Paranoia reads on past the window to check its end; what it gives up there is
            // another track's.
            if (position < static_cast<int64_t>(window.firstSector) ||
                position >= static_cast<int64_t>(window.endSector)) {
                continue;
            }
            const bool newRun = position > lastSkipped + kReadChunkSectors;
            lastSkipped = std::max<int64_t>(lastSkipped, position);
            if (newRun && !GoOnAfterReadError(context, job, static_cast<uint32_t>(position))) {
                return ExtractionEnd::abandoned;
            }
        }
        // Paranoia's data for a position it gave up on is the best it had: kept, as asked.
        if (!sink.Take({sector, platform::kCdSectorBytes})) {
            return ExtractionEnd::writeFailed;
        }
    }
    return ExtractionEnd::completed;
}

// The read shared by every target: the track's window, shifted by the read offset, through the
// job's stages into `out`, with silence where the window leaves the readable disc.
ExtractionEnd ReadTrack(WorkerContext& context, RipJob& job, SampleStage& out, int32_t progressTo) {
    SampleChain chain;
    if (job.stages != nullptr) {
        chain.Add(*job.stages);
    }
    chain.Add(out);
    const Options& options = context.options;
    const DiscState& disc = context.disc;
    const Track& track = *job.track;
    AudioRegion region{track.startSector, int64_t{track.startSector} + track.lengthSectors};
    const auto drive = static_cast<size_t>(options.Cdrom);
    if (options.Cdrom >= 0 && drive < disc.drives.size()) {
        region = ReadableAudioAround(disc.drives[drive].toc, disc.drives[drive].lastSession,
                                     track.startSector, track.lengthSectors);
    }
    const ReadWindow window = PlanReadWindow(track.startSector, track.lengthSectors,
                                             std::clamp(options.ReadOffset, -3000, 3000), region);
    WindowStage windowed(window, chain);
    if (!TakeSilence(chain, window.leadSilence)) {
        return ExtractionEnd::writeFailed;
    }
    const platform::DriveHandle handle = OpenChosenDrive(options, disc);  // for the track's length
    const ExtractionEnd end =
        options.Jitter == kJitterSecure
            ? ReadSecurely(context, job, window, handle.get(), windowed, progressTo)
            : ReadInChunks(context, job, window, handle.get(), windowed, progressTo);
    if (end == ExtractionEnd::completed && !TakeSilence(chain, window.tailSilence)) {
        return ExtractionEnd::writeFailed;
    }
    return end;
}

// Closes `file`; false when what was buffered could not be written.
bool Close(UniqueFile& file) {
    return std::fclose(file.release()) == 0;
}

}  // namespace

int32_t ReadSectors(int32_t jitterMode, CdHandle handle, platform::TrackBuffer* read,
                    platform::TrackBuffer* overlap) {
    int32_t status = kCdStatusError;
    const bool plain = jitterMode == 1 || jitterMode == 2;
    const bool correcting = jitterMode == 0 || jitterMode == 2;
    if (plain) {
        for (int attempt = 0; attempt < kAttempts && status != kCdStatusOk; ++attempt) {
            status = platform::ReadCDAudioLBA(handle, read);
        }
    }
    if (correcting && status != kCdStatusOk) {
        for (int attempt = 0; attempt < kAttempts && status != kCdStatusOk; ++attempt) {
            status = platform::ReadCDAudioLBAEx(handle, read, overlap);
        }
    }
    return status;
}

int32_t AbandonedStatus(const Options& options) {
    return options.Jitter == kJitterSecure ? kStatusError : kStatusStopped;
}

ExtractionEnd ReadTrackInto(WorkerContext& context, RipJob& job, SampleStage& stage,
                            int32_t progressTo) {
    return ReadTrack(context, job, stage, progressTo);
}

ExtractionEnd TestReadTrack(WorkerContext& context, RipJob& job, int32_t progressTo,
                            uint32_t& crc) {
    AudioChecksStage checks;
    RipJob test = job;
    test.stages = nullptr;  // the copy read is the one the track's checks describe
    test.progressFrom = 0;
    const ExtractionEnd end = ReadTrack(context, test, checks, progressTo);
    crc = checks.checks().crc32;
    return end;
}

void RipTrackToWav(WorkerContext& context, RipJob& job) {
    Track& track = *job.track;
    // Stop may have come while the question was open: then no file is opened.
    if ((!job.overwriteConfirmed && !ConfirmOverwrite(context, job.outputPath)) ||
        context.stop.stop_requested()) {
        ReportStatus(context, track, kStatusStopped);
        return;
    }
    // Written beside the output under a name of its own, and given the output's name once its
    // header tells the truth: a crash never leaves a WAV file that claims audio it lacks.
    const std::string writePath = platform::WritingPathFor(job.outputPath);
    UniqueFile out = CreateWorkingFile(writePath, "wb");
    if (!out) {
        context.questions.Inform(kCannotCreateOutputMessage);
        ReportStatus(context, track, kStatusError);
        return;
    }
    WriteWavHeader(out.get(), kCdChannels, kCdSampleRate, 1, 0);
    FileWriterStage writer(out.get());
    const ExtractionEnd end = ReadTrack(context, job, writer, 100);
    // The header says how much audio the file holds, whatever became of the track.
    WriteWavHeader(out.get(), kCdChannels, kCdSampleRate, 1,
                   static_cast<uint32_t>(std::min<uint64_t>(writer.written(), UINT32_MAX - 36)));
    const bool closed = Close(out);
    if (end == ExtractionEnd::writeFailed || !closed) {
        if (writePath != job.outputPath) {
            platform::RemoveFile(writePath);
        }
        context.questions.Inform(WriteFailedMessage(job.outputPath));
        ReportStatus(context, track, kStatusError);
        return;
    }
    if (!platform::ReplaceFile(writePath, job.outputPath)) {
        context.questions.Inform(kCannotCreateOutputMessage);
        ReportStatus(context, track, kStatusError);
        return;
    }
    if (end == ExtractionEnd::abandoned) {
        ReportStatus(context, track, AbandonedStatus(context.options));
        return;
    }
    ReportStatus(context, track, end == ExtractionEnd::stopped ? kStatusStopped : kStatusCompleted);
}

int RipTrackToPcm(WorkerContext& context, RipJob& job) {
    Track& track = *job.track;
    // Private to the user, in a temporary folder others may share. A file already at the name
    // (one another user put there, a link to a file of theirs) is not ours: another name is.
    const std::string wanted = job.outputPath;
    UniqueFile out = CreateWorkingFile(wanted, "wb", 0600);
    for (int n = 2; !out && errno == EEXIST && n <= 100; ++n) {
        const size_t dot = wanted.rfind('.');
        job.outputPath = wanted.substr(0, dot) + "-" + std::to_string(n) + wanted.substr(dot);
        out = CreateWorkingFile(job.outputPath, "wb", 0600);
    }
    if (!out) {
        job.outputPath.clear();  // no file of ours to remove
        context.questions.Inform(kCannotCreateTempMessage);
        ReportStatus(context, track, kStatusError);
        return -1;
    }
    FileWriterStage writer(out.get());
    const ExtractionEnd end = ReadTrack(context, job, writer, 30);
    const bool closed = Close(out);
    switch (end) {
        case ExtractionEnd::completed:
            if (closed) {
                // The status stays at its last progress value: the encoder goes on from there.
                ReportStatus(context, track, track.status);
                return 0;
            }
            [[fallthrough]];
        case ExtractionEnd::writeFailed:
            context.questions.Inform(WriteFailedMessage(job.outputPath));
            ReportStatus(context, track, kStatusError);
            return -1;
        case ExtractionEnd::stopped:
            ReportStatus(context, track, kStatusStopped);
            return 0;
        case ExtractionEnd::abandoned:
            ReportStatus(context, track, AbandonedStatus(context.options));
            return -1;
    }
    return -1;
}

}  // namespace disctrove
