// The rip worker: reads the marked tracks of the disc one after another and encodes them on
// encoder threads meanwhile.
#pragma once

#include "app/options.h"
#include "audio/wav_file.h"
#include "codecs/worker_context.h"
#include "disc/disc_state.h"
#include "rip/rip_result.h"
#include "work/run_state.h"

namespace disctrove {

inline constexpr const char* kRippingText = "Ripping...";
inline constexpr const char* kWaitingForWorkerText = "Waiting for the encoding thread to finish...";
inline constexpr const char* kCompletionSound = "ripdone.wav";

// One run: artist and album folders when RipInFolder is on, the playlist when Createm3u is on,
// then every marked track read in list order through the sample stages (WAV straight from the
// disc, other formats through the track's raw PCM temporary file to an encoder thread; up to
// EncoderThreads encode at once). The AccurateRip database is asked meanwhile (when AccurateRip
// is on), and each track's verdict judged after the last encode. A completed track whose file
// is gone by then becomes an error. When ReplayGain is on, every track's loudness is measured as
// it is read, and after the last encode every completed file gets its track and album gain
// (Reader::WriteReplayGain); then the rip log and the CUE sheet are written
// (WriteRipLogAndCueSheet, when some track was completed; the user is told of one that cannot
// be). Then it sets `finished`, plays the completion sound when Makesound is on and posts
// WorkFinished. Returns what the run proved of each marked track and the files it left, with
// the outcome kRipCompleted, kRipFailed or kRipStopped; the tracks of `context.disc` get only
// their statuses. The run stops when context.stop is requested (the Stop of the one who runs
// it). What it returns is the caller's only once the worker's thread has ended.
RipResult RunRipWorker(WorkerContext& context);

// Makes the folder a rip writes into (the output folder; RipInFolder's folders below it are the
// run's) and checks that files can be made in it. "" when they can; otherwise the message to
// show, which names the folder and the system's reason. A rip that cannot write there does not
// start: its marked tracks get status 102 (FailRipAtStart).
std::string MakeRipFolder(const Options& options);
void FailRipAtStart(DiscState& disc);

// A result that proves nothing: each marked track of `disc` with the status it has now and the
// file it would have gone to. What a rip that never ran reports.
RipResult UnreadRipResult(const Options& options, const std::string& nameTemplate,
                          const DiscState& disc);

// What starting a rip does to the model (after the disc-change check): every marked track gets
// status 0, `ripping` is set and `finished` cleared.
void PrepareRip(DiscState& disc, RunState& run);

// Marks every track: what a rip to an image (ImageFile) reads, whatever was marked.
void MarkWholeDisc(DiscState& disc);

// What stopping a rip does to the model: `ripping` is cleared and every marked track that has
// not ended (status below 100) becomes 101. The worker itself is stopped by its owner's Stop
// (WorkerThread::Stop); the caller then waits for `finished`.
void StopRip(DiscState& disc, RunState& run);

// Plays the completion sound, or the system's default sound when its file is missing.
void PlayCompletionSound();

}  // namespace disctrove
