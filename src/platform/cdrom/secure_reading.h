// Secure reading of a disc through libcdio-paranoia: overlapping reads checked against each
// other, re-reads where they disagree, and a position given up only after the retries.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/cdrom/cdrom.h"

namespace disctrove::platform {

class SecureReading {
  public:
    // Reads the disc of `handle`, which must stay open meanwhile; `retries` re-reads of a
    // position before it is given up. `stopRequested` is asked before every read of the drive:
    // when it says yes, the Read under way ends at once. Null, with the reason in `problem`,
    // when the disc cannot be read this way.
    static std::unique_ptr<SecureReading> Open(CdHandle handle, int32_t retries,
                                               std::function<bool()> stopRequested,
                                               std::string& problem);
    ~SecureReading();
    SecureReading(const SecureReading&) = delete;
    SecureReading& operator=(const SecureReading&) = delete;

    // The next Read returns `sector`; false when it lies outside the disc's audio.
    bool Seek(int32_t sector);

    // The next sector's 2352 bytes, valid until the next call. Adds to `skipped` the sectors
    // whose retries ran out meanwhile (reading runs ahead of what it returns, so these may lie
    // a little later; their bytes are the best that could be had, silence where there was
    // nothing). Null when the reading was stopped or the drive has gone (no disc).
    const uint8_t* Read(std::vector<int32_t>& skipped);

    struct Library;  // what the library keeps; only Open makes one
    explicit SecureReading(std::unique_ptr<Library> library);

  private:
    std::unique_ptr<Library> library_;
};

}  // namespace disctrove::platform
