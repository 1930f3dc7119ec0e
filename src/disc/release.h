// What a MusicBrainz release tells of a disc: the candidates a look-up found, and the facts of
// the one chosen for the disc in the drive.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace disctrove {

struct ReleaseTrack {
    int32_t position = 0;  // 1-based, on its medium
    std::string title;
    std::string artist;       // the track's artist credit, joined with its join phrases
    std::string artistId;     // the MBID of the credit's first artist
    std::string recordingId;  // the MBID of the recording
    // The MBIDs of every artist of the credit, in order, and of the track itself (its release
    // track).
    std::vector<std::string> artistIds;
    std::string id;
};

// One release as the look-up found it, with the medium that holds the disc.
struct MusicBrainzRelease {
    std::string id;              // release MBID
    std::string releaseGroupId;  // release-group MBID
    std::string title;
    std::string artist;    // the release's artist credit, joined with its join phrases
    std::string artistId;  // the MBID of the credit's first artist
    std::string date;      // "1997-05-21", "1997" or ""
    std::string country;
    std::string label;           // the first label's name
    std::string catalogNumber;   // the first label's catalogue number
    std::string format;          // the medium's format: "CD", "Enhanced CD"...
    std::string genre;           // the release group's first genre or tag in the genre list, or ""
    int32_t mediumPosition = 0;  // which medium of the release the disc is (1-based)
    int32_t mediumCount = 0;
    std::vector<ReleaseTrack> tracks;  // of that medium
    // The MBIDs of every artist of the credit, in order; the barcode; the release group's first
    // release date ("1979-11-30"); the MusicBrainz disc ID the look-up asked for. "": unknown.
    std::vector<std::string> artistIds;
    std::string barcode;
    std::string originalDate;
    std::string discId;
};

// Runtime facts of the disc that only a MusicBrainz release gives; empty after a CDDB look-up,
// a refresh or names typed by hand.
struct ReleaseFacts {
    std::string albumArtist;
    std::string releaseId;
    std::string releaseGroupId;
    std::string artistId;
    std::string title;    // the release's own title, shown under its cover
    std::string date;     // the whole date: "1997-05-21", "1997-05" or "1997"
    std::string country;  // "GB", "XE"...
    // Every artist of the release's credit; the first label's name and catalogue number; the
    // barcode; the medium's format ("CD", "Enhanced CD"); the release group's first release
    // date; the MusicBrainz disc ID the release was found by.
    std::vector<std::string> artistIds;
    std::string label;
    std::string catalogNumber;
    std::string barcode;
    std::string media;
    std::string originalDate;
    std::string discId;
};

// The front cover of a release, fetched once and kept for the rips of that release.
struct CoverArt {
    std::string releaseId;      // the release it belongs to ("" when nothing was fetched)
    std::vector<uint8_t> jpeg;  // empty when the release has no front cover
};

}  // namespace disctrove
