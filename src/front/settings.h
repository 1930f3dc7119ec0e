// The state a front end holds, one record per kind: the stored options, the disc, the last
// look-up's answer, the last rip's files, the choices of this session and the run's flags.
// Settings is only the holder the two front ends own; everything below them takes the records it
// uses, one by one (a Settings converts to each).
#pragma once

#include <string>

#include "app/formats.h"
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

struct Settings : Options, DiscState, LookupResult, LastRip, SessionChoices, RunState {
    Settings() = default;
    // Copies are made on purpose only (one record's own `=`), so that a copy of a run's flags or
    // of a disc never replaces the live one by accident.
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;
};

// Puts every record of `settings` to its defaults.
void SetDefaultSettings(Settings& settings);

// The settings file (see app/settings_file.h) for a front end's whole state; a chosen drive that
// is a disc image keeps the stored Cdrom.
bool LoadSettings(Settings& settings, const std::string& path);
void LoadSettings(Settings& settings, const platform::ProfileDocument& document);
bool SaveSettings(Settings& settings, const std::string& path);

}  // namespace disctrove
