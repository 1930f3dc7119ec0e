// ReplayGain values written into finished files, in each format's own way.
#pragma once

#include <cstdint>
#include <string>

#include "app/formats.h"
#include "audio/loudness_stage.h"

namespace disctrove {

// "-6.52 dB" and "0.998000": how the gain and the peak are written as text.
std::string ReplayGainText(double gainDb);
std::string ReplayPeakText(double peak);

// An Opus R128 gain: 1/256 dB steps relative to -23 LUFS, as a signed 16-bit number.
int32_t R128Gain(double replayGainDb);

// Adds (or replaces) the track and album gain and peak in the file at `path` of `kind`: Vorbis
// comments REPLAYGAIN_* in Ogg Vorbis and FLAC, R128_TRACK_GAIN and R128_ALBUM_GAIN in Opus,
// ID3v2 TXXX frames in MP3 (the ID3v2 tag is made when there is none; the ID3v1 tag and the
// audio stay as they are), attributes in WMA. WAV files get nothing. False when the file could
// not be read or saved.
bool WriteReplayGain(const std::string& path, EncoderKind kind, const Loudness& track,
                     const Loudness& album);

}  // namespace disctrove
