#include "disc/track_texts.h"

#include <gtest/gtest.h>

namespace disctrove {
namespace {

template <typename Group>
Track WithFormat(EncoderKind kind, const Group& group) {
    Track track;
    track.encoder = kind;
    track.format = TrackFormat::From(group);
    return track;
}

TEST(TrackTexts, EncoderColumn) {
    WavFormat wav;
    EXPECT_EQ(TrackEncoderText(WithFormat(kEncoderWav, wav)), "WAV - default sample rate");
    wav.samplerateIndex = 2;
    EXPECT_EQ(TrackEncoderText(WithFormat(kEncoderWav, wav)), "WAV 44100 Hz");

    OggFormat ogg;  // quality position 9
    EXPECT_EQ(TrackEncoderText(WithFormat(kEncoderOgg, ogg)), "OGG VBR Q0.45 (141 kbps)");
    ogg.useBbr = 1;  // managed wins over quality
    ogg.nominalBbrIndex = 2;
    ogg.maxBbrIndex = 3;
    EXPECT_EQ(TrackEncoderText(WithFormat(kEncoderOgg, ogg)), "OGG 192-256 kbps BBR");
    ogg.useBbr = 0;
    ogg.useVbr = 0;
    ogg.cbrIndex = 1;
    EXPECT_EQ(TrackEncoderText(WithFormat(kEncoderOgg, ogg)), "OGG 160 kbps");

    Mp3Format mp3;
    EXPECT_EQ(TrackEncoderText(WithFormat(kEncoderMp3, mp3)), "MP3 128 kbps");
    mp3.useVbr = 1;
    mp3.vbrQuality = 2;
    EXPECT_EQ(TrackEncoderText(WithFormat(kEncoderMp3, mp3)), "MP3 128-192 kbps VBR Q3");

    EXPECT_EQ(TrackEncoderText(WithFormat(kEncoderWma, WmaFormat{})), "WMA 96 kbps");
    EXPECT_EQ(TrackEncoderText(WithFormat(static_cast<EncoderKind>(7), WmaFormat{})), "Unknown");
}

TEST(TrackTexts, TimeStatusAndQualityEstimate) {
    Track track;
    track.lengthSeconds = 245;
    EXPECT_EQ(TrackTimeText(track), "04:05");
    track.lengthSeconds = 59;
    EXPECT_EQ(TrackTimeText(track), "00:59");

    EXPECT_EQ(TrackStatusText(-1), "");
    EXPECT_EQ(TrackStatusText(0), "0%");
    EXPECT_EQ(TrackStatusText(99), "99%");
    EXPECT_EQ(TrackStatusText(100), "Completed");
    EXPECT_EQ(TrackStatusText(101), "Stopped");
    EXPECT_EQ(TrackStatusText(102), "ERROR");

    EXPECT_EQ(OggQualityKbps(0), 58);
    EXPECT_EQ(OggQualityKbps(20), 477);
    EXPECT_EQ(OggQualityKbps(21), 0);
    EXPECT_EQ(OggQualityKbps(-1), 0);
}

TEST(TrackTexts, StatusWithVerdictAndTestAndCopy) {
    using V = AccurateRipVerdict;
    struct Case {
        int32_t status;
        std::optional<AccurateRipResult> verdict;
        std::optional<uint32_t> testCrc;  // the copy's CRC is 0x1234
        const char* text;
    };
    const Case cases[] = {
        {kStatusCompleted,
         AccurateRipResult{V::accurate, 12},
         {},
         "Completed \u2014 accurate (12)"},
        {kStatusCompleted,
         AccurateRipResult{V::inaccurate, 5},
         {},
         "Completed \u2014 inaccurate (5)"},
        {kStatusCompleted, AccurateRipResult{V::unknown, 0}, {}, "Completed \u2014 not verified"},
        {kStatusCompleted, {}, {}, "Completed"},  // AccurateRip off
        {kStatusCompleted, {}, 0x1234, "Completed"},
        {kStatusCompleted, AccurateRipResult{V::accurate, 3}, 0x1235,
         "Completed \u2014 accurate (3), test and copy differ"},
        {kStatusCompleted, {}, 0x1235, "Completed \u2014 test and copy differ"},
        {kStatusError, AccurateRipResult{V::unknown, 0}, {}, "ERROR \u2014 not verified"},
        {45, AccurateRipResult{V::accurate, 12}, {}, "45%"},  // not final yet
    };
    for (const Case& c : cases) {
        TrackResult track;
        track.verdict = c.verdict;
        track.testCrc = c.testCrc;
        track.checks = AudioChecks{};
        track.checks->crc32 = 0x1234;
        EXPECT_EQ(TrackStatusText(c.status, &track), c.text);
    }
    // The dash is U+2014 in UTF-8, between spaces; read errors that were let pass are counted.
    TrackResult track;
    track.verdict = AccurateRipResult{};
    EXPECT_EQ(TrackStatusText(kStatusCompleted, &track), "Completed \xE2\x80\x94 not verified");
    track.readErrors = {100, 400};
    EXPECT_EQ(TrackStatusText(kStatusCompleted, &track),
              "Completed \u2014 not verified, 2 read errors");
    EXPECT_EQ(TrackStatusText(kStatusCompleted, nullptr), "Completed");  // not ripped by this run
}

}  // namespace
}  // namespace disctrove
