// The terminal program's "convert": many files into one format.
#pragma once

#include "cli/cli_options.h"
#include "cli/session.h"

namespace disctrove::cli {

int ConvertFiles(Session& session, const CliOptions& options);

}  // namespace disctrove::cli
