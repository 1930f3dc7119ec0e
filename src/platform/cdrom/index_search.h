// Where each track's pregap (INDEX 00) and its INDEX 02, 03, … begin, found in the Q subchannel as
// a drive reports it: few reads, none of them of whole tracks.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/cdrom/disc_device.h"

namespace disctrove::platform {

// What the search found of one track of the table of contents.
// A data track, the pregap of a track after one, and what the subchannel told nothing of stay
// unknown.
struct TrackIndexes {
    bool pregapKnown = false;
    std::optional<int32_t> pregapStart;  // none: no pregap
    bool indexesKnown = false;
    std::vector<int32_t> indexStarts;  // INDEX 02, 03, …
    bool operator==(const TrackIndexes&) const = default;
};

// The most subchannel reads the search makes for one track's pregap, and again for its indexes.
inline constexpr int kMostQReadsPerTrack = 64;

// Searches the Q subchannel of `device` for the pregaps and indexes of the audio tracks of
// `layout`: one entry per track. A pregap is found by going back from the sector before the
// track's INDEX 01, in growing steps, until the previous track's frames show, then halving the
// distance; an index by reading the track's last sector and halving the distance to its start.
// A sector whose frame is not a position frame, or cannot be read, is passed over for the ones
// beside it. None when the device has no subchannel, or no frame of it could be read.
std::optional<std::vector<TrackIndexes>> SearchIndexesInSubchannel(DiscDevice& device,
                                                                   const DiscLayout& layout);

// Puts what the search found into `facts` (an entry per track of the table of contents) and
// says it came from the subchannel.
void ApplyIndexes(const std::vector<TrackIndexes>& found, DiscFacts& facts);

}  // namespace disctrove::platform
