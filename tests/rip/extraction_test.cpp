#include "rip/extraction.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <stop_token>
#include <thread>

#include "audio/unique_file.h"
#include "audio/wav_file.h"
#include "disc/disc.h"
#include "platform/cdrom/simulated_disc.h"
#include "support/all_records.h"
#include "support/disc_images.h"
#include "support/scripted_worker.h"
#include "support/temp_dir.h"
#include "tools/cue_image.h"

namespace disctrove {
namespace {

using platform::GetSimulatedReadCounts;
using testing::ReadWholeFile;
using testing::TempDir;
using testing::WriteWholeFile;

std::string SimulatedAudio(int64_t firstSector, int64_t sectors) {
    std::string audio(static_cast<size_t>(sectors) * 2352, '\0');
    platform::FillSimulatedAudio(firstSector * 588, sectors * 588,
                                 reinterpret_cast<uint8_t*>(audio.data()));
    return audio;
}

std::string Silence(int64_t sectors) {
    return std::string(static_cast<size_t>(sectors) * 2352, '\0');
}

std::string WavHeaderBytes(uint32_t dataLength) {
    TempDir dir;
    {
        auto file = OpenFile(dir.File("h.wav"), "wb");
        WriteWavHeader(file.get(), 2, 44100, 1, dataLength);
    }
    return ReadWholeFile(dir.File("h.wav"));
}

// How often the simulated audio in `pcm` jumps: a frame that does not follow its predecessor.
int Discontinuities(const std::string& pcm) {
    const auto frameAt = [&](size_t i) {
        const auto* bytes = reinterpret_cast<const uint8_t*>(pcm.data()) + i * 4;
        return static_cast<uint16_t>((bytes[0] | (bytes[1] << 8)) * 28087u);  // ÷ 7 mod 65536
    };
    int jumps = 0;
    for (size_t i = 1; i < pcm.size() / 4; ++i) {
        jumps += frameAt(i) != static_cast<uint16_t>(frameAt(i - 1) + 1) ? 1 : 0;
    }
    return jumps;
}

class ExtractionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::ClearDiscImages();
        platform::ResetSimulatedReadCounts();
        settings_.Overwrite = 1;
        settings_.Jitter = 1;
    }
    void TearDown() override { platform::ClearDiscImages(); }

    void UseDisc(const std::string& image) {
        testing::AddImage(image);
        settings_.drives.clear();
        BuildDriveList(settings_);
        settings_.Cdrom = static_cast<int32_t>(settings_.drives.size()) - 1;
        ASSERT_EQ(ReadDisc(settings_, settings_, settings_.Cdrom), 0);
        stop_ = std::stop_source();  // a new run
        context_.stop = stop_.get_token();
    }
    void UseSimulatedDisc(const std::string& statements) {
        UseDisc(testing::WriteSimulatedDisc(dir_.path(), "disc", statements));
    }
    RipJob Job(size_t track, const std::string& name = "out.wav") {
        RipJob job{&settings_.tracks.at(track), read_.get(), overlap_.get(), dir_.File(name)};
        results_[track] = TrackResult{};  // a new read, as in a rip
        job.result = &results_[track];
        return job;
    }
    // Rips track `track` to WAV and returns the samples of the file (after its 44 bytes).
    std::string RipToWav(size_t track = 0) {
        RipJob job = Job(track);
        RipTrackToWav(context_, job);
        const std::string file = ReadWholeFile(job.outputPath);
        EXPECT_GE(file.size(), 44u);
        EXPECT_EQ(file.substr(0, 44),
                  WavHeaderBytes(static_cast<uint32_t>(file.size() > 44 ? file.size() - 44 : 0)));
        return file.size() > 44 ? file.substr(44) : std::string();
    }
    std::vector<int32_t> ProgressValues() const {
        std::vector<int32_t> values;
        for (const auto& [position, status] : notes_.progress) {
            values.push_back(status);
        }
        return values;
    }

    TempDir dir_;
    testing::AllRecords settings_;
    std::map<size_t, TrackResult> results_;  // of each track a job read
    testing::RecordingNotifications notes_;
    testing::ScriptedQuestions questions_;
    std::stop_source stop_;  // the Stop of the one who runs the worker
    WorkerContext context_{settings_, settings_,  settings_, settings_,
                           notes_,    questions_, {},        stop_.get_token()};
    platform::TrackBufferBlock read_{kReadChunkSectors};
    platform::TrackBufferBlock overlap_{kOverlapSectors};
};

TEST_F(ExtractionTest, WavRipOfAnImageIsBitExact) {
    const std::string cue =
        testing::MakeCueImage(dir_.path(), "img", {{true, 300}, {false, 1001}, {false, 500}});
    UseDisc(cue);
    ASSERT_EQ(settings_.tracks.size(), 2u);
    const std::string bin = ReadWholeFile(dir_.File("img.bin"));
    for (const int32_t jitter : {1, 0, 2}) {
        settings_.Jitter = jitter;
        RipJob job = Job(0);
        RipTrackToWav(context_, job);
        const std::string file = ReadWholeFile(job.outputPath);
        ASSERT_EQ(file.size(), 44u + 1001 * 2352) << "Jitter " << jitter;
        EXPECT_EQ(file, WavHeaderBytes(1001 * 2352) + bin.substr(300 * 2352, 1001 * 2352));
        EXPECT_EQ(settings_.tracks[0].status, kStatusCompleted);
    }
    EXPECT_TRUE(questions_.asked.empty());
    EXPECT_TRUE(questions_.informed.empty());
}

TEST_F(ExtractionTest, RequestsOf26SectorsAndProgressEveryFifthRead) {
    UseSimulatedDisc("track audio 27\ntrack audio 312\n");
    EXPECT_EQ(RipToWav(0), SimulatedAudio(0, 27));
    EXPECT_EQ(GetSimulatedReadCounts().plain, 2u);  // 26 + 1
    EXPECT_EQ(ProgressValues(), (std::vector<int32_t>{0, 100}));

    notes_.progress.clear();
    EXPECT_EQ(RipToWav(1), SimulatedAudio(27, 312));
    EXPECT_EQ(GetSimulatedReadCounts().plain, 2u + 12);
    // Reads 0, 5 and 10 of 12: 0, 130 and 260 of 312 sectors done.
    EXPECT_EQ(ProgressValues(), (std::vector<int32_t>{0, 41, 83, 100}));
    for (const auto& [position, status] : notes_.progress) {
        EXPECT_EQ(position, 1);
    }
}

TEST_F(ExtractionTest, EmptyTrackGivesAHeaderOnly) {
    UseSimulatedDisc("track audio 10\n");
    settings_.tracks[0].lengthSectors = 0;
    EXPECT_EQ(RipToWav(0), "");
    EXPECT_EQ(ReadWholeFile(dir_.File("out.wav")).size(), 44u);
    EXPECT_EQ(settings_.tracks[0].status, kStatusCompleted);
    EXPECT_EQ(GetSimulatedReadCounts().plain, 0u);
}

struct AttemptCase {
    int32_t jitter;
    uint64_t plain;
    uint64_t correcting;
};

TEST_F(ExtractionTest, AttemptsBeforeTheQuestionFollowTheJitterMode) {
    UseSimulatedDisc("track audio 100\nunreadable 30\n");
    // The first request (sectors 0-25) succeeds at once, the second fails on every attempt.
    const AttemptCase cases[] = {{1, 1 + 3, 0}, {2, 1 + 3, 3}, {0, 0, 1 + 3}, {7, 0, 0}};
    for (const auto& c : cases) {
        settings_.Jitter = c.jitter;
        platform::ResetSimulatedReadCounts();
        questions_.asked.clear();
        RipToWav(0);
        EXPECT_EQ(GetSimulatedReadCounts().plain, c.plain) << "Jitter " << c.jitter;
        EXPECT_EQ(GetSimulatedReadCounts().correcting, c.correcting) << "Jitter " << c.jitter;
        ASSERT_EQ(questions_.asked.size(), 1u);
        EXPECT_EQ(settings_.tracks[0].status, kStatusStopped);  // the script answers No
    }
    // Jitter 7 reads nothing at all, so its very first request fails.
    EXPECT_EQ(questions_.asked[0].rfind("Error at frame 0\n", 0), 0u);
    settings_.Jitter = 1;
    questions_.asked.clear();
    RipToWav(0);
    EXPECT_EQ(questions_.asked[0],
              "Error at frame 26\nASPIlib error 3, ASPI error 3\n"
              "Do you want to ignore this?");
}

TEST_F(ExtractionTest, PlainUnreadableSectorsAreReadByCorrectingReads) {
    UseSimulatedDisc("track audio 100\nplain-unreadable 40-45\n");
    settings_.Jitter = 2;
    EXPECT_EQ(RipToWav(0), SimulatedAudio(0, 100));
    EXPECT_TRUE(questions_.asked.empty());
    EXPECT_EQ(GetSimulatedReadCounts().correcting, 1u);
}

TEST_F(ExtractionTest, YesAtAReadErrorKeepsTheTracksLengthWithSilenceInPlace) {
    UseSimulatedDisc("track audio 200\nunreadable 30\nunreadable 80\n");
    // The requests that touch sectors 30 and 80 (26-51 and 78-103) fail; their sectors are then
    // read one by one. A jitter-correcting read of one sector reaches into its neighbours, so
    // it loses the sectors on either side of a bad one that it cannot line up.
    const std::string plain = SimulatedAudio(0, 30) + Silence(1) + SimulatedAudio(31, 49) +
                              Silence(1) + SimulatedAudio(81, 119);
    const std::string correcting = SimulatedAudio(0, 29) + Silence(2) + SimulatedAudio(31, 1) +
                                   Silence(1) + SimulatedAudio(33, 46) + Silence(2) +
                                   SimulatedAudio(81, 1) + Silence(1) + SimulatedAudio(83, 117);
    for (const int32_t jitter : {1, 0, 2}) {
        settings_.Jitter = jitter;
        questions_.asked.clear();
        questions_.answers = {ConfirmAnswer::yes, ConfirmAnswer::yes};
        EXPECT_TRUE(RipToWav(0) == (jitter == 0 ? correcting : plain)) << "Jitter " << jitter;
        EXPECT_EQ(questions_.asked.size(), 2u);
        EXPECT_EQ(results_[0].readErrors, (std::vector<int32_t>{26, 78}));
        EXPECT_EQ(settings_.tracks[0].status, kStatusCompleted);
        EXPECT_FALSE(context_.run.ignoreAllErrors);
    }
}

TEST_F(ExtractionTest, AllAtAReadErrorSkipsLaterErrorsSilently) {
    UseSimulatedDisc(
        "track audio 200\nunreadable 30\nunreadable 80\ntrack audio 60\n"
        "unreadable 210\n");
    questions_.answers = {ConfirmAnswer::all};
    EXPECT_TRUE(RipToWav(0) == SimulatedAudio(0, 30) + Silence(1) + SimulatedAudio(31, 49) +
                                   Silence(1) + SimulatedAudio(81, 119));
    EXPECT_TRUE(context_.run.ignoreAllErrors);
    // The next track of the run
    EXPECT_TRUE(RipToWav(1) == SimulatedAudio(200, 10) + Silence(1) + SimulatedAudio(211, 49));
    EXPECT_EQ(questions_.asked.size(), 1u);
}

TEST_F(ExtractionTest, NoAtAReadErrorAbandonsTheTrack) {
    UseSimulatedDisc("track audio 200\nunreadable 30\n");
    questions_.answers = {ConfirmAnswer::no};
    EXPECT_EQ(RipToWav(0), SimulatedAudio(0, 26));  // what was read stays, with a true header
    EXPECT_EQ(settings_.tracks[0].status, kStatusStopped);
    EXPECT_EQ(ProgressValues().back(), kStatusStopped);
}

TEST_F(ExtractionTest, CorrectingReadsLeaveNoFrameOutWhereJitterMovesPlainReads) {
    UseSimulatedDisc("track audio 600\njitter 4\n");
    settings_.Jitter = 0;
    const std::string corrected = RipToWav(0);
    EXPECT_EQ(Discontinuities(corrected), 0);
    EXPECT_EQ(corrected.size(), 600u * 2352);
    settings_.Jitter = 1;
    EXPECT_GT(Discontinuities(RipToWav(0)), 5);
}

TEST_F(ExtractionTest, OverwriteQuestion) {
    UseSimulatedDisc("track audio 30\n");
    settings_.Overwrite = 0;
    WriteWholeFile(dir_.File("out.wav"), "precious");
    questions_.answers = {ConfirmAnswer::no};
    RipJob job = Job(0);
    RipTrackToWav(context_, job);
    EXPECT_EQ(ReadWholeFile(dir_.File("out.wav")), "precious");
    EXPECT_EQ(settings_.tracks[0].status, kStatusStopped);
    EXPECT_EQ(ProgressValues(), (std::vector<int32_t>{kStatusStopped}));
    ASSERT_EQ(questions_.asked.size(), 1u);
    EXPECT_EQ(questions_.asked[0],
              dir_.File("out.wav") + " already exists.\nDo you want to overwrite it?");
    EXPECT_EQ(GetSimulatedReadCounts().plain, 0u);

    questions_.answers = {ConfirmAnswer::all};
    EXPECT_EQ(RipToWav(0), SimulatedAudio(0, 30));
    EXPECT_TRUE(context_.run.overwriteAll);
    EXPECT_EQ(RipToWav(0), SimulatedAudio(0, 30));  // no second question after All
    EXPECT_EQ(questions_.asked.size(), 2u);

    settings_.Overwrite = 1;
    context_.run.overwriteAll = false;
    EXPECT_EQ(RipToWav(0), SimulatedAudio(0, 30));
    EXPECT_EQ(questions_.asked.size(), 2u);
}

TEST_F(ExtractionTest, StopBeforeTheNextRead) {
    UseSimulatedDisc("track audio 100\n");
    stop_.request_stop();
    RipJob job = Job(0);
    RipTrackToWav(context_, job);
    EXPECT_FALSE(std::filesystem::exists(job.outputPath));  // stopped before: no file opened
    EXPECT_EQ(settings_.tracks[0].status, kStatusStopped);
    EXPECT_EQ(GetSimulatedReadCounts().plain, 0u);
}

TEST_F(ExtractionTest, FilesThatCannotBeWritten) {
    UseSimulatedDisc("track audio 100\n");
    RipJob job = Job(0, "missing/out.wav");
    RipTrackToWav(context_, job);
    EXPECT_EQ(settings_.tracks[0].status, kStatusError);
    EXPECT_EQ(questions_.informed, std::vector<std::string>{"Cannot create output file"});

    // A full disk is an error, not a completed track.
    job.outputPath = "/dev/full";
    RipTrackToWav(context_, job);
    EXPECT_EQ(settings_.tracks[0].status, kStatusError);
    EXPECT_EQ(questions_.informed.back(), WriteFailedMessage("/dev/full"));
    EXPECT_EQ(RipTrackToPcm(context_, job), -1);
    EXPECT_EQ(settings_.tracks[0].status, kStatusError);
}

TEST_F(ExtractionTest, PcmRip) {
    UseSimulatedDisc("track audio 400\n");
    RipJob job = Job(0, "cddatmp001.pcm");
    EXPECT_EQ(RipTrackToPcm(context_, job), 0);
    EXPECT_EQ(ReadWholeFile(job.outputPath), SimulatedAudio(0, 400));
    // Reads 0, 5, 10 and 15 of 16 report 0 to 30; the last value stays for the encoder.
    EXPECT_EQ(ProgressValues(), (std::vector<int32_t>{0, 9, 19, 29, 29}));
    EXPECT_EQ(settings_.tracks[0].status, 29);
}

TEST_F(ExtractionTest, PcmRipEndings) {
    UseSimulatedDisc("track audio 100\nunreadable 50\n");
    RipJob job = Job(0, "cddatmp001.pcm");
    questions_.answers = {ConfirmAnswer::no};
    EXPECT_EQ(RipTrackToPcm(context_, job), -1);  // abandoned: the run stops
    EXPECT_EQ(settings_.tracks[0].status, kStatusStopped);

    stop_.request_stop();
    EXPECT_EQ(RipTrackToPcm(context_, job), 0);  // stopped
    EXPECT_EQ(settings_.tracks[0].status, kStatusStopped);

    stop_ = std::stop_source();  // a new run
    context_.stop = stop_.get_token();
    job.outputPath = dir_.File("missing/cddatmp001.pcm");
    EXPECT_EQ(RipTrackToPcm(context_, job), -1);
    EXPECT_EQ(settings_.tracks[0].status, kStatusError);
    EXPECT_EQ(questions_.informed.back(), "Cannot create temporary output PCM file");
}

TEST_F(ExtractionTest, SecureReadingRepairsWhatTheOtherModesGetWrong) {
    // Sectors that read wrong a few times, and reads that land off now and then.
    UseSimulatedDisc(
        "track audio 300\ntrack audio 400\ntrack audio 200\nflaky 350-360\nflaky 880-890\n"
        "jitter 3\n");
    for (const int32_t jitter : {1, 0, 2}) {
        settings_.Jitter = jitter;
        EXPECT_FALSE(RipToWav(1) == SimulatedAudio(300, 400)) << "Jitter " << jitter;
    }
    settings_.Jitter = kJitterSecure;
    questions_.asked.clear();
    // Compared whole: a failure shows no megabytes of samples.
    EXPECT_TRUE(RipToWav(0) == SimulatedAudio(0, 300));  // first, middle and last track
    EXPECT_TRUE(RipToWav(1) == SimulatedAudio(300, 400));
    EXPECT_TRUE(RipToWav(2) == SimulatedAudio(700, 200));
    EXPECT_TRUE(questions_.asked.empty());
    EXPECT_TRUE(results_[1].readErrors.empty());
}

TEST_F(ExtractionTest, SecureReadingAsksOncePerUnreadableStretch) {
    UseSimulatedDisc("track audio 300\nunreadable 100-104\nunreadable 200\n");
    settings_.Jitter = kJitterSecure;
    questions_.answers = {ConfirmAnswer::yes, ConfirmAnswer::yes};
    const std::string samples = RipToWav(0);
    ASSERT_EQ(questions_.asked.size(), 2u);
    EXPECT_EQ(questions_.asked[0].substr(0, 15), "Error at frame ");
    EXPECT_NE(questions_.asked[0].find("\nASPIlib error 3, ASPI error 3\n"), std::string::npos);
    // A drive gives back the sectors before a bad one (once its request has been shortened):
    // paranoia gives up where the bad sectors begin, and what comes before them is whole.
    const std::vector<int32_t>& errors = results_[0].readErrors;
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors, (std::vector<int32_t>{100, 200}));
    EXPECT_EQ(questions_.asked[0].rfind("Error at frame 100\n", 0), 0u);
    EXPECT_EQ(settings_.tracks[0].status, kStatusCompleted);
    // Every position keeps its place, and only the unreadable ones are lost.
    EXPECT_TRUE(samples == SimulatedAudio(0, 100) + Silence(5) + SimulatedAudio(105, 95) +
                               Silence(1) + SimulatedAudio(201, 99));

    questions_.answers = {ConfirmAnswer::no};
    RipToWav(0);
    EXPECT_EQ(settings_.tracks[0].status, kStatusError);
    RipJob job = Job(0, "cddatmp001.pcm");
    questions_.answers = {ConfirmAnswer::no};
    EXPECT_EQ(RipTrackToPcm(context_, job), -1);
    EXPECT_EQ(settings_.tracks[0].status, kStatusError);
}

// Unreadable sectors where secure reading begins, or with few retries: the rip ends, the track
// keeps its length, and only the unreadable sectors are lost (silence in their place).
TEST_F(ExtractionTest, SecureReadingGetsPastUnreadableSectorsWhereverTheyLie) {
    struct Case {
        const char* disc;
        int32_t retries;
        int64_t firstBad, endBad;
    };
    const Case cases[] = {
        {"track audio 300\nunreadable 0-5\n", 20, 0, 6},
        {"track audio 300\nunreadable 3-8\n", 20, 3, 9},
        {"track audio 300\nunreadable 10-12\n", 20, 10, 13},
        {"track audio 300\nunreadable 3-8\n", 1, 3, 9},
        {"track audio 300\nunreadable 100-104\n", 1, 100, 105},
        {"track audio 300\nunreadable 100-104\n", 3, 100, 105},
        // A long stretch is one read error, however paranoia gives it up.
        {"track audio 300\nunreadable 50-249\n", 20, 50, 250},
        // A bad stretch at the start of the next track costs the track before nothing.
        {"track audio 300\ntrack audio 300\nunreadable 302-310\n", 20, 300, 300},
    };
    settings_.Jitter = kJitterSecure;
    for (const Case& c : cases) {
        UseSimulatedDisc(c.disc);
        settings_.Retries = c.retries;
        context_.run.ignoreAllErrors = true;
        const std::string samples = RipToWav(0);
        EXPECT_EQ(settings_.tracks[0].status, kStatusCompleted) << c.disc;
        EXPECT_TRUE(samples == SimulatedAudio(0, c.firstBad) + Silence(c.endBad - c.firstBad) +
                                   SimulatedAudio(c.endBad, 300 - c.endBad))
            << c.disc << ", Retries " << c.retries;
        EXPECT_EQ(results_[0].readErrors, c.firstBad == c.endBad ? std::vector<int32_t>{}
                                                                 : std::vector{int32_t(c.firstBad)})
            << c.disc;
    }
}

// Stop while paranoia retries a long unreadable stretch: the read under way ends at the next
// request to the drive.
TEST_F(ExtractionTest, StopEndsASecureReadThatIsRetrying) {
    UseSimulatedDisc("track audio 600\nunreadable 100-400\n");
    settings_.Jitter = kJitterSecure;
    settings_.Retries = 100;
    context_.run.ignoreAllErrors = true;
    std::atomic<bool> ended{false};
    std::atomic<uint64_t> readsAtStop{0};
    std::thread stopper([&] {
        // Well into the retries of the first unreadable positions.
        while (!ended && GetSimulatedReadCounts().correcting < 3000) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        readsAtStop = GetSimulatedReadCounts().correcting;
        stop_.request_stop();
    });
    RipJob job = Job(0);
    RipTrackToWav(context_, job);
    ended = true;
    stopper.join();
    EXPECT_EQ(settings_.tracks[0].status, kStatusStopped);
    EXPECT_GE(readsAtStop, 3000u);
    // At most the read command that was under way ran after the stop.
    EXPECT_LE(GetSimulatedReadCounts().correcting - readsAtStop, 1u);
}

// The audio of `sectors` sectors from `start`, shifted by `offset` frames, silent outside the
// sectors from `first` to `end`.
std::string ShiftedAudio(int64_t start, int64_t sectors, int32_t offset, int64_t first,
                         int64_t end) {
    std::string audio(static_cast<size_t>(sectors) * 2352, '\0');
    const int64_t from = start * 588 + offset;
    for (int64_t i = 0; i < sectors * 588; ++i) {
        if (from + i >= first * 588 && from + i < end * 588) {
            platform::FillSimulatedAudio(from + i, 1,
                                         reinterpret_cast<uint8_t*>(audio.data()) + i * 4);
        }
    }
    return audio;
}

TEST_F(ExtractionTest, ReadOffsetShiftsEveryModeAcrossTrackAndDiscEnds) {
    UseSimulatedDisc("track audio 300\ntrack audio 400\ntrack data 100\ntrack audio 200\n");
    struct Case {
        size_t track;  // in the list of audio tracks
        int32_t offset;
        int64_t readableFirst, readableEnd;  // the run of audio the track belongs to
    };
    const Case cases[] = {
        {0, -700, 0, 700},     // before the disc's first sector: silence
        {1, -600, 0, 700},     // into the track before
        {1, 30, 0, 700},       // into the data track: silence
        {2, -50, 800, 1000},   // back into the data track: silence
        {2, 1300, 800, 1000},  // past the lead-out: silence
    };
    for (const int32_t jitter : {1, 0, 2, kJitterSecure}) {
        settings_.Jitter = jitter;
        for (const Case& c : cases) {
            settings_.ReadOffset = c.offset;
            const Track& track = settings_.tracks[c.track];
            EXPECT_EQ(RipToWav(c.track), ShiftedAudio(track.startSector, track.lengthSectors,
                                                      c.offset, c.readableFirst, c.readableEnd))
                << "Jitter " << jitter << ", track " << c.track + 1 << ", offset " << c.offset;
        }
    }
    EXPECT_TRUE(questions_.asked.empty());
}

// A drive that reads early or late (the simulated disc's "offset"), ripped with that offset as
// ReadOffset, gives the disc's own audio; only what lies beyond the disc's ends for that drive
// (before the first sector for a negative offset, past the lead-out for a positive one) is silence.
TEST_F(ExtractionTest, ADrivesOwnOffsetCorrectedGivesTheDiscsAudio) {
    for (const int32_t offset : {6, 667, -30, 1234}) {
        UseSimulatedDisc("track audio 300\ntrack audio 400\noffset " + std::to_string(offset) +
                         "\n");
        settings_.ReadOffset = offset;
        for (const int32_t jitter : {1, kJitterSecure}) {
            settings_.Jitter = jitter;
            for (size_t track = 0; track < 2; ++track) {
                const Track& t = settings_.tracks[track];
                std::string expected = SimulatedAudio(t.startSector, t.lengthSectors);
                const int64_t first = int64_t{t.startSector} * 588;
                for (int64_t frame = first; frame < first + int64_t{t.lengthSectors} * 588;
                     ++frame) {
                    if (frame + offset < 0 || frame + offset >= 700 * 588) {
                        std::fill_n(expected.begin() + (frame - first) * 4, 4, '\0');
                    }
                }
                EXPECT_TRUE(RipToWav(track) == expected)
                    << "offset " << offset << ", Jitter " << jitter << ", track " << track + 1;
            }
        }
    }
    EXPECT_TRUE(questions_.asked.empty());
}

}  // namespace
}  // namespace disctrove
