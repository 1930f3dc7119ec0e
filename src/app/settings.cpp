#include "app/settings.h"

namespace disctrove {

void SetDefaultSettings(Settings& settings) {
    static_cast<Options&>(settings) = Options{};
    static_cast<DiscState&>(settings) = DiscState{};
    static_cast<LookupResult&>(settings) = LookupResult{};
    static_cast<LastRip&>(settings) = LastRip{};
    static_cast<SessionChoices&>(settings) = SessionChoices{};
    static_cast<RunState&>(settings) = RunState{};
}

}  // namespace disctrove
