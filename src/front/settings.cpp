#include "front/settings.h"

#include "app/settings_file.h"

namespace disctrove {

void SetDefaultSettings(Settings& settings) {
    static_cast<Options&>(settings) = Options{};
    static_cast<DiscState&>(settings) = DiscState{};
    static_cast<LookupResult&>(settings) = LookupResult{};
    static_cast<LastRip&>(settings) = LastRip{};
    static_cast<SessionChoices&>(settings) = SessionChoices{};
    static_cast<RunState&>(settings) = RunState{};
}

bool LoadSettings(Settings& settings, const std::string& path) {
    return LoadSettings(settings, settings, path);
}

void LoadSettings(Settings& settings, const platform::ProfileDocument& document) {
    LoadSettings(settings, settings, document);
}

bool SaveSettings(Settings& settings, const std::string& path) {
    const int32_t chosen = settings.Cdrom;
    const auto drive = static_cast<size_t>(chosen);
    const bool image =
        chosen >= 0 && drive < settings.drives.size() && settings.drives[drive].isImage;
    return SaveSettings(settings, settings, path, image);
}

}  // namespace disctrove
