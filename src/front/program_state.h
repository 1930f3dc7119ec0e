// The state a front end owns, one record per kind: the stored options, the disc, the last
// look-up's answer, what the rips of the disc proved, the choices of this session and the run's
// flags. Each front end holds one (the desktop program in RunDisctrove, the terminal program in its
// session) and hands every part only the records it uses.
#pragma once

#include <string>

#include "app/options.h"
#include "disc/disc_state.h"
#include "disc/lookup_result.h"
#include "platform/profile/profile_document.h"
#include "rip/last_rip.h"
#include "work/run_state.h"
#include "work/session_inputs.h"

namespace disctrove {

// What this run of the program chose that is never stored: what the workers read, and the
// source of the next look-up.
struct SessionChoices : SessionInputs {
    LookupSource lookupSource = LookupSource::automatic;
};

struct ProgramState {
    ProgramState() = default;
    // Copies are made on purpose only (one record's own `=`), so that a copy of a run's flags or
    // of a disc never replaces the live one by accident.
    ProgramState(const ProgramState&) = delete;
    ProgramState& operator=(const ProgramState&) = delete;

    Options options;
    DiscState disc;
    LookupResult lookup;
    LastRip lastRip;
    SessionChoices session;
    RunState run;
};

// The settings file (see app/settings_file.h) for a front end's state: the options and the
// disc's names; a chosen drive that is a disc image keeps the stored Cdrom.
bool LoadSettings(ProgramState& state, const std::string& path);
void LoadSettings(ProgramState& state, const platform::ProfileDocument& document);
bool SaveSettings(ProgramState& state, const std::string& path);

}  // namespace disctrove
