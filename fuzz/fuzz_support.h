// What several fuzz targets share: a private scratch folder for the code that reads files, and
// the quiet worker context of the decoders.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "work/worker_interfaces.h"

namespace disctrove::fuzz {

// A folder of this process's own, made on first use (under TMPDIR, else /tmp) and removed at
// exit, so that targets running side by side never share a file.
const std::string& ScratchFolder();

// Writes `data` to the file `name` in the scratch folder and returns its path.
std::string WriteScratchFile(std::string_view name, const uint8_t* data, size_t size);

// Notifications and questions nobody sees: every question is answered Yes.
class QuietFront final : public WorkerNotifications, public WorkerQuestions {
  public:
    void TrackProgress(int32_t, int32_t) override {}
    void WorkFinished() override {}
    void LookupDone() override {}
    void Inform(std::string_view) override {}
    ConfirmAnswer Confirm(ConfirmTopic, std::string_view) override { return ConfirmAnswer::yes; }
};

}  // namespace disctrove::fuzz
