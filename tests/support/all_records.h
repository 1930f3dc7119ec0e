// Every state record in one object, for tests of the parts below the front ends: each part takes
// only the records it uses, and one of these converts to any of them.
#pragma once

#include "front/program_state.h"

namespace disctrove::testing {

struct AllRecords : Options, DiscState, LookupResult, LastRip, SessionChoices, RunState {
    AllRecords() = default;
    AllRecords(const AllRecords&) = delete;
    AllRecords& operator=(const AllRecords&) = delete;
};

}  // namespace disctrove::testing
