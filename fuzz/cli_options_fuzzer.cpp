// The command line of disctrove-cli: the input is its arguments, each ended by a NUL byte.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/cli_options.h"

using namespace disctrove::cli;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> arguments;
    std::string current;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '\0') {
            arguments.push_back(std::move(current));
            current.clear();
        } else {
            current += static_cast<char>(data[i]);
        }
    }
    if (!current.empty()) {
        arguments.push_back(std::move(current));
    }
    std::string error;
    const auto options = ParseCliOptions(arguments, error);
    if (!options && error.empty()) {
        __builtin_trap();  // a refused command line always says why
    }
    for (const std::string& argument : arguments) {
        std::string listError;
        if (const auto list = ParseTrackList(argument, 99, listError)) {
            for (const size_t position : *list) {
                if (position >= 99) {
                    __builtin_trap();
                }
            }
        }
        (void)ParseSettingOverride(argument);
    }
    return 0;
}
