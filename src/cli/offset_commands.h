// The terminal program's read offsets: offset find, and what a rip says of AccurateRip's drive
// list.
#pragma once

#include "cli/cli_options.h"
#include "cli/session.h"

namespace disctrove::cli {

// For a drive with no offset saved (and none given): what AccurateRip's drive list gives its model.
// With --offset auto the rip reads with it; otherwise a line says so when it differs from
// ReadOffset. The list is asked for only when AccurateRip is on or auto asks for it.
void ProposeDriveOffset(Session& session, const CliOptions& options);

// offset find: the drive's read offset from a disc the AccurateRip database knows, saved for the
// drive in the settings file.
int FindOffset(Session& session, const CliOptions& options);

}  // namespace disctrove::cli
