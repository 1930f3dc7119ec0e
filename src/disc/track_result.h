// What a rip proved of one track it read, returned with the run's result (never written into the
// track list the window shows while the rip runs).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "audio/accuraterip_stage.h"
#include "audio/audio_checks.h"
#include "audio/ctdb_stage.h"
#include "audio/loudness_stage.h"
#include "disc/accuraterip_database.h"
#include "disc/ctdb_database.h"
#include "disc/disc_model.h"

namespace disctrove {

struct TrackResult {
    int32_t index = 0;                  // the track's position in the track list
    int32_t number = 0;                 // the number the disc gives it
    bool hidden = false;                // the hidden track before track 1 (number 0)
    int32_t status = kStatusNone;       // how it ended: Completed, Stopped or ERROR
    std::string file;                   // the file its audio went to
    bool preEmphasis = false;           // the disc flags its audio as pre-emphasised
    std::optional<AudioChecks> checks;  // of the audio written, when read whole
    std::optional<AccurateRipSums> accurateRip;
    std::optional<uint32_t> testCrc;           // the CRC32 of the test read (Test & Copy)
    std::vector<int32_t> readErrors;           // first sectors of the reads that were given up
    std::optional<AccurateRipResult> verdict;  // what the AccurateRip database says of it
    std::optional<CtdbPiece> ctdb;             // its CTDB checksum, when read whole
    std::optional<CtdbVerdict> ctdbVerdict;    // what the CTDB says of it (CTDB on)
    std::optional<Loudness> loudness;          // its ReplayGain (ReplayGain on, read whole)
    // What the encoder made otherwise than the settings or the source asked, because its
    // library could not ("22050 Hz stereo at 32 kbit/s, not 96"); "" when nothing.
    std::string encodeNote;
};

}  // namespace disctrove
