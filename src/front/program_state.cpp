#include "front/program_state.h"

#include "app/settings_file.h"

namespace disctrove {

bool LoadSettings(ProgramState& state, const std::string& path) {
    return LoadSettings(state.options, state.disc, path);
}

void LoadSettings(ProgramState& state, const platform::ProfileDocument& document) {
    LoadSettings(state.options, state.disc, document);
}

bool SaveSettings(ProgramState& state, const std::string& path) {
    const int32_t chosen = state.options.Cdrom;
    const auto drive = static_cast<size_t>(chosen);
    const std::vector<Drive>& drives = state.disc.drives;
    const bool image = chosen >= 0 && drive < drives.size() && drives[drive].isImage;
    return SaveSettings(state.options, state.disc, path, image);
}

}  // namespace disctrove
