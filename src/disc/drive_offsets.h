// AccurateRip's list of drive read offsets (DriveOffsets.bin): the offset the database's users
// measured for each drive model. It is kept in the user's cache folder and fetched again once it
// is older than kDriveOffsetsMaxAge.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "app/options.h"
#include "net/web_client.h"
#include "platform/cdrom/disc_facts.h"

namespace disctrove {

struct DriveOffset {
    std::string drive;   // "VENDOR - MODEL", as the list spells it
    int32_t offset = 0;  // samples
};

inline constexpr size_t kDriveOffsetRecordBytes = 69;
inline constexpr std::chrono::hours kDriveOffsetsMaxAge{24 * 10};

// The records of a DriveOffsets.bin: 69 bytes each, an int16 little-endian offset, 33 bytes of
// the drive's name (NUL-padded) and 34 bytes the program does not use. Nothing when the bytes are
// not a whole number of records, hold none, or a record names no drive.
std::optional<std::vector<DriveOffset>> ParseDriveOffsets(std::span<const uint8_t> bytes);

// The offset `list` gives the drive that reports `vendor` and `model` (its own padded fields);
// names are compared without regard to case or to runs of blanks. Nothing when the model is not
// in the list.
std::optional<int32_t> FindDriveOffset(const std::vector<DriveOffset>& list,
                                       std::string_view vendor, std::string_view model);

// The key a drive's read offset is saved under: "VENDOR / MODEL / REVISION", with the characters
// a settings key cannot hold ("=", "[", "]", ";") as "_"; "" for a drive that does not say what it
// is (an image).
std::string DriveKey(const platform::DriveIdentity& identity);

// The read offset a rip with the drive `identity` uses: the one saved for it, else ReadOffset.
DriveReadOffset ReadOffsetFor(const Options& options, const platform::DriveIdentity& identity);

// The request for the list: ArServer and ArPort, through the look-up client (proxy, timeouts).
net::WebRequest DriveOffsetsRequest(const Options& options);

// The list: the copy in `cacheFile` while it is younger than kDriveOffsetsMaxAge, else a fresh
// one from `request`, which then replaces the copy (written whole). When the fetch fails (no
// answer, 404, not a list, Stop) an older copy still serves. Empty when there is neither.
std::vector<DriveOffset> LoadDriveOffsets(const net::WebRequest& request,
                                          const std::string& cacheFile, std::stop_token stop = {});

}  // namespace disctrove
