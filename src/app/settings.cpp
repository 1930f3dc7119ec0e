#include "app/settings.h"

namespace disctrove {

void AssignSettings(Settings& target, const Settings& source) {
    if (&target == &source) {
        return;
    }
    const WindowPlace window = target.window;
    static_cast<Options&>(target) = source;
    target.window = window;
    static_cast<DiscNames&>(target) = source;
    static_cast<SessionChoices&>(target) = source;
    target.currentTrack = source.currentTrack;
}

void SetDefaultSettings(Settings& settings) {
    static_cast<Options&>(settings) = Options{};
    static_cast<DiscState&>(settings) = DiscState{};
    static_cast<LookupResult&>(settings) = LookupResult{};
    static_cast<LastRip&>(settings) = LastRip{};
    static_cast<SessionChoices&>(settings) = SessionChoices{};
    static_cast<RunState&>(settings) = RunState{};
}

}  // namespace disctrove
