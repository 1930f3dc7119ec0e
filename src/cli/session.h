// What one run of the terminal program works with, and the steps its commands share.
#pragma once

#include <functional>
#include <string>

#include "cli/interrupts.h"
#include "cli/terminal.h"
#include "codecs/worker_context.h"
#include "front/program_state.h"
#include "platform/profile/profile_document.h"

namespace disctrove::cli {

inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
// A rip that completed every track, some of them with doubts: read errors let pass, or Test &
// Copy's two reads differ.
inline constexpr int kExitDoubts = 3;

struct Session {
    explicit Session(Interrupts& watcher) : interrupts(watcher) {}

    ProgramState state;
    platform::ProfileDocument givenNames;  // the disc's names given with --set
    Terminal terminal{state.disc};
    WorkerContext context{state.options, state.disc, state.session, state.run, terminal, terminal};
    Interrupts& interrupts;
};

// Says what is wrong with the command line; returns kExitUsage.
int UsageError(const std::string& error);

// Reads the disc in the chosen drive (its table of contents and the names given with --set);
// false, after saying why, when there is none.
bool ReadTheDisc(Session& session);

// Runs `body` as the desktop program runs its workers (idle priority, ripping set until it
// ends or Ctrl+C stops it: `stop` marks what stopping changes, and the worker is asked to stop).
int RunWorker(Session& session, std::function<int()> body, std::function<void()> stop);

}  // namespace disctrove::cli
