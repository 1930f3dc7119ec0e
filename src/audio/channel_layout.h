// Which speaker each channel of interleaved audio feeds, in the channel orders of WAV files and
// of Vorbis streams, and the matrix that mixes one layout into another by those meanings.
#pragma once

#include <cstdint>
#include <vector>

namespace disctrove {

// Speakers in the order of the WAVE channel mask's bits, which is the order a WAV file keeps
// its channels in.
enum class Speaker : uint8_t {
    frontLeft,
    frontRight,
    frontCenter,
    lowFrequency,
    backLeft,
    backRight,
    frontLeftOfCenter,
    frontRightOfCenter,
    backCenter,
    sideLeft,
    sideRight,
    topCenter,
    topFrontLeft,
    topFrontCenter,
    topFrontRight,
    topBackLeft,
    topBackCenter,
    topBackRight,
    unknown,  // a channel no layout names
};

enum class ChannelOrder {
    wav,     // WAV files and CD audio: by the bits of the channel mask
    vorbis,  // Vorbis streams: L R; L C R; FL FR RL RR; FL C FR RL RR; then LFE last
};

// The speakers of `channels` channels kept in `order`. One channel is mono (a centre), two are
// left and right. For three to eight, a WAV file's channel mask says which speakers they feed
// when it names as many as there are channels; otherwise the count does, with the speakers of
// the Vorbis layout of that count (3: L C R, 4: quad, 5: 5.0, 6: 5.1, 7: 6.1, 8: 7.1). Nothing
// is agreed beyond eight channels: both orders then give the WAV mask's first speakers, so an
// Ogg stream keeps such a file's channels as they are.
std::vector<Speaker> SpeakersOf(int32_t channels, ChannelOrder order, uint32_t wavMask = 0);

// The matrix that mixes channels feeding `in` into channels feeding `out`, row by row: out.size()
// rows of in.size() coefficients. A speaker both have passes unchanged; one the output lacks is
// folded into its nearest ones (a centre into left and right at -3 dB, a surround into the front
// of its side at -3 dB), and the LFE is dropped. A mono source goes whole to the centre, or
// else to front left and right alike. Every row's coefficients add up to at most 1 in
// magnitude, so mixing cannot clip what did not clip before.
std::vector<float> ChannelMatrix(const std::vector<Speaker>& in, const std::vector<Speaker>& out);

// For the same speakers in another order: for each channel of `to`, its index in `from`. Where
// the two are not the same speakers, channels keep their places.
std::vector<int32_t> ChannelPermutation(const std::vector<Speaker>& from,
                                        const std::vector<Speaker>& to);

}  // namespace disctrove
