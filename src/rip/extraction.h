// Reading one track's audio sectors from the chosen drive into a WAV file or into the raw PCM
// temporary file.
#pragma once

#include <cstdint>
#include <string>

#include "audio/sample_stage.h"
#include "codecs/encode_job.h"
#include "codecs/worker_context.h"
#include "platform/cdrom/cdrom.h"

namespace disctrove {

// Sectors per read request (about a third of a second of audio) and the overlap buffer's room.
inline constexpr uint32_t kReadChunkSectors = 26;
inline constexpr uint32_t kOverlapSectors = 3;

inline constexpr const char* kCannotCreateTempMessage = "Cannot create temporary output PCM file";

struct RipJob {
    Track* track = nullptr;
    platform::TrackBuffer* readBuffer = nullptr;     // room for kReadChunkSectors
    platform::TrackBuffer* overlapBuffer = nullptr;  // room for kOverlapSectors
    std::string outputPath;
    SampleStage* stages = nullptr;    // what the audio passes through before its file, if anything
    int32_t progressFrom = 0;         // where the read's progress starts (after a test read)
    bool overwriteConfirmed = false;  // the overwrite question was asked before a test read
    TrackResult* result = nullptr;    // where the reads given up are recorded (null: nowhere)
};

// What a track's read came to.
enum class ExtractionEnd {
    completed,  // every sector was read or skipped
    stopped,    // the rip was stopped
    abandoned,  // No at a read error, or the disc could not be read securely
    writeFailed,
};

// One read of the sectors the read buffer describes, with up to 3 attempts by `jitterMode`:
// 0 jitter-correcting reads, 1 plain reads, 2 plain reads and then jitter-correcting ones; any
// other mode (secure reading has a loop of its own) reads nothing and fails. Returns the status of
// the last attempt (kCdStatusOk is success).
int32_t ReadSectors(int32_t jitterMode, platform::CdHandle handle, platform::TrackBuffer* read,
                    platform::TrackBuffer* overlap);

// The test read of Test & Copy: reads the job's track as the copy read will, into nothing but
// the CRC32 of its audio (`crc`), with progress from 0 to `progressTo`. The track's status is
// left to the caller.
ExtractionEnd TestReadTrack(WorkerContext& context, RipJob& job, int32_t progressTo, uint32_t& crc);

// Reads the job's track as a rip would (its read mode and read offset) into `stage` alone, with
// progress from the job's progressFrom to `progressTo`.
ExtractionEnd ReadTrackInto(WorkerContext& context, RipJob& job, SampleStage& stage,
                            int32_t progressTo);

// The status a track ends with when its read was abandoned: an error in secure mode, where it
// means a position that could not be read; stopped in the others.
int32_t AbandonedStatus(const Options& options);

// Extracts the job's track into a WAV file at the job's output path; the outcome is the track's
// status (100 completed, 101 stopped or skipped, 102 error).
void RipTrackToWav(WorkerContext& context, RipJob& job);

// Extracts the job's track into the raw PCM temporary file at the job's output path; progress
// runs to 30 (the encoder does the rest). Returns 0 when the track was read to its end or the
// rip was stopped, -1 when the file could not be made or written or the user abandoned the
// track at a read error (the run stops then). When a file is already at that path, the PCM goes
// to a name beside it, and the job's output path tells which ("" when none could be made).
int RipTrackToPcm(WorkerContext& context, RipJob& job);

}  // namespace disctrove
