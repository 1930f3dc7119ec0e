#include "disc/musicbrainz_id.h"

#include <gtest/gtest.h>

#include <vector>

namespace disctrove {
namespace {

// A table of contents from frame addresses (with the 150-frame lead-in); `dataFrom` is the
// position of the first data track (none when past the end).
platform::Toc MakeToc(const std::vector<int32_t>& frames, int32_t leadOutFrame, size_t dataFrom) {
    platform::Toc toc;
    for (size_t i = 0; i < frames.size(); ++i) {
        toc.tracks.push_back({static_cast<int>(i) + 1, frames[i] - 150, i >= dataFrom, false});
    }
    toc.leadOut = leadOutFrame - 150;
    return toc;
}

// The expected IDs are python3-libdiscid's, from the same offsets (the enhanced CD's with the
// lead-out 11400 frames before its data track).
TEST(MusicBrainzDiscId, AudioAndEnhancedDiscsAsLibdiscidComputesThem) {
    const std::vector<int32_t> audio = {150,    17510,  33275,  45910,  57805,
                                        78310,  94650,  109580, 132010, 149160,
                                        165115, 177710, 203325, 215555, 235590};
    EXPECT_EQ(ComputeMusicBrainzDiscId(MakeToc(audio, 258725, 99)), "TqvKjMu7dMliSfmVEBtrL7sBSno-");

    std::vector<int32_t> enhanced = {150,    12767,  40487,  63225,  93410,
                                     118115, 151865, 184340, 215260, 247455};
    enhanced.push_back(281735);
    EXPECT_EQ(ComputeMusicBrainzDiscId(MakeToc(enhanced, 333801, 10)),
              "9AQWqQ0eCCwktwPPrIUIYkUw2Uo-");
    EXPECT_EQ(ComputeMusicBrainzDiscId(MakeToc({150}, 1000, 0)), "");  // no audio at all
}

// python3-libdiscid's submission_url for the same offsets; the enhanced disc's leaves its data
// track out.
TEST(MusicBrainzDiscId, SubmissionPageAsLibdiscidBuildsIt) {
    const std::vector<int32_t> audio = {150,    17510,  33275,  45910,  57805,
                                        78310,  94650,  109580, 132010, 149160,
                                        165115, 177710, 203325, 215555, 235590};
    EXPECT_EQ(MusicBrainzSubmissionUrl(MakeToc(audio, 258725, 99)),
              "http://musicbrainz.org/cdtoc/attach?id=TqvKjMu7dMliSfmVEBtrL7sBSno-&tracks=15&toc="
              "1+15+258725+150+17510+33275+45910+57805+78310+94650+109580+132010+149160+165115+"
              "177710+203325+215555+235590");
    const std::vector<int32_t> enhanced = {150,    12767,  40487,  63225,  93410, 118115,
                                           151865, 184340, 215260, 247455, 281735};
    EXPECT_EQ(MusicBrainzSubmissionUrl(MakeToc(enhanced, 333801, 10)),
              "http://musicbrainz.org/cdtoc/attach?id=9AQWqQ0eCCwktwPPrIUIYkUw2Uo-&tracks=10&toc="
              "1+10+270335+150+12767+40487+63225+93410+118115+151865+184340+215260+247455");
    EXPECT_EQ(MusicBrainzSubmissionUrl(MakeToc({150}, 1000, 0)), "");
}

}  // namespace
}  // namespace disctrove
