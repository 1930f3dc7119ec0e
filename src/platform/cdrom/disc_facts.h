// What a drive tells of a disc besides its table of contents (for the CUE sheet and the log), and
// of itself.
#pragma once

#include <algorithm>
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
    std::vector<int32_t> indexStarts;    // first sectors of its INDEX 02, 03, … when known
};

// Where a disc's pregaps and indexes were found.
enum class IndexSource {
    none,        // nowhere: a drive without a readable Q subchannel
    sheet,       // an image's sheet (its INDEX 00 lines)
    subchannel,  // searched for in the Q subchannel
};

// What a drive says it is (its INQUIRY answer), blanks trimmed; all empty for an image.
struct DriveIdentity {
    std::string vendor;
    std::string model;
    std::string revision;

    bool known() const { return !vendor.empty() || !model.empty(); }
    bool operator==(const DriveIdentity&) const = default;
};

// The names a disc carries in its CD-Text (the first language block), as UTF-8; empty where the
// disc has none.
struct CdText {
    std::string title;      // the album's
    std::string performer;  // the album's
    struct Track {
        std::string title;
        std::string performer;
    };
    std::vector<Track> tracks;  // the tracks of the table of contents, from its first

    bool empty() const {
        return title.empty() && performer.empty() &&
               std::all_of(tracks.begin(), tracks.end(),
                           [](const Track& t) { return t.title.empty() && t.performer.empty(); });
    }
};

struct DiscFacts {
    std::string catalog;             // media catalogue number (13 digits); empty when none
    std::vector<TrackFacts> tracks;  // the tracks of the table of contents, from its first
    IndexSource indexSource = IndexSource::none;
};

}  // namespace disctrove::platform
