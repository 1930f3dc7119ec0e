// The settings file dt.ini, as the programs load it at start-up.
#include <cstddef>
#include <cstdint>

#include "app/settings_file.h"
#include "front/program_state.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = disctrove::fuzz::WriteScratchFile("dt.ini", data, size);
    disctrove::ProgramState state;
    if (!disctrove::LoadSettings(state, path)) {
        __builtin_trap();  // the file is there and readable
    }
    // What the loader took must be written back without harm.
    const auto document = disctrove::platform::ProfileDocument::Load(path);
    disctrove::platform::ProfileDocument copy = document;
    copy.WriteString("CDEX", "Outfolder", state.options.Outfolder);
    (void)copy.Text();
    return 0;
}
