// What the track list shows of a track.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "disc/disc_model.h"
#include "disc/track_result.h"

namespace disctrove {

// The approximate bit rate of Ogg Vorbis quality position `vbr` (0 to 20), in kbit/s; 0 outside.
int32_t OggQualityKbps(int32_t vbr);

// "mm:ss" of the track's length.
std::string TrackTimeText(const Track& track);

// "mm:ss.ff" of a position `sectors` into a track (75 sectors a second); negative gives 00:00.00.
std::string SectorTimeText(int64_t sectors);

// The track's format: "WAV 44100 Hz", "OGG VBR Q0.45 (141 kbps)", "MP3 128-192 kbps VBR Q3",
// "WMA 96 kbps", ...
std::string TrackEncoderText(const Track& track);

// What may be wrong with a track read to its end: "test and copy differ" when the two reads of
// Test & Copy gave different CRCs, "2 read errors" when positions that could not be read were
// let pass. Empty when neither.
std::vector<std::string> TrackDoubts(const TrackResult& result);

// "" (not ripped since the refresh), "45%", "Completed", "Stopped" or "ERROR".
std::string TrackStatusText(int32_t status);

// The Status column: the status, and once it is final what the rip proved of the track (its
// `result`, when there is one): "Completed — accurate (12)", "... — inaccurate (5)", "... — not
// verified" (the AccurateRip verdict with its confidence, and a pressing offset it was found at;
// nothing when no look-up was made), "CTDB: accurate (40)" / "differs" / "not present", the
// track's doubts (", test and copy differ", ", 2 read errors"), "pre-emphasised (not
// de-emphasised)" for a track the disc flags so, and the encoder's note.
std::string TrackStatusText(int32_t status, const TrackResult* result);

}  // namespace disctrove
