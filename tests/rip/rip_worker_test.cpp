#include "rip/rip_worker.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>
#include <set>
#include <stop_token>
#include <thread>
#include <tuple>

#include "disc/disc.h"
#include "disc/musicbrainz_id.h"
#include "disc/musicbrainz_lookup.h"
#include "disc/release_apply.h"
#include "platform/cdrom/simulated_disc.h"
#include "platform/system/environment.h"
#include "platform/system/files.h"
#include "platform/system/write_faults.h"
#include "rip/naming.h"
#include "support/all_records.h"
#include "support/audio_files.h"
#include "support/disc_images.h"
#include "support/scoped_environment.h"
#include "support/scripted_worker.h"
#include "support/temp_dir.h"
#include "tools/cover_art_server.h"
#include "tools/cue_image.h"
#include "tools/musicbrainz_server.h"
#include "work/worker_thread.h"

namespace disctrove {
namespace {

namespace fs = std::filesystem;
using testing::CommandOutput;
using testing::ReadWholeFile;
using testing::TempDir;
using testing::WriteWholeFile;

// Notes what `finished` said when the run told it had ended.
class WatchingNotifications : public testing::RecordingNotifications {
  public:
    explicit WatchingNotifications(const testing::AllRecords& settings) : settings_(settings) {}
    void WorkFinished() override {
        finishedWhenTold = settings_.finished;
        progressWhenFinished = progress.size();
        RecordingNotifications::WorkFinished();
    }
    int32_t finishedWhenTold = -1;
    size_t progressWhenFinished = 0;

  private:
    const testing::AllRecords& settings_;
};

class RipWorkerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::ClearDiscImages();
        fs::create_directories(out_);
        fs::create_directories(tmp_);
        settings_.folderHistory = {out_};
        settings_.Tmpfolder = tmp_;
        settings_.currentTemplate = "$n-$t";
        settings_.Overwrite = 1;
        settings_.AccurateRip = 0;  // no test reaches the internet
        settings_.Ctdb = 0;
    }
    void TearDown() override { platform::ClearDiscImages(); }

    // A disc of `count` tracks of `sectors` sectors each, all marked, titled "Song N".
    void UseDisc(int count, uint32_t sectors, EncoderKind kind) {
        UseDisc(std::vector<uint32_t>(static_cast<size_t>(count), sectors), kind);
    }
    void UseDisc(const std::vector<uint32_t>& lengths, EncoderKind kind) {
        std::vector<testing::ImageTrack> tracks;
        for (const uint32_t sectors : lengths) {
            tracks.push_back({false, sectors});
        }
        testing::AddImage(testing::MakeCueImage(dir_.path(), "disc", tracks));
        BuildDriveList(settings_);
        settings_.Cdrom = static_cast<int32_t>(settings_.drives.size()) - 1;
        settings_.Encoder = kind;
        ASSERT_EQ(RefreshDisc(settings_, settings_, settings_, settings_), RefreshResult::ready);
        for (Track& track : settings_.tracks) {
            track.marked = 1;
            track.title = "Song " + std::to_string(track.index + 1);
        }
    }
    void SetEncoder(size_t track, EncoderKind kind) {
        settings_.tracks[track].encoder = kind;
        settings_.tracks[track].format = TrackFormatFor(kind, settings_.formats);
    }
    int Run() {
        stop_ = std::stop_source();  // a new run
        context_.stop = stop_.get_token();
        PrepareRip(settings_, settings_);
        rip_ = RunRipWorker(context_);
        return rip_.outcome;
    }
    // The front end's Stop: the model marked, the worker asked to stop.
    void StopRip(testing::AllRecords& settings) {
        disctrove::StopRip(settings, settings);
        stop_.request_stop();
    }
    std::vector<int32_t> Statuses() const {
        std::vector<int32_t> statuses;
        for (const Track& track : settings_.tracks) {
            statuses.push_back(track.status);
        }
        return statuses;
    }
    std::string TrackAudio(size_t track) const {
        const Track& t = settings_.tracks[track];
        return ReadWholeFile(dir_.File("disc.bin"))
            .substr(size_t{static_cast<uint32_t>(t.startSector)} * 2352,
                    size_t{t.lengthSectors} * 2352);
    }

    TempDir dir_;
    std::string out_ = dir_.File("out");
    std::string tmp_ = dir_.File("tmp");
    testing::AllRecords settings_;
    RipResult rip_;  // of the last Run
    WatchingNotifications notes_{settings_};
    testing::ScriptedQuestions questions_;
    std::stop_source stop_;  // the Stop of the one who runs the worker
    WorkerContext context_{settings_, settings_,  settings_, settings_,
                           notes_,    questions_, {},        stop_.get_token()};
};

TEST_F(RipWorkerTest, WavAndOggTracksInArtistAndAlbumFoldersWithAPlaylist) {
    UseDisc(5, 150, kEncoderWav);
    SetEncoder(1, kEncoderOgg);
    SetEncoder(3, kEncoderOgg);
    settings_.tracks[4].marked = 0;
    settings_.RipInFolder = 1;
    settings_.Createm3u = 1;
    settings_.Artist = "The Band";
    settings_.Album = "Live/Loud";
    EXPECT_EQ(Run(), kRipCompleted);

    const std::string folder = out_ + "/The Band/Live_Loud/";
    EXPECT_EQ(ReadWholeFile(folder + "01-Song 1.wav").substr(44), TrackAudio(0));
    EXPECT_EQ(ReadWholeFile(folder + "03-Song 3.wav").substr(44), TrackAudio(2));
    for (const char* ogg : {"02-Song 2.ogg", "04-Song 4.ogg"}) {
        EXPECT_TRUE(testing::OggInfoProblems(folder + ogg).empty()) << ogg;
    }
    EXPECT_FALSE(fs::exists(folder + "05-Song 5.wav"));
    EXPECT_EQ(ReadWholeFile(folder + "The Band - Live_Loud.m3u"),
              "#EXTM3U\n"
              "#EXTINF:-1,Live/Loud - Song 1\n01-Song 1.wav\n"
              "#EXTINF:-1,Live/Loud - Song 2\n02-Song 2.ogg\n"
              "#EXTINF:-1,Live/Loud - Song 3\n03-Song 3.wav\n"
              "#EXTINF:-1,Live/Loud - Song 4\n04-Song 4.ogg\n");
    EXPECT_TRUE(fs::is_empty(tmp_));  // no temporary file left
    EXPECT_EQ(Statuses(), (std::vector<int32_t>{100, 100, 100, 100, kStatusNone}));
    EXPECT_EQ(settings_.currentTrack, 3);
    EXPECT_EQ(notes_.finishedCount, 1);
    EXPECT_EQ(notes_.finishedWhenTold, 1);
}

// Rips of one album one after another, some tracks at a time, one of them stopped, into a
// playlist that lists a file of elsewhere and a track twice: one header, each file once, the
// disc's in track order.
TEST_F(RipWorkerTest, ThePlaylistListsEachFileOnceInTrackOrderWhateverWasRippedBefore) {
    UseDisc(3, 30, kEncoderWav);
    settings_.Createm3u = 1;
    settings_.Album = "A";
    const std::string playlist = out_ + "/" + PlaylistName(settings_, settings_);
    WriteWholeFile(playlist,
                   "#EXTM3U\n#EXTINF:-1,B - Other\nother.wav\n03-Song 3.wav\n"
                   "#EXTM3U\n03-Song 3.wav\n");
    const auto ripOnly = [this](std::vector<int> marked) {
        for (Track& track : settings_.tracks) {
            track.marked = std::count(marked.begin(), marked.end(), track.index + 1) > 0;
        }
        return Run();
    };
    EXPECT_EQ(ripOnly({2}), kRipCompleted);
    EXPECT_EQ(ripOnly({1, 2, 3}), kRipCompleted);
    EXPECT_EQ(ripOnly({}), kRipCompleted);
    notes_.onProgress = [this](int32_t, int32_t) { StopRip(settings_); };
    EXPECT_EQ(ripOnly({1, 3}), kRipStopped);
    EXPECT_EQ(ReadWholeFile(playlist),
              "#EXTM3U\n#EXTINF:-1,A - Song 1\n01-Song 1.wav\n#EXTINF:-1,A - Song 2\n"
              "02-Song 2.wav\n#EXTINF:-1,A - Song 3\n03-Song 3.wav\n"
              "#EXTINF:-1,B - Other\nother.wav\n");
    fs::remove(playlist);
    EXPECT_EQ(ripOnly({}), kRipCompleted);  // the first playlist of the disc
    EXPECT_EQ(ReadWholeFile(playlist), "#EXTM3U\n");
}

// A link planted under the playlist's name is replaced, never written through.
TEST_F(RipWorkerTest, APlaylistNamedByALinkLeavesWhatTheLinkNamesAlone) {
    UseDisc(1, 30, kEncoderWav);
    settings_.Createm3u = 1;
    const std::string playlist = out_ + "/" + PlaylistName(settings_, settings_);
    WriteWholeFile(dir_.File("victim"), "secret\n");
    fs::create_symlink(dir_.File("victim"), playlist);
    EXPECT_EQ(Run(), kRipCompleted);
    EXPECT_EQ(ReadWholeFile(dir_.File("victim")), "secret\n");
    EXPECT_FALSE(fs::is_symlink(playlist));
    EXPECT_NE(ReadWholeFile(playlist).find("01-Song 1.wav\n"), std::string::npos);
}

TEST_F(RipWorkerTest, ExistingAlbumFolderWithoutOverwrite) {
    UseDisc(2, 30, kEncoderWav);
    settings_.RipInFolder = 1;
    settings_.Artist = "X";
    settings_.Album = "Y";
    fs::create_directories(out_ + "/X/Y");
    settings_.Overwrite = 0;
    EXPECT_EQ(Run(), kRipFailed);
    ASSERT_EQ(questions_.informed.size(), 1u);
    EXPECT_EQ(questions_.informed[0],
              "Cannot create album's folder \"X/Y\"\nPlease check if that folder already "
              "exists and rename it\nor use the \"Overwrite tracks\" option in the menu "
              "Options > Global > Misc");
    EXPECT_TRUE(fs::is_empty(out_ + "/X/Y"));
    EXPECT_EQ(notes_.finishedCount, 1);

    settings_.Overwrite = 1;  // now the rip goes into the folder that is there
    EXPECT_EQ(Run(), kRipCompleted);
    EXPECT_TRUE(fs::exists(out_ + "/X/Y/02-Song 2.wav"));
}

TEST_F(RipWorkerTest, ArtistFolderThatCannotBeMade) {
    UseDisc(1, 30, kEncoderWav);
    WriteWholeFile(dir_.File("file"), "");
    settings_.folderHistory = {dir_.File("file")};
    settings_.RipInFolder = 1;
    settings_.Artist = "X";
    EXPECT_EQ(Run(), kRipFailed);
    EXPECT_EQ(questions_.informed, std::vector<std::string>{"Cannot create artist's folder \"X\""});
    EXPECT_EQ(settings_.tracks[0].status, 0);  // untouched
}

TEST_F(RipWorkerTest, StopDuringTheThirdOfFiveTracks) {
    UseDisc(5, 300, kEncoderOgg);
    settings_.EncoderThreads = 1;  // track 3 encodes alone once track 2 is done
    settings_.Overwrite = 0;
    SetEncoder(3, kEncoderWav);  // the next track's file is there from an earlier rip
    WriteWholeFile(out_ + "/04-Song 4.wav", "mine");
    std::atomic<bool> stopped = false;
    notes_.onProgress = [this, &stopped](int32_t position, int32_t status) {
        if (position == 2 && status >= 40 && status < 100 && !stopped) {  // while it encodes
            StopRip(settings_);
            stopped = true;
        }
    };
    // The reader has gone on to track 4 and asks about its file; Yes comes after the Stop.
    questions_.beforeAnswer = [&stopped] {
        while (!stopped) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    };
    questions_.answers = {ConfirmAnswer::yes};
    EXPECT_EQ(Run(), kRipStopped);
    EXPECT_EQ(Statuses(), (std::vector<int32_t>{100, 100, 101, 101, 101}));
    EXPECT_TRUE(fs::is_empty(tmp_));
    EXPECT_EQ(ReadWholeFile(out_ + "/04-Song 4.wav"), "mine");  // no file opened after the Stop
    EXPECT_FALSE(fs::exists(out_ + "/05-Song 5.ogg"));
}

TEST_F(RipWorkerTest, StopWhileReadingLeavesNoTemporaryFile) {
    UseDisc(3, 300, kEncoderOgg);
    notes_.onProgress = [this](int32_t position, int32_t status) {
        if (position == 1 && status > 0 && status < 30) {  // while the disc is read
            StopRip(settings_);
        }
    };
    EXPECT_EQ(Run(), kRipStopped);
    // Track 1 was being encoded meanwhile: it ended or stopped with the rest.
    EXPECT_TRUE(settings_.tracks[0].status == 100 || settings_.tracks[0].status == 101);
    EXPECT_EQ(settings_.tracks[1].status, 101);
    EXPECT_EQ(settings_.tracks[2].status, 101);
    EXPECT_TRUE(fs::is_empty(tmp_));
}

TEST_F(RipWorkerTest, NoAtTheOverwriteQuestionSkipsOnlyThatTrack) {
    UseDisc(3, 30, kEncoderWav);
    settings_.Overwrite = 0;
    settings_.Createm3u = 1;
    WriteWholeFile(out_ + "/02-Song 2.wav", "mine");
    questions_.answers = {ConfirmAnswer::no};
    EXPECT_EQ(Run(), kRipCompleted);
    EXPECT_EQ(Statuses(), (std::vector<int32_t>{100, 101, 100}));
    EXPECT_EQ(ReadWholeFile(out_ + "/02-Song 2.wav"), "mine");
    const std::string playlist = ReadWholeFile(out_ + "/" + PlaylistName(settings_, settings_));
    EXPECT_NE(playlist.find("02-Song 2.wav\n"), std::string::npos);  // listed all the same
}

TEST_F(RipWorkerTest, NoAtAReadErrorWhileMakingTheTemporaryFileStopsTheRun) {
    const std::string simcd =
        testing::WriteSimulatedDisc(dir_.path(), "faulty",
                                    "track audio 100\ntrack audio 100\nunreadable 150\n"
                                    "track audio 100\n");
    testing::AddImage(simcd);
    BuildDriveList(settings_);
    settings_.Cdrom = static_cast<int32_t>(settings_.drives.size()) - 1;
    settings_.Encoder = kEncoderOgg;
    ASSERT_EQ(RefreshDisc(settings_, settings_, settings_, settings_), RefreshResult::ready);
    for (Track& track : settings_.tracks) {
        track.marked = 1;
    }
    questions_.answers = {ConfirmAnswer::no};
    EXPECT_EQ(Run(), kRipStopped);
    EXPECT_EQ(Statuses(), (std::vector<int32_t>{100, 101, 101}));
    EXPECT_EQ(settings_.ripping, 0);
}

TEST_F(RipWorkerTest, MissingLameIsToldForEachMp3TrackAndTheRestIsRipped) {
    const testing::ScopedEnvironment lame("DISCTROVE_LAME_LIBRARY", "/nonexistent/libmp3lame.so.0");
    UseDisc(3, 30, kEncoderMp3);
    SetEncoder(1, kEncoderWav);
    EXPECT_EQ(Run(), kRipCompleted);
    EXPECT_EQ(questions_.informed.size(), 2u);
    EXPECT_EQ(Statuses(), (std::vector<int32_t>{kStatusError, 100, kStatusError}));
    EXPECT_TRUE(fs::exists(out_ + "/02-Song 2.wav"));
    EXPECT_FALSE(fs::exists(out_ + "/01-Song 1.mp3"));
}

TEST_F(RipWorkerTest, Mp3AndWmaTracks) {
    UseDisc(2, 150, kEncoderMp3);
    SetEncoder(1, kEncoderWma);
    EXPECT_EQ(Run(), kRipCompleted);
    EXPECT_EQ(Statuses(), (std::vector<int32_t>{100, 100}));
    for (const char* name : {"/01-Song 1.mp3", "/02-Song 2.wma"}) {
        EXPECT_NEAR(static_cast<double>(testing::DecodeWithFfmpeg(out_ + name).size()),
                    150.0 / 75 * 44100 * 2, 6000)
            << name;
    }
    EXPECT_TRUE(fs::is_empty(tmp_));
}

// The reader and the encoder threads are background work that keeps its fair share on a busy
// machine: the batch class, never the idle class, which starves beside any busy process.
TEST_F(RipWorkerTest, WorkThreadsRunInTheBatchClass) {
    UseDisc(2, 30, kEncoderWav);
    SetEncoder(1, kEncoderFlac);  // its progress comes from an encoder thread
    settings_.Makesound = 1;      // no sound card here: it must simply not matter
    std::mutex mutex;
    std::set<std::pair<std::thread::id, int>> policies;  // of each thread that reported
    notes_.onProgress = [&](int32_t, int32_t) {
        const std::lock_guard lock(mutex);
        policies.emplace(std::this_thread::get_id(), sched_getscheduler(0));
    };
    WorkerThread worker;
    const auto rip = [this](std::stop_token stop) {
        context_.stop = std::move(stop);
        return RunRipWorker(context_).outcome;
    };
    PrepareRip(settings_, settings_);
    ASSERT_TRUE(worker.Start(rip));
    EXPECT_EQ(worker.Join(), kRipCompleted);
    EXPECT_GE(policies.size(), 2u);  // the reader and an encoder thread
    for (const auto& [thread, policy] : policies) {
        EXPECT_EQ(policy, SCHED_BATCH);
    }
    EXPECT_EQ(settings_.finished, 1);
    EXPECT_EQ(Statuses(), (std::vector<int32_t>{100, 100}));

    // A second run of the same worker.
    PrepareRip(settings_, settings_);
    ASSERT_TRUE(worker.Start(rip));
    EXPECT_EQ(worker.Join(), kRipCompleted);
    EXPECT_EQ(notes_.finishedCount, 2);
}

// The files of a rip, whatever EncoderThreads is: WAV bytes, and the decoded audio of the rest.
TEST_F(RipWorkerTest, SameFilesWhateverTheNumberOfEncoderThreads) {
    UseDisc(6, 225, kEncoderOgg);
    SetEncoder(0, kEncoderWav);
    SetEncoder(2, kEncoderMp3);
    SetEncoder(3, kEncoderWma);
    SetEncoder(5, kEncoderMp3);
    settings_.Createm3u = 1;
    std::vector<std::vector<std::string>> runs;
    for (const int threads : {1, 2, 4}) {
        settings_.EncoderThreads = threads;
        settings_.folderHistory = {out_ + "/" + std::to_string(threads)};
        fs::create_directories(settings_.folderHistory[0]);
        std::atomic<size_t> mostTemporary = 0;  // encoder threads report at once
        notes_.onProgress = [&](int32_t, int32_t) {
            const auto files = static_cast<size_t>(std::distance(fs::directory_iterator(tmp_), {}));
            for (size_t most = mostTemporary; files > most;) {
                mostTemporary.compare_exchange_weak(most, files);
            }
        };
        EXPECT_EQ(Run(), kRipCompleted);
        EXPECT_EQ(Statuses(), std::vector<int32_t>(6, kStatusCompleted));
        EXPECT_LE(mostTemporary.load(), static_cast<size_t>(threads) + 1) << threads;
        EXPECT_TRUE(fs::is_empty(tmp_));
        std::vector<std::string> contents;
        for (const Track& track : settings_.tracks) {
            const std::string path =
                RipOutputPath(settings_, settings_, settings_.currentTemplate, track);
            if (track.encoder == kEncoderWav) {
                contents.push_back(ReadWholeFile(path));
            } else {
                const auto samples = testing::DecodeWithFfmpeg(path);
                contents.emplace_back(reinterpret_cast<const char*>(samples.data()),
                                      samples.size() * 2);
            }
            // The checks are those of the disc's audio.
            const std::string audio = TrackAudio(static_cast<size_t>(track.index));
            const std::optional<AudioChecks>& checks = rip_.Of(track.index)->checks;
            ASSERT_TRUE(checks.has_value());
            EXPECT_EQ(checks->crc32, crc32(0, reinterpret_cast<const Bytef*>(audio.data()),
                                           static_cast<uInt>(audio.size())));
            uint32_t peak = 0;
            for (size_t i = 0; i + 1 < audio.size(); i += 2) {
                const auto sample = static_cast<int16_t>(static_cast<uint8_t>(audio[i]) |
                                                         (static_cast<uint8_t>(audio[i + 1]) << 8));
                peak = std::max<uint32_t>(peak, static_cast<uint32_t>(std::abs(int32_t{sample})));
            }
            EXPECT_EQ(checks->peak, peak);
        }
        contents.push_back(
            ReadWholeFile(settings_.folderHistory[0] + "/" + PlaylistName(settings_, settings_)));
        runs.push_back(contents);
    }
    EXPECT_EQ(runs[0], runs[1]);
    EXPECT_EQ(runs[0], runs[2]);
}

// Tracks end out of order; what the user sees of them does not.
TEST_F(RipWorkerTest, StatusesAndPlaylistInTrackOrderWhenTracksEndOutOfOrder) {
    UseDisc({1500, 40, 40}, kEncoderOgg);
    settings_.EncoderThreads = 4;
    settings_.Createm3u = 1;
    EXPECT_EQ(Run(), kRipCompleted);
    std::vector<int32_t> lastSeen(3, -1);
    std::vector<int32_t> endOrder;
    for (const auto& [position, status] : notes_.progress) {
        EXPECT_GE(status, lastSeen[static_cast<size_t>(position)]) << position;
        lastSeen[static_cast<size_t>(position)] = status;
        if (status == kStatusCompleted) {
            endOrder.push_back(position);
        }
    }
    EXPECT_EQ(lastSeen, std::vector<int32_t>(3, kStatusCompleted));
    EXPECT_NE(endOrder.front(), 0);  // the long first track ended last...
    EXPECT_EQ(ReadWholeFile(out_ + "/" + PlaylistName(settings_, settings_)),
              "#EXTM3U\n#EXTINF:-1,Unknown album - Song 1\n01-Song 1.ogg\n"
              "#EXTINF:-1,Unknown album - Song 2\n02-Song 2.ogg\n"
              "#EXTINF:-1,Unknown album - Song 3\n03-Song 3.ogg\n");  // ...listed first
    EXPECT_EQ(notes_.progressWhenFinished, notes_.progress.size());   // nothing after the end
}

size_t ThreadsOfThisProcess() {
    return static_cast<size_t>(std::distance(fs::directory_iterator("/proc/self/task"), {}));
}

TEST_F(RipWorkerTest, StopAtARandomMomentOfAFourThreadRip) {
    UseDisc(6, 150, kEncoderOgg);
    SetEncoder(1, kEncoderMp3);
    SetEncoder(4, kEncoderWav);
    settings_.EncoderThreads = 4;
    // ThreadSanitizer starts a thread of its own with the first thread: let it be counted before.
    std::thread([] {}).join();
    const size_t threadsBefore = ThreadsOfThisProcess();
    std::mt19937 random(std::random_device{}());
    for (int round = 0; round < 4; ++round) {
        const int stopAt = std::uniform_int_distribution<int>(1, 120)(random);
        std::atomic<int> reports = 0;
        notes_.onProgress = [&](int32_t, int32_t) {
            if (++reports == stopAt) {
                StopRip(settings_);
            }
        };
        const int result = Run();
        EXPECT_TRUE(result == kRipStopped || result == kRipCompleted) << stopAt;
        for (const Track& track : settings_.tracks) {
            EXPECT_TRUE(track.status == kStatusCompleted || track.status == kStatusStopped)
                << "track " << track.index + 1 << " after " << stopAt << " reports";
        }
        EXPECT_TRUE(fs::is_empty(tmp_)) << stopAt;
        EXPECT_EQ(ThreadsOfThisProcess(), threadsBefore) << stopAt;
    }
}

TEST_F(RipWorkerTest, AnEncoderThatFailsLeavesTheOtherTracksCompleted) {
    UseDisc(4, 150, kEncoderOgg);
    SetEncoder(3, kEncoderMp3);
    settings_.EncoderThreads = 4;
    fs::create_directories(out_ + "/02-Song 2.ogg");  // the file cannot be made
    EXPECT_EQ(Run(), kRipCompleted);
    EXPECT_EQ(Statuses(), (std::vector<int32_t>{100, kStatusError, 100, 100}));
    EXPECT_EQ(questions_.informed, std::vector<std::string>{kCannotCreateOutputMessage});
    EXPECT_TRUE(fs::is_empty(tmp_));
}

// Tracks that a template names alike are written one after another, as in a one-thread rip.
TEST_F(RipWorkerTest, TracksNamedAlikeAreWrittenOneAfterAnother) {
    UseDisc(3, 150, kEncoderOgg);
    settings_.tracks[2].lengthSectors = 75;  // the last track is the shortest
    settings_.currentTemplate = "same";
    settings_.EncoderThreads = 4;
    EXPECT_EQ(Run(), kRipCompleted);
    EXPECT_TRUE(testing::OggInfoProblems(out_ + "/same.ogg").empty());
    EXPECT_EQ(testing::DecodeWithFfmpeg(out_ + "/same.ogg").size(), size_t{75} * 588 * 2);
}

// Metadata at the limits of a name: as artist, album and every title, each still gives every
// track a file of its own inside the output folder, under names of valid UTF-8 (iconv reads
// what find lists) of at most 255 bytes, with and without the artist and album folders.
TEST_F(RipWorkerTest, MetadataAtTheLimitsStaysInsideTheFolderWithAFilePerTrack) {
    std::string longName;  // 255 bytes of "é€": any cut to fit falls inside a character
    while (longName.size() < 255) {
        longName += "\xC3\xA9\xE2\x82\xAC";
    }
    const std::string values[] = {
        longName,
        "/\\:*?\"<>|",
        "...",
        "   ",
        " . .. ",
        "\x01\t\n\x7F",
        "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D \xE2\x80\xAE\xD8\xB9\xD8\xA7\xD9\x84\xD9\x85.exe",
    };
    UseDisc(2, 30, kEncoderWav);
    settings_.Createm3u = 1;
    const fs::path root = fs::canonical(out_);
    for (const int inFolder : {0, 1}) {
        for (const std::string& value : values) {
            SCOPED_TRACE("RipInFolder=" + std::to_string(inFolder) + " value=" + value);
            fs::remove_all(out_);
            fs::create_directories(out_);
            settings_.RipInFolder = inFolder;
            settings_.Artist = value;
            settings_.Album = value;
            for (Track& track : settings_.tracks) {
                track.title = value;
            }
            ASSERT_EQ(Run(), kRipCompleted);
            ASSERT_NE(
                RipOutputPath(settings_, settings_, settings_.currentTemplate, settings_.tracks[0]),
                RipOutputPath(settings_, settings_, settings_.currentTemplate,
                              settings_.tracks[1]));
            size_t audioFiles = 0;
            for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
                const std::string path = fs::canonical(entry.path()).string();
                EXPECT_EQ(path.rfind(root.string() + "/", 0), 0u) << path;
                const std::string name = entry.path().filename().string();
                EXPECT_LE(name.size(), 255u) << name;
                EXPECT_NE(name.front(), '.') << name;  // no hidden file or folder
                EXPECT_NE(name.front(), ' ');
                EXPECT_NE(name.back(), ' ');
                audioFiles += entry.path().extension() == ".wav" ? 1 : 0;
            }
            EXPECT_EQ(audioFiles, 2u);
            for (const Track& track : settings_.tracks) {
                const std::string file =
                    RipOutputPath(settings_, settings_, settings_.currentTemplate, track);
                EXPECT_EQ(ReadWholeFile(file).substr(44),
                          TrackAudio(static_cast<size_t>(track.index)))
                    << file;
            }
            EXPECT_EQ(CommandOutput("find '" + out_ +
                                    "' | iconv -f UTF-8 -t UTF-8 >/dev/null && "
                                    "echo valid"),
                      "valid\n");
        }
    }
}

// Reads of a four-track disc fail at random: now and then anywhere in the first three tracks,
// for good at a few sectors of the fourth. Each reading mode gets through the passing failures;
// at the sector that never reads it asks, the user says No, and the track ends there.
class RandomReadFailuresTest : public RipWorkerTest,
                               public ::testing::WithParamInterface<std::tuple<int, EncoderKind>> {
};

TEST_P(RandomReadFailuresTest, CompletedTracksHoldTheDiscsAudioAndTheFailureIsNamed) {
    const auto [jitter, kind] = GetParam();
    testing::AddImage(testing::WriteSimulatedDisc(dir_.path(), "failing",
                                                  "track audio 300\ntrack audio 300\n"
                                                  "track audio 300\ntrack audio 300\n"
                                                  "random-failures 0-899 0.004\n"
                                                  "random-failures 1000-1010 0.5 persistent\n"));
    BuildDriveList(settings_);
    settings_.Cdrom = static_cast<int32_t>(settings_.drives.size()) - 1;
    settings_.Encoder = kind;
    settings_.Jitter = jitter;
    ASSERT_EQ(RefreshDisc(settings_, settings_, settings_, settings_), RefreshResult::ready);
    for (Track& track : settings_.tracks) {
        track.marked = 1;
        track.title = "Song " + std::to_string(track.index + 1);
    }
    const std::string extension = kind == kEncoderWav ? ".wav" : ".flac";

    // A No ends a WAV track alone, and a track for an encoder the whole run.
    EXPECT_EQ(Run(), kind == kEncoderWav ? kRipCompleted : kRipStopped);
    const int32_t failed = jitter == kJitterSecure ? kStatusError : kStatusStopped;
    EXPECT_EQ(Statuses(), (std::vector<int32_t>{100, 100, 100, failed}));
    ASSERT_EQ(questions_.asked.size(), 1u);
    const std::string& question = questions_.asked[0];
    ASSERT_EQ(question.rfind("Error at frame ", 0), 0u) << question;
    const int frame = std::stoi(question.substr(15));
    EXPECT_TRUE(frame > 1000 - 27 && frame <= 1010) << question;
    for (int track = 0; track < 3; ++track) {
        const std::string file = out_ + "/0" + std::to_string(track + 1) + "-Song " +
                                 std::to_string(track + 1) + extension;
        std::string audio(size_t{300} * 2352, '\0');
        platform::FillSimulatedAudio(int64_t{track} * 300 * 588, 300 * 588,
                                     reinterpret_cast<uint8_t*>(audio.data()));
        WriteWholeFile(dir_.File("disc.raw"), audio);
        EXPECT_EQ(CommandOutput("sox '" + file + "' -t raw - | sha256sum"),
                  CommandOutput("sha256sum <'" + dir_.File("disc.raw") + "'"))
            << file;
        if (kind == kEncoderFlac) {
            EXPECT_EQ(CommandOutput("flac -t -s '" + file + "'"), "") << file;
        }
    }
    if (kind == kEncoderFlac) {  // a WAV keeps what was read, its header telling how much
        EXPECT_FALSE(fs::exists(out_ + "/04-Song 4.flac"));
    }
    EXPECT_TRUE(fs::is_empty(tmp_));  // no temporary file left
}

INSTANTIATE_TEST_SUITE_P(PlainCorrectingAndSecureReadsToWavAndFlac, RandomReadFailuresTest,
                         ::testing::Combine(::testing::Values(1, 0, kJitterSecure),
                                            ::testing::Values(kEncoderWav, kEncoderFlac)));

}  // namespace
}  // namespace disctrove

namespace disctrove {
namespace {

constexpr const char* kRelease = "9b7d4e6a-3c2f-4a58-9e1d-2f6b8c0a1e37";
constexpr const char* kGroup = "0c6a5d1e-8f3b-4e27-a9d4-71b2c3e5f608";
constexpr const char* kVarious = "89ad4ac3-39f7-470e-963a-56509c546377";

class CoverArtRipTest : public RipWorkerTest {
  protected:
    void UseRelease(const std::string& releaseId) {
        settings_.Artist = "Various Artists";
        settings_.Album = "Hits";
        settings_.release = {};
        settings_.release.albumArtist = "Various Artists";
        settings_.release.releaseId = releaseId;
        settings_.release.releaseGroupId = kGroup;
        settings_.release.artistId = kVarious;
        settings_.musicBrainz.CoverServer = "127.0.0.1:" + std::to_string(server_.port());
        settings_.musicBrainz.Https = 0;
    }
    // The front cover embedded in `file`, as ffmpeg copies it out.
    std::string EmbeddedPicture(const std::string& file) {
        const std::string picture = file + ".picture";
        CommandOutput("ffmpeg -v error -y -i '" + file + "' -map 0:v -c copy -f image2 '" +
                      picture + "'");
        return fs::exists(picture) ? ReadWholeFile(picture) : "";
    }
    testing::CoverArtServer server_;
};

TEST_F(CoverArtRipTest, ReleaseTagsAndFrontCoverInEveryTaggedFormat) {
    const std::string jpegPath = dir_.File("front.jpg");
    ASSERT_EQ(testing::RunCommand("ffmpeg -v error -f lavfi -i color=c=red:s=24x16 -frames:v 1 '" +
                                  jpegPath + "'"),
              0);
    const std::string jpeg = ReadWholeFile(jpegPath);
    server_.Redirect(std::string("/release/") + kRelease + "/front-500", "/img/front-500.jpg");
    server_.Serve("/img/front-500.jpg", jpeg);
    UseDisc(4, 75, kEncoderFlac);
    SetEncoder(1, kEncoderOgg);
    SetEncoder(2, kEncoderOpus);
    SetEncoder(3, kEncoderMp3);
    UseRelease(kRelease);
    for (Track& track : settings_.tracks) {  // the last track is the album artist's own
        const std::string n = std::to_string(track.index + 1);
        track.recordingId = "00000000-0000-4000-8000-00000000000" + n;
        if (track.index < 3) {
            track.artist = "Singer " + n;
            track.artistId = "11111111-0000-4000-8000-00000000000" + n;
        }
    }
    ASSERT_EQ(Run(), kRipCompleted);
    EXPECT_EQ(Statuses(), (std::vector<int32_t>{100, 100, 100, 100}));
    EXPECT_TRUE(questions_.informed.empty());

    // Fetched once, through the redirect, and saved beside the files.
    EXPECT_EQ(server_.Requests(),
              (std::vector<std::string>{std::string("/release/") + kRelease + "/front-500",
                                        "/img/front-500.jpg"}));
    EXPECT_EQ(rip_.cover, out_ + "/cover.jpg");
    EXPECT_EQ(ReadWholeFile(out_ + "/cover.jpg"), jpeg);
    const std::string files[] = {"/01-Song 1.flac", "/02-Song 2.ogg", "/03-Song 3.opus",
                                 "/04-Song 4.mp3"};
    for (const std::string& file : files) {
        EXPECT_EQ(EmbeddedPicture(out_ + file), jpeg) << file;
    }
    const std::string flac = out_ + files[0];
    const std::string block = CommandOutput("metaflac --list --block-type=PICTURE '" + flac + "'");
    EXPECT_NE(block.find("type: 3 (Cover (front))"), std::string::npos) << block;
    EXPECT_NE(block.find("MIME type: image/jpeg"), std::string::npos) << block;
    EXPECT_NE(block.find("width: 24"), std::string::npos) << block;
    const std::string vorbisComments[] = {
        CommandOutput("metaflac --export-tags-to=- '" + flac + "'"),
        CommandOutput("vorbiscomment -l '" + out_ + files[1] + "'"),
        CommandOutput("opusinfo '" + out_ + files[2] + "'"),
    };
    for (size_t i = 0; i < 3; ++i) {
        const std::string n = std::to_string(i + 1);
        for (const std::string& tag :
             {"ARTIST=Singer " + n, std::string("ALBUMARTIST=Various Artists"),
              std::string("MUSICBRAINZ_ALBUMID=") + kRelease,
              std::string("MUSICBRAINZ_RELEASEGROUPID=") + kGroup,
              "MUSICBRAINZ_TRACKID=00000000-0000-4000-8000-00000000000" + n,
              "MUSICBRAINZ_ARTISTID=11111111-0000-4000-8000-00000000000" + n,
              std::string("MUSICBRAINZ_ALBUMARTISTID=") + kVarious}) {
            EXPECT_NE(vorbisComments[i].find(tag), std::string::npos)
                << files[i] << ": " << tag << "\n"
                << vorbisComments[i];
        }
    }
    // The frames MusicBrainz's tagger writes, as mutagen lists them.
    const std::string id3 = CommandOutput("mid3v2 -l '" + out_ + files[3] + "'");
    for (const std::string& frame :
         {std::string("TPE1=Various Artists"), std::string("TPE2=Various Artists"),
          std::string("TXXX=MusicBrainz Album Id=") + kRelease,
          std::string("TXXX=MusicBrainz Release Group Id=") + kGroup,
          std::string("TXXX=MusicBrainz Artist Id=") + kVarious,
          std::string("TXXX=MusicBrainz Album Artist Id=") + kVarious,
          std::string("UFID=http://musicbrainz.org=b'00000000-0000-4000-8000-000000000004'"),
          std::string("APIC=")}) {
        EXPECT_NE(id3.find(frame), std::string::npos) << frame << "\n" << id3;
    }

    EXPECT_EQ(id3.find("MUSICBRAINZ "), std::string::npos) << id3;  // no frame twice

    // A second rip of the release keeps the cover it has.
    settings_.tracks[1].marked = settings_.tracks[2].marked = settings_.tracks[3].marked = 0;
    fs::remove(out_ + "/cover.jpg");
    ASSERT_EQ(Run(), kRipCompleted);
    EXPECT_EQ(server_.Requests().size(), 2u);
    EXPECT_EQ(ReadWholeFile(out_ + "/cover.jpg"), jpeg);
    EXPECT_EQ(EmbeddedPicture(flac), jpeg);
}

// Disc 2 of a set of two, named by the loopback MusicBrainz server, its first two tracks sung by
// two artists: each format's file, read back with the tools libraries and players are built on,
// carries MusicBrainz Picard's names; the MP3 file as ID3v2.3 once the switch is on.
TEST_F(CoverArtRipTest, DiscTwoOfASetIsTaggedAsLibrariesReadIt) {
    const std::string jpegPath = dir_.File("front.jpg");
    ASSERT_EQ(testing::RunCommand("ffmpeg -v error -f lavfi -i color=c=red:s=24x16 -frames:v 1 '" +
                                  jpegPath + "'"),
              0);
    const std::string jpeg = ReadWholeFile(jpegPath);
    constexpr const char* kWall = "22222222-0000-4000-8000-000000000001";
    server_.Serve(std::string("/release/") + kWall + "/front-500", jpeg);
    settings_.musicBrainz.CoverServer = "127.0.0.1:" + std::to_string(server_.port());
    UseDisc(3, 75, kEncoderFlac);
    SetEncoder(1, kEncoderOgg);
    SetEncoder(2, kEncoderOpus);
    testing::MusicBrainzServer musicBrainz;
    const std::string discId = ComputeMusicBrainzDiscId(settings_.drives.back().toc);
    musicBrainz.Serve("/ws/2/discid/" + discId + "?" + kMusicBrainzIncludes, 200,
                      testing::MusicBrainzFixture("multidisc.json", discId));
    settings_.musicBrainz.Server = "127.0.0.1";
    settings_.musicBrainz.Port = musicBrainz.port();
    settings_.musicBrainz.Https = 0;
    const MusicBrainzAnswer found =
        LookUpMusicBrainz(settings_, DriveAt(settings_, settings_.Cdrom), {});
    ASSERT_EQ(found.releases.size(), 1u);
    ApplyRelease(settings_, found.releases[0]);
    settings_.comment = "Recorded live";  // as a CDDB entry's EXTD gives it
    settings_.RipInFolder = 1;
    ASSERT_EQ(Run(), kRipCompleted);
    EXPECT_EQ(Statuses(), (std::vector<int32_t>{100, 100, 100}));
    // The set's second disc has a folder, a playlist and a log of its own.
    const std::string folder = out_ + "/Pink Floyd with Michael Kamen/The Wall (Disc 2)/";
    EXPECT_TRUE(fs::exists(folder + "Pink Floyd with Michael Kamen - The Wall (Disc 2).log"));

    const std::string albumArtists[] = {"83d91898-7763-47d7-b03b-b92132375c47", "a-kamen"};
    const std::vector<std::string> artists[] = {
        {"a-waters", "a-gilmour"}, {"a-gilmour", "a-waters"}, {albumArtists[0], albumArtists[1]}};
    const std::string files[] = {"01-Hey You", "02-Is There Anybody Out There_", "03-Nobody Home"};
    const std::string listers[] = {"metaflac --export-tags-to=- '" + folder + files[0] + ".flac'",
                                   "vorbiscomment -l '" + folder + files[1] + ".ogg'",
                                   "opusinfo '" + folder + files[2] + ".opus'"};
    for (size_t i = 0; i < 3; ++i) {
        const std::string n = std::to_string(i + 14);
        std::vector<std::string> expected = {"DISCNUMBER=2",
                                             "DISCTOTAL=2",
                                             "TRACKTOTAL=3",
                                             "DATE=1994-09-12",
                                             "ORIGINALDATE=1979-11-30",
                                             "MUSICBRAINZ_RELEASETRACKID=t-" + n,
                                             "MUSICBRAINZ_TRACKID=w-" + n,
                                             "MUSICBRAINZ_DISCID=" + discId,
                                             "LABEL=Harvest",
                                             "CATALOGNUMBER=SHDW 411",
                                             "BARCODE=077774624321",
                                             "MEDIA=Enhanced CD",
                                             "RELEASECOUNTRY=XE",
                                             "COMMENT=Recorded live",
                                             "MUSICBRAINZ_ALBUMARTISTID=" + albumArtists[0] + "\n",
                                             "MUSICBRAINZ_ALBUMARTISTID=" + albumArtists[1] + "\n"};
        for (const std::string& artist : artists[i]) {
            expected.push_back("MUSICBRAINZ_ARTISTID=" + artist + "\n");
        }
        const std::string listed = CommandOutput(listers[i]);
        for (const std::string& line : expected) {
            EXPECT_NE(listed.find(line), std::string::npos) << files[i] << ": " << line << "\n"
                                                            << listed;
        }
    }

    // MP3 (ID3v2.4) and WMA.
    SetEncoder(0, kEncoderMp3);
    SetEncoder(1, kEncoderWma);
    settings_.tracks[2].marked = 0;
    ASSERT_EQ(Run(), kRipCompleted);
    const std::string mp3 = folder + files[0] + ".mp3";
    const std::string wma = folder + files[1] + ".wma";
    const std::string id3 = CommandOutput("mid3v2 -l '" + mp3 + "'");
    for (const std::string& frame :
         {std::string("TPOS=2/2"), std::string("TRCK=1/3"), std::string("TDRC=1994-09-12"),
          std::string("TDOR=1979-11-30"),
          std::string("TXXX=MusicBrainz Artist Id=a-waters / a-gilmour"),  // two values
          "TXXX=MusicBrainz Album Artist Id=" + albumArtists[0] + " / " + albumArtists[1],
          std::string("TXXX=MusicBrainz Release Track Id=t-14"),
          "TXXX=MusicBrainz Disc Id=" + discId, std::string("TPUB=Harvest"),
          std::string("TXXX=CATALOGNUMBER=SHDW 411"), std::string("TXXX=BARCODE=077774624321"),
          std::string("TMED=Enhanced CD"), std::string("TXXX=MusicBrainz Album Release Country=XE"),
          std::string("COMM==eng=Recorded live"),
          std::string("UFID=http://musicbrainz.org=b'w-14'")}) {
        EXPECT_NE(id3.find(frame + "\n"), std::string::npos) << frame << "\n" << id3;
    }
    const std::string asf = CommandOutput(
        "/usr/bin/python3 -c 'import sys, mutagen.asf\n"
        "for name, values in mutagen.asf.ASF(sys.argv[1]).tags.items():\n"
        "  [print(name + \"=\" + str(v)) for v in values if name != \"WM/Picture\"]' '" +
        wma + "'");
    for (const std::string& attribute : {std::string("WM/PartOfSet=2/2"),
                                         std::string("TotalDiscs=2"),
                                         std::string("TotalTracks=3"),
                                         std::string("WM/TrackNumber=2"),
                                         std::string("WM/Year=1994-09-12"),
                                         std::string("WM/OriginalReleaseTime=1979-11-30"),
                                         std::string("WM/OriginalReleaseYear=1979"),
                                         std::string("MusicBrainz/Artist Id=a-gilmour"),
                                         std::string("MusicBrainz/Artist Id=a-waters"),
                                         "MusicBrainz/Album Artist Id=" + albumArtists[0],
                                         "MusicBrainz/Album Artist Id=" + albumArtists[1],
                                         std::string("MusicBrainz/Release Track Id=t-15"),
                                         std::string("MusicBrainz/Track Id=w-15"),
                                         "MusicBrainz/Disc Id=" + discId,
                                         std::string("WM/Publisher=Harvest"),
                                         std::string("WM/CatalogNo=SHDW 411"),
                                         std::string("WM/Barcode=077774624321"),
                                         std::string("WM/Media=Enhanced CD"),
                                         std::string("MusicBrainz/Album Release Country=XE"),
                                         std::string("Description=Recorded live"),
                                         std::string("Author=David Gilmour & Roger Waters")}) {
        EXPECT_NE(asf.find(attribute + "\n"), std::string::npos) << attribute << "\n" << asf;
    }
    EXPECT_EQ(asf.find("Author=", asf.find("Author=") + 1), std::string::npos) << "twice";
    EXPECT_EQ(EmbeddedPicture(wma), jpeg);
    // What players built on FFmpeg show.
    for (const std::string& file : {mp3, wma}) {
        const std::string probed = CommandOutput(
            "ffprobe -v error -show_entries format_tags -of default=noprint_wrappers=1 '" + file +
            "'");
        for (const char* tag : {"TAG:disc=2/2\n", "TAG:publisher=Harvest\n"}) {
            EXPECT_NE(probed.find(tag), std::string::npos) << file << ": " << tag << probed;
        }
    }

    // ID3v2.3 for old players: its own date frames, several values joined by "/".
    settings_.Id3v23 = 1;
    settings_.tracks[1].marked = 0;
    ASSERT_EQ(Run(), kRipCompleted);
    const std::string v23 = CommandOutput(
        "/usr/bin/python3 -c 'import sys, mutagen.id3\n"
        "tag = mutagen.id3.ID3(sys.argv[1], translate=False)\n"
        "print(\"version=\" + \".\".join(map(str, tag.version)))\n"
        "[print(frame.pprint()) for frame in tag.values()]' '" +
        mp3 + "'");
    for (const std::string& frame :
         {std::string("version=2.3.0"), std::string("TYER=1994"), std::string("TDAT=1209"),
          std::string("TORY=1979"), std::string("TPOS=2/2"),
          std::string("TXXX=MusicBrainz Artist Id=a-waters/a-gilmour"),
          std::string("TXXX=MusicBrainz Release Track Id=t-14"), std::string("TPUB=Harvest"),
          std::string("TPE1=Roger Waters & David Gilmour")}) {
        EXPECT_NE(v23.find(frame + "\n"), std::string::npos) << frame << "\n" << v23;
    }
    EXPECT_EQ(v23.find("TDRC"), std::string::npos) << v23;
}

// What the server sends is walked to its end before it is saved or embedded: a server's error
// page, behind a JPEG's first bytes or not, and a picture cut short or damaged give no cover.
TEST_F(CoverArtRipTest, NoCoverOrNoPictureIsARipWithoutCover) {
    const std::string jpegPath = dir_.File("front.jpg");
    const std::string pngPath = dir_.File("front.png");
    for (const std::string& path : {jpegPath, pngPath}) {
        ASSERT_EQ(testing::RunCommand("ffmpeg -v error -f lavfi -i color=c=red:s=24x16 "
                                      "-frames:v 1 '" +
                                      path + "'"),
                  0);
    }
    const std::string jpeg = ReadWholeFile(jpegPath);
    const std::string png = ReadWholeFile(pngPath);
    std::string badCrc = png;
    badCrc[17] ^= 1;  // the header's width, under its CRC
    const struct {
        const char* release;
        std::string picture;  // "" for none (404)
        const char* kept;     // the saved cover, "" for none
    } rows[] = {
        {"missing", "", ""},
        {"garbage", "<html>Service unavailable</html>", ""},
        {"html-behind-jpeg-magic", "\xFF\xD8\xFF\xE0<html>Service unavailable</html>", ""},
        {"cut-jpeg", jpeg.substr(0, jpeg.size() / 2), ""},
        {"png-bad-crc", badCrc, ""},
        {"cut-png", png.substr(0, png.size() - 12), ""},  // without its end chunk
        {"png", png, "/cover.png"},
    };
    UseDisc(1, 30, kEncoderFlac);
    for (const auto& row : rows) {
        if (!row.picture.empty()) {
            server_.Serve(std::string("/release/") + row.release + "/front-500", row.picture);
        }
        UseRelease(row.release);
        ASSERT_EQ(Run(), kRipCompleted) << row.release;
        EXPECT_TRUE(questions_.informed.empty()) << row.release;
        EXPECT_EQ(fs::exists(out_ + "/cover.jpg"), false) << row.release;
        EXPECT_EQ(rip_.cover, *row.kept ? out_ + row.kept : "") << row.release;
        EXPECT_EQ(settings_.cover.releaseId, row.release);  // asked once, not at every rip
        const std::string block =
            CommandOutput("metaflac --list --block-type=PICTURE '" + out_ + "/01-Song 1.flac'");
        EXPECT_EQ(block.empty(), !*row.kept) << row.release;
        fs::remove(out_ + "/cover.png");
    }
    EXPECT_EQ(server_.Requests().size(), std::size(rows));
}

// Another local user plants links (and files) at the names a rip writes: its temporary PCM
// file, the hidden parts beside the outputs, an output itself. Nothing is written through a
// link, a planted file is left as it is, and the rip completes under names of its own.
TEST_F(RipWorkerTest, NamesPlantedByAnotherUserAreNeverWrittenThrough) {
    UseDisc(3, 75, kEncoderFlac);
    SetEncoder(1, kEncoderWav);
    SetEncoder(2, kEncoderMp3);
    const std::string victim = dir_.File("victim");
    testing::WriteWholeFile(victim, "secret");
    fs::permissions(victim, fs::perms::owner_read | fs::perms::owner_write);
    std::vector<std::string> planted;
    const auto plantLink = [&](const std::string& at) {
        fs::create_symlink(victim, at);
        planted.push_back(at);
    };
    const std::string pcm = TempPcmPath(settings_, settings_.tracks[0]);
    plantLink(pcm);
    testing::WriteWholeFile(pcm.substr(0, pcm.size() - 4) + "-2.pcm", "theirs");
    // The next hidden names this process gives, for every extension of the run.
    const std::string probe = platform::TemporaryPathBeside(out_ + "/x");
    const long next = std::stol(probe.substr(probe.rfind('-') + 1)) + 1;
    const std::string stem = out_ + "/.disctrove-" + std::to_string(platform::ProcessId()) + "-";
    for (long n = next; n < next + 12; ++n) {
        for (const char* extension : {".flac", ".wav", ".mp3"}) {
            plantLink(stem + std::to_string(n) + extension);
        }
    }
    const std::string wav =
        RipOutputPath(settings_, settings_, settings_.currentTemplate, settings_.tracks[1]);
    fs::create_symlink(victim, wav);

    ASSERT_EQ(Run(), kRipCompleted);
    EXPECT_EQ(Statuses(), (std::vector<int32_t>{100, 100, 100}));
    EXPECT_EQ(ReadWholeFile(victim), "secret");
    EXPECT_EQ(ReadWholeFile(pcm.substr(0, pcm.size() - 4) + "-2.pcm"), "theirs");
    for (const std::string& link : planted) {
        EXPECT_TRUE(fs::is_symlink(link)) << link;
    }
    // The link at the output's name is replaced by the file, not followed.
    EXPECT_FALSE(fs::is_symlink(wav));
    EXPECT_EQ(ReadWholeFile(wav).substr(44), TrackAudio(1));
    EXPECT_EQ(testing::PeerToolProblems(RipOutputPath(
                  settings_, settings_, settings_.currentTemplate, settings_.tracks[0])),
              "");
    EXPECT_EQ(testing::PeerToolProblems(RipOutputPath(
                  settings_, settings_, settings_.currentTemplate, settings_.tracks[2])),
              "");
}

// What is written again by name once made (the MP3's tag and info frame go into the finished
// part) is refused at a link swapped in under that name, in every writing mode.
TEST(PlantedLinks, WritingByNameNeverFollowsALink) {
    const testing::TempDir dir;
    const std::string victim = dir.File("victim");
    testing::WriteWholeFile(victim, "secret");
    for (const char* mode : {"wb", "ab", "r+b", "w+b"}) {
        const std::string at = dir.File(std::string("link-") + mode);
        fs::create_symlink(victim, at);
        std::FILE* file = platform::OpenStream(at, mode);
        EXPECT_EQ(file, nullptr) << mode;
        if (file != nullptr) {
            std::fclose(file);
        }
    }
    EXPECT_EQ(testing::ReadWholeFile(victim), "secret");
}

// The names in `folder`, hidden ones too.
std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(RipWorkerTest, WritesThatFailLeaveNoFileAndTheNextRipIsWhole) {
    struct Fault {
        const char* name;
        int64_t failAfterBytes;
        bool closeFails;
    };
    UseDisc(3, 150, kEncoderWav);
    settings_.EncoderThreads = 2;
    for (const EncoderKind kind :
         {kEncoderWav, kEncoderMp3, kEncoderOgg, kEncoderWma, kEncoderFlac, kEncoderOpus}) {
        for (const Fault fault : {Fault{"disk full", 20000, false}, Fault{"close", -1, true}}) {
            const std::string what = std::string(ExtensionOf(kind)) + ", " + fault.name;
            fs::remove_all(out_);
            fs::create_directories(out_);
            questions_.informed.clear();
            for (size_t track = 0; track < settings_.tracks.size(); ++track) {
                SetEncoder(track, kind);
            }
            // Only the audio files fail: the temporary PCM files live in another folder.
            platform::InjectWriteFaults(platform::WriteFaults{
                out_ + "/.disctrove-", fault.failAfterBytes, fault.closeFails});
            Run();
            platform::InjectWriteFaults(std::nullopt);
            EXPECT_EQ(Statuses(), std::vector<int32_t>(3, kStatusError)) << what;
            std::vector<std::string> expected;
            for (const Track& track : settings_.tracks) {
                expected.push_back(WriteFailedMessage(
                    RipOutputPath(settings_, settings_, settings_.currentTemplate, track)));
            }
            std::sort(questions_.informed.begin(), questions_.informed.end());
            EXPECT_EQ(questions_.informed, expected) << what;
            EXPECT_TRUE(FilesIn(out_).empty()) << what << ": " << FilesIn(out_).front();
            EXPECT_TRUE(fs::is_empty(tmp_)) << what;

            // And then the disk has room again: the same rip is whole.
            EXPECT_EQ(Run(), kRipCompleted) << what;
            EXPECT_EQ(Statuses(), std::vector<int32_t>(3, kStatusCompleted)) << what;
            for (const Track& track : settings_.tracks) {
                EXPECT_EQ(testing::PeerToolProblems(RipOutputPath(
                              settings_, settings_, settings_.currentTemplate, track)),
                          "")
                    << what;
            }
            const std::vector<std::string> files = FilesIn(out_);  // with the rip log and cue sheet
            EXPECT_EQ(files.size(), 5u) << what;
            EXPECT_NE(files.front().front(), '.') << what << ": " << files.front();
        }
    }
}

// The output folder is removed during the rip: a track whose file went with it is no completed
// track, and the user is told which files are gone.
TEST_F(RipWorkerTest, AFileRemovedBeforeTheRipEndsIsAnError) {
    struct Case {
        const char* when;
        int32_t position;  // the folder goes at this track's first notice of `status` or more
        int32_t status;
        std::vector<size_t> gone;  // the tracks the message names
    };
    const std::vector<Case> cases = {{"while track 2 is read", 1, 0, {0}},
                                     {"as the last track completes", 2, 100, {0, 1, 2}}};
    UseDisc(3, 150, kEncoderWav);
    for (const Case& c : cases) {
        fs::create_directories(out_);
        questions_.informed.clear();
        std::atomic<bool> removed{false};
        notes_.onProgress = [&](int32_t position, int32_t status) {
            if (position == c.position && status >= c.status && !removed.exchange(true)) {
                fs::remove_all(out_);
            }
        };
        Run();
        notes_.onProgress = nullptr;
        EXPECT_EQ(Statuses(), std::vector<int32_t>(3, kStatusError)) << c.when;
        std::string message =
            "These files of the rip are gone (removed, or their folder, before "
            "the rip ended):";
        for (const size_t track : c.gone) {
            message += "\n" + RipOutputPath(settings_, settings_, settings_.currentTemplate,
                                            settings_.tracks[track]);
        }
        EXPECT_NE(std::find(questions_.informed.begin(), questions_.informed.end(), message),
                  questions_.informed.end())
            << c.when;
        EXPECT_TRUE(rip_.log.empty()) << c.when;
    }
}

// The disk is full when the log or the CUE sheet is written: the user is told, and the file an
// earlier rip left under that name is gone, since it would pass for this rip's.
TEST_F(RipWorkerTest, ALogOrCueSheetThatCannotBeWrittenIsToldAndLeavesNoEarlierOne) {
    UseDisc(2, 150, kEncoderWav);
    for (const std::string what : {"rip log", "CUE sheet"}) {
        ASSERT_EQ(Run(), kRipCompleted);  // the earlier rip
        const std::string path = what == "rip log" ? rip_.log : rip_.cueSheet;
        ASSERT_TRUE(fs::exists(path)) << what;
        questions_.informed.clear();
        platform::InjectWriteFaults(
            platform::WriteFaults{path.substr(path.size() - 4), 100, false});
        EXPECT_EQ(Run(), kRipCompleted) << what;
        platform::InjectWriteFaults(std::nullopt);
        EXPECT_EQ(Statuses(), std::vector<int32_t>(2, kStatusCompleted)) << what;
        EXPECT_FALSE(fs::exists(path)) << what;
        EXPECT_EQ(questions_.informed,
                  std::vector<std::string>{"Cannot write the " + what + " \"" + path +
                                           "\"\nThe one of an earlier rip there was removed."});
        EXPECT_EQ(rip_.log.empty(), what == "rip log");
        EXPECT_EQ(rip_.cueSheet.empty(), what == "CUE sheet");
    }
}

// A drive with an offset saved for it is read with that offset, whatever ReadOffset says, and the
// log says where the offset came from; a drive without one is read with ReadOffset.
TEST_F(RipWorkerTest, ADrivesSavedOffsetIsTheOneItIsReadWith) {
    const std::string simcd = testing::WriteSimulatedDisc(
        dir_.path(), "drive",
        "drive PLEXTOR / CD-R PX-W4012A / 1.04\noffset 667\ntrack audio 30\n"
        "track audio 40\n");
    testing::AddImage(simcd);
    BuildDriveList(settings_);
    settings_.Cdrom = static_cast<int32_t>(settings_.drives.size()) - 1;
    settings_.Encoder = kEncoderWav;
    ASSERT_EQ(RefreshDisc(settings_, settings_, settings_, settings_), RefreshResult::ready);
    settings_.tracks[0].marked = 1;
    settings_.ReadOffset = -30;
    settings_.driveOffsets["PLEXTOR / CD-R PX-W4012A / 1.04"] = {667, OffsetSource::detected};
    ASSERT_EQ(Run(), kRipCompleted);
    std::string audio(30 * 2352, '\0');
    platform::FillSimulatedAudio(0, 30 * 588, reinterpret_cast<uint8_t*>(audio.data()));
    EXPECT_TRUE(ReadWholeFile(rip_.tracks.at(0).file).substr(44) == audio);
    const std::string log = ReadWholeFile(rip_.log);
    EXPECT_NE(log.find(": 667 samples (detected with a disc in AccurateRip, on this drive)\n"),
              std::string::npos)
        << log;

    settings_.driveOffsets.clear();
    ASSERT_EQ(Run(), kRipCompleted);
    EXPECT_NE(ReadWholeFile(rip_.log).find(": -30 samples (set in the options)\n"),
              std::string::npos);
}

}  // namespace
}  // namespace disctrove
