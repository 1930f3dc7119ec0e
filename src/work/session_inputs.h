// What this session chose, never stored, that the workers read.
#pragma once

#include <string>

#include "app/formats.h"
#include "app/options.h"

namespace disctrove {

struct SessionInputs {
    std::string currentTemplate = kDefaultTemplate;  // the naming template in use
    FormatGroups pageFormats;                        // what the option pages edit
    std::string wavSourcePath;                       // the file the last WAV encode read
    std::string decodeSourcePath;  // the file the last decode read (of any format)
};

}  // namespace disctrove
