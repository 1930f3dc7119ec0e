// What a drive tells of a disc besides its table of contents (for the CUE sheet and the log), and
// of itself.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace disctrove::platform {

struct TrackFacts {
    std::string isrc;  // the track's ISRC (12 characters); empty when the drive reports none
    bool preEmphasis = false;
    bool copyPermitted = false;
    bool fourChannels = false;
    std::optional<int32_t> pregapStart;  // first sector of the pregap (index 0), when known
};

// What a drive says it is (its INQUIRY answer), blanks trimmed; all empty for an image.
struct DriveIdentity {
    std::string vendor;
    std::string model;
    std::string revision;

    bool known() const { return !vendor.empty() || !model.empty(); }
    bool operator==(const DriveIdentity&) const = default;
};

struct DiscFacts {
    std::string catalog;             // media catalogue number (13 digits); empty when none
    std::vector<TrackFacts> tracks;  // the tracks of the table of contents, from its first
};

}  // namespace disctrove::platform
