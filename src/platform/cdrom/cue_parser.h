// A CUE sheet read as text: its files, tracks, indexes and the codes and names it gives. What
// the sheet means for a disc (where each index lies on it) is the image's business.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace disctrove::platform {

struct CueFile {
    std::string name;  // as the sheet spells it, relative to the sheet's folder
    std::string type;  // upper case: BINARY, MOTOROLA, WAVE, FLAC, AIFF, MP3, ...
};

struct CueIndex {
    int number = 0;
    size_t file = 0;     // the FILE it lies in (position in CueSheet::files)
    int32_t sector = 0;  // from the start of that file: mm:ss:ff, 75 frames a second
};

struct CueTrack {
    int number = 0;
    std::string mode;  // upper case: AUDIO, MODE1/2352, ...
    std::string title;
    std::string performer;
    std::string isrc;
    bool preEmphasis = false;
    bool copyPermitted = false;
    bool fourChannels = false;
    int32_t pregap = 0;             // PREGAP: sectors of silence before INDEX 01 that no file holds
    int32_t postgap = 0;            // POSTGAP: the same after the track
    std::vector<CueIndex> indexes;  // in the sheet's order, INDEX 01 among them

    // The track's INDEX `number`; null when the sheet gives none.
    const CueIndex* Index(int number) const;
};

struct CueSheet {
    std::string catalog;
    std::string title;      // the album's (TITLE before the first TRACK)
    std::string performer;  // the album's
    std::vector<CueFile> files;
    std::vector<CueTrack> tracks;
};

// Reads a CUE sheet. Commands it does not know (REM, SONGWRITER, CDTEXTFILE, ...) are passed
// over; none, with the line and what is wrong in `problem`, when the sheet breaks the rules a
// disc needs: a TRACK before any FILE, track numbers from 1 to 99 rising, index numbers rising
// from 0 or 1 with an INDEX 01 in every track, times mm:ss:ff with ss < 60 and ff < 75, indexes
// of one file in order, at least one track.
std::optional<CueSheet> ParseCueSheet(std::string_view text, std::string& problem);

// A line FILE "name" TYPE on its own; none for any other line.
std::optional<CueFile> ParseCueFileLine(std::string_view line);

// The sheet's time mm:ss:ff as sectors; none when it is not one.
std::optional<int32_t> ParseCueTime(std::string_view text);

}  // namespace disctrove::platform
