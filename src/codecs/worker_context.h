// What a worker (a rip, a conversion, a decode) works on: the records it reads and writes, how it
// talks to the front end, its stop and the flags of one run.
#pragma once

#include <stop_token>
#include <string>

#include "app/options.h"
#include "disc/cover_art.h"
#include "disc/disc_state.h"
#include "work/run_state.h"
#include "work/session_inputs.h"
#include "work/worker_interfaces.h"

namespace disctrove {

struct WorkerContext {
    // What the worker reads of the options. A rip's owner gives its own copy, taken when the rip
    // started, so options applied meanwhile never reach a running worker.
    const Options& options;
    DiscState& disc;               // the tracks (the worker sets their statuses), the names
    const SessionInputs& session;  // the naming template, the files a conversion reads
    RunState& state;               // currentTrack and finished, which the front end shows
    WorkerNotifications& notifications;
    WorkerQuestions& questions;
    RunFlags run = {};
    std::stop_token stop = {};       // requested by the Stop of the one who runs the worker
    CoverArtFetch* cover = nullptr;  // the front cover of a rip's files (null: none)
    // What the drive reported of a rip's disc (ISRCs, catalogue number); null outside a rip.
    const platform::DiscFacts* facts = nullptr;
};

// Asks before an existing output file is replaced, unless Overwrite is on or All was answered
// before (All sets overwriteAll). False when the user answered No.
bool ConfirmOverwrite(WorkerContext& context, const std::string& path);

}  // namespace disctrove
