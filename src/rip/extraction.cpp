#include "rip/extraction.h"

#include <algorithm>
#include <cstdint>

#include "audio/unique_file.h"
#include "audio/wav_file.h"

namespace disctrove {

namespace {

using platform::CdHandle;
using platform::kCdStatusError;
using platform::kCdStatusOk;

constexpr int kAttempts = 3;

// Keeps a drive handle for the length of one track.
class DriveHandle {
  public:
    explicit DriveHandle(const Settings& settings) {
        const auto index = static_cast<size_t>(settings.Cdrom);
        if (settings.Cdrom >= 0 && index < settings.drives.size()) {
            handle_ = platform::GetCDHandle(&settings.drives[index].handleRequest);
        }
    }
    ~DriveHandle() { platform::CloseCDHandle(handle_); }
    DriveHandle(const DriveHandle&) = delete;
    DriveHandle& operator=(const DriveHandle&) = delete;

    CdHandle get() const { return handle_; }

  private:
    CdHandle handle_ = 0;
};

enum class ExtractionEnd {
    completed,  // every sector was read or skipped
    stopped,    // the rip was stopped
    abandoned,  // No at a read error
    writeFailed,
};

// The read loop shared by both targets: reads the track chunk by chunk, hands what each read
// returns to the job's stages and then to `out`, and reports progress from 0 to
// `progressScale` every fifth read.
ExtractionEnd ReadTrack(WorkerContext& context, RipJob& job, FileWriterStage& out,
                        int32_t progressScale) {
    SampleChain chain;
    if (job.stages != nullptr) {
        chain.Add(*job.stages);
    }
    chain.Add(out);
    Track& track = *job.track;
    const DriveHandle drive(context.settings);
    const uint32_t length = track.lengthSectors;
    uint32_t current = static_cast<uint32_t>(track.startSector);
    uint32_t left = length;
    uint32_t chunk = kReadChunkSectors;
    for (uint32_t reads = 0; left > 0; ++reads) {
        if (!context.settings.ripping) {
            return ExtractionEnd::stopped;
        }
        if (reads % 5 == 0) {
            const uint64_t done = uint64_t{length - left} * static_cast<uint64_t>(progressScale);
            ReportStatus(context, track, static_cast<int32_t>(done / length));
        }
        chunk = std::min(chunk, left);
        platform::TrackBuffer* read = job.readBuffer;
        read->startSector = current;
        read->sectorCount = chunk;
        read->length = 0;
        read->startOffset = 0;
        if (ReadSectors(context.settings.Jitter, drive.get(), read, job.overlapBuffer) ==
            kCdStatusOk) {
            if (!chain.Take({read->data() + read->startOffset, read->length})) {
                return ExtractionEnd::writeFailed;
            }
        } else if (!context.run.ignoreAllErrors) {
            const std::string question =
                "Error at frame " + std::to_string(current) + "\nASPIlib error " +
                std::to_string(platform::GetAspiLibError()) + ", ASPI error " +
                std::to_string(platform::GetAspiLibAspiError() & 0xFF) +
                "\nDo you want to ignore this?";
            const ConfirmAnswer answer =
                context.questions.Confirm(ConfirmTopic::readError, question);
            if (answer == ConfirmAnswer::no) {
                return ExtractionEnd::abandoned;
            }
            if (answer == ConfirmAnswer::all) {
                context.run.ignoreAllErrors = true;
            }
        }
        // A skipped read leaves a gap: nothing is written for it.
        current += chunk;
        left -= chunk;
    }
    return ExtractionEnd::completed;
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

void RipTrackToWav(WorkerContext& context, RipJob& job) {
    Track& track = *job.track;
    // Stop may have come while the question was open: then no file is opened.
    if (!ConfirmOverwrite(context, job.outputPath) || !context.settings.ripping) {
        ReportStatus(context, track, kStatusStopped);
        return;
    }
    UniqueFile out = OpenFile(job.outputPath, "wb");
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
        context.questions.Inform(kWriteFailedMessage);
        ReportStatus(context, track, kStatusError);
        return;
    }
    const bool skipped = end == ExtractionEnd::stopped || end == ExtractionEnd::abandoned;
    ReportStatus(context, track, skipped ? kStatusStopped : kStatusCompleted);
}

int RipTrackToPcm(WorkerContext& context, RipJob& job) {
    Track& track = *job.track;
    UniqueFile out = OpenFile(job.outputPath, "wb");
    if (!out) {
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
            context.questions.Inform(kWriteFailedMessage);
            ReportStatus(context, track, kStatusError);
            return -1;
        case ExtractionEnd::stopped:
            ReportStatus(context, track, kStatusStopped);
            return 0;
        case ExtractionEnd::abandoned:
            ReportStatus(context, track, kStatusStopped);
            return -1;
    }
    return -1;
}

}  // namespace disctrove
