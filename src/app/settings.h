// The state a front end keeps, one record per kind: the stored options, the disc, the last
// look-up's answer, the last rip's files, the choices of this session and the run's flags.
// Settings joins them for the code that still takes the whole; code that needs one kind takes
// that record alone (a Settings converts to each).
#pragma once

#include <string>

#include "app/formats.h"
#include "app/options.h"
#include "disc/disc_state.h"
#include "disc/lookup_result.h"
#include "rip/last_rip.h"
#include "work/run_state.h"
#include "work/session_inputs.h"

namespace disctrove {

// What this run of the program chose that is never stored: what the workers read, and the
// source of the next look-up.
struct SessionChoices : SessionInputs {
    LookupSource lookupSource = LookupSource::automatic;
};

struct Settings : Options, DiscState, LookupResult, LastRip, SessionChoices, RunState {
    Settings() = default;
    // Copies are made on purpose only (AssignSettings, or one record's own `=`), so that a copy
    // of a run's flags or of a disc never replaces the live one by accident.
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;
};

// Copies what the Options and Track settings dialogs edit from `source` into `target`: the
// stored options (but the window's place, which only the window writes), the disc's names, the
// session's choices and currentTrack. The disc, the look-up's answer, the last rip and the run
// flags of `target` stay as they are, so applying an edit copy never disturbs a running worker.
void AssignSettings(Settings& target, const Settings& source);

// Puts every record of `settings` to its defaults.
void SetDefaultSettings(Settings& settings);

}  // namespace disctrove
