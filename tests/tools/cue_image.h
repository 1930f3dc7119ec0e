// Small BIN/CUE disc images with known audio, for tests, benchmarks and demonstrations.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace disctrove::testing {

struct ImageTrack {
    bool data = false;          // a MODE1/2352 data track
    uint32_t sectors = 0;       // length, pregap included
    uint32_t pregap = 0;        // sectors of index 0 at the start of the track ("INDEX 00")
    std::string isrc{};         // an ISRC line when not empty
    std::string flags{};        // a FLAGS line ("DCP PRE 4CH") when not empty
    bool silentPregap = false;  // the pregap holds digital silence, not audio
};

// Writes FOLDER/NAME.bin and FOLDER/NAME.cue; returns the path of the .cue file. The tracks
// follow each other from sector 0. Audio sectors hold the simulated disc's audio of their
// position (FillSimulatedAudio), data sectors a sync pattern, a header and zeros. A `catalog`
// gives the sheet a CATALOG line.
std::string MakeCueImage(const std::string& folder, const std::string& name,
                         const std::vector<ImageTrack>& tracks, const std::string& catalog = "");

// The same with the given audio: one list of interleaved 16-bit stereo samples per track, each
// padded with silence to whole sectors.
std::string MakeAudioCueImage(const std::string& folder, const std::string& name,
                              const std::vector<std::vector<int16_t>>& tracks);

}  // namespace disctrove::testing
