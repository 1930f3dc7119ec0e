// Whole rips, reading and encoding, of a 20-minute image of four tracks of synthesized music,
// next to the libcdio ripper followed by the command-line encoders on the same image:
//   MP3, CBR 128 kbit/s, "Normal"  vs  cd-paranoia -B, then lame -b 128 on each track
//   Ogg Vorbis, quality 0.45       vs  cd-paranoia -B, then oggenc -q 4.5 on each track
// Disctrove runs as a user runs it, disctrove-cli with a settings file of its own, once with one
// encoder thread and once with the automatic count; the encoders run one track after another,
// then one per core at once. The peers measure no loudness, so the rows compared with them rip
// without ReplayGain; one more row rips as a user does by default, measuring it, to show its cost.
//
//   rip-bench [FOLDER]
//   rip-bench --limits [FOLDER]
//   rip-bench --busy [FOLDER]
//
// FOLDER (default ./bench-data) receives the image and the files each run writes. Every figure
// is the best of five runs, with the image in the page cache; the runs of a format take turns.
//
// --limits rips the discs at the ends of what a CD holds instead, once each, to WAV and to FLAC
// (the cheapest formats, so the ripping rather than the encoding is what grows): a reference
// disc of 10 tracks of 48 s, 50 and then the most tracks a disc can hold (99, of 20 s each) and
// the longest disc (one track of 79:59). Each row prints the wall time, the peak resident memory of
// disctrove-cli, the time per minute of audio and per track, and the time per minute and the
// memory next to the reference disc's: figures near 1× mean time grows linearly with the audio
// and memory does not grow with it.
//
// --busy times a conversion (a 60-second WAV file to FLAC) and a whole rip (the 20-minute image
// to FLAC, measuring ReplayGain as by default) alone, then beside two busy loops at normal
// priority started from the same session, as a build or a batch job started from the same shell
// would be, and flac -5 on the same file the same way for comparison. Each figure is the best of
// five; the runs alone and beside the loops take turns. Target: at most 2.5× the time alone (a
// fair share of two cores beside two busy processes is 2×); on a machine that others keep busy
// too, the comparison row shows what any program gets there.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bench/child_process.h"
#include "front/program_state.h"
#include "tools/cue_image.h"
#include "tools/music.h"

namespace {

using namespace disctrove;
namespace fs = std::filesystem;

constexpr int kTracks = 4;
constexpr int kTrackSeconds = 300;
constexpr uint64_t kImageBytes = uint64_t{kTracks} * kTrackSeconds * 75 * 2352;
constexpr int kRuns = 5;
constexpr double kMemoryTargetMb = 64;

struct Timing {
    double seconds = 1e30;  // best run
    double peakMb = 0;      // largest resident size of any run
};

// Runs `argv` as a child with its output into `log`; false when it could not run or failed.
bool Spawn(const std::vector<std::string>& argv, const std::string& log, double& peakMb) {
    rusage usage{};
    const bool ok = bench::SpawnChild(argv, log, usage);
    peakMb = std::max(peakMb, static_cast<double>(usage.ru_maxrss) / 1024);  // kilobytes
    return ok;
}

size_t CountFiles(const fs::path& folder, const std::string& extension) {
    return static_cast<size_t>(std::count_if(
        fs::directory_iterator(folder), fs::directory_iterator(),
        [&](const fs::directory_entry& e) { return e.path().extension() == extension; }));
}

// One run into an emptied output folder, kept in `best` when it is the fastest so far; a run
// counts when it wrote a file of `extension` per track. A failed run makes `best` nothing.
void Measure(const std::vector<std::string>& argv, const fs::path& out, const std::string& log,
             const std::string& extension, std::optional<Timing>& best, size_t tracks = kTracks) {
    if (!best) {
        return;  // failed before
    }
    fs::remove_all(out);
    fs::create_directories(out);
    const auto start = std::chrono::steady_clock::now();
    const bool ok = Spawn(argv, log, best->peakMb);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (!ok || CountFiles(out, extension) != tracks) {
        best.reset();
        return;
    }
    best->seconds = std::min(best->seconds, took.count());
}

bool HasTool(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

void Row(const std::string& what, const std::optional<Timing>& timing, bool ours) {
    if (!timing) {
        std::printf("  %-52s failed\n", what.c_str());
    } else if (!ours) {
        std::printf("  %-52s %7.2f s\n", what.c_str(), timing->seconds);
    } else {
        std::printf("  %-52s %7.2f s   peak %5.1f MB (target < %.0f MB: %s)\n", what.c_str(),
                    timing->seconds, timing->peakMb, kMemoryTargetMb,
                    timing->peakMb < kMemoryTargetMb ? "met" : "MISSED");
    }
}

void Ratio(const char* what, const std::optional<Timing>& ours, const std::optional<Timing>& peer,
           double target) {
    if (ours && peer) {
        const double ratio = ours->seconds / peer->seconds;
        std::printf("  %-52s %7.3f×  (target ≤ %.2f×: %s)\n", what, ratio, target,
                    ratio <= target ? "met" : "MISSED");
    }
}

// Settings of a timed rip: files straight into `out`, nothing looked up, no sound.
void WriteSettings(const fs::path& ini, const fs::path& out, const fs::path& tmp,
                   bool replayGain = true) {
    std::ofstream(ini)
        << "[GENERAL]\nOutfolder=" << out.string() << "\nTmpfolder=" << tmp.string()
        << "\nOverwrite=True\nRipInFolder=False\nCreatem3u=False\n"
           "Autocddb=False\nMakesound=False\nJitter=1\n"
           "[MP3]\nCbr=128\nUsevbr=False\nMpegquality=Normal\n"
           "[OGG]\nUsevbr=True\nUsecbr=False\nUsebbr=False\nVbr=9\n"
           "[ID3]\nReplayGain="
        << (replayGain ? "True" : "False")
        << "\n[SECURE]\nAccurateRip=False\nCtdb=False\n";  // time the rip, not a look-up
}

// Reads the file once, so that the runs find it in the page cache.
void WarmPageCache(const fs::path& file) {
    std::ifstream warm(file, std::ios::binary);
    std::vector<char> buffer(1 << 20);
    while (warm.read(buffer.data(), static_cast<std::streamsize>(buffer.size()))) {
    }
}

int RunLimits(const fs::path& folder) {
    struct Disc {
        const char* name;
        int tracks;
        int trackSeconds;
    };
    const Disc discs[] = {{"limits-10x48s", 10, 48},  // the reference
                          {"limits-50x20s", 50, 20},  // with the next: growth per track
                          {"limits-99x20s", 99, 20},
                          {"limits-1x79m59s", 1, 79 * 60 + 59}};
    for (const Disc& disc : discs) {
        const fs::path cue = folder / (std::string(disc.name) + ".cue");
        const fs::path bin = folder / (std::string(disc.name) + ".bin");
        const uint64_t bytes = uint64_t{75} * 2352 * disc.trackSeconds * disc.tracks;
        if (!fs::exists(cue) || !fs::exists(bin) || fs::file_size(bin) != bytes) {
            std::printf("Making the image %s ...\n", cue.c_str());
            std::fflush(stdout);
            testing::MakeCueImage(folder.string(), disc.name,
                                  std::vector<testing::ImageTrack>(
                                      static_cast<size_t>(disc.tracks),
                                      {false, static_cast<uint32_t>(disc.trackSeconds * 75)}));
        }
    }
    const fs::path out = folder / "out";
    const fs::path tmp = folder / "tmp";
    fs::create_directories(tmp);
    const fs::path ini = folder / "rip-bench-limits.ini";
    WriteSettings(ini, out, tmp);
    const std::string log = (folder / "rip-bench.log").string();
    std::printf(
        "One run each, automatic encoder threads; x ref: per minute of audio, next to "
        "the 10-track disc\n");
    std::printf("  %-6s %-16s %7s %9s %9s %10s %9s %9s %9s\n", "format", "disc", "audio", "wall",
                "s/min", "ms/track", "peak", "time", "memory");
    std::printf("  %-6s %-16s %7s %9s %9s %10s %9s %9s %9s\n", "", "", "min", "s", "", "", "MB",
                "x ref", "x ref");
    bool allRipped = true;
    for (const char* encoder : {"wav", "flac"}) {
        double refPerMinute = 0;
        double refPeak = 0;
        for (const Disc& disc : discs) {
            const fs::path cue = folder / (std::string(disc.name) + ".cue");
            WarmPageCache(folder / (std::string(disc.name) + ".bin"));
            std::optional<Timing> timing = Timing{};
            Measure({DISCTROVE_CLI, "rip", "--settings", ini.string(), "--image", cue.string(),
                     "--encoder", encoder, "--threads", "0", "all"},
                    out, log, std::string(".") + encoder, timing, static_cast<size_t>(disc.tracks));
            const double minutes = disc.tracks * disc.trackSeconds / 60.0;
            if (!timing) {
                std::printf("  %-6s %-16s %7.2f failed; see %s\n", encoder, disc.name + 7, minutes,
                            log.c_str());
                allRipped = false;
                continue;
            }
            const double perMinute = timing->seconds / minutes;
            if (refPerMinute == 0) {
                refPerMinute = perMinute;
                refPeak = timing->peakMb;
            }
            std::printf("  %-6s %-16s %7.2f %9.2f %9.3f %10.1f %9.1f %8.2fx %8.2fx\n", encoder,
                        disc.name + 7, minutes, timing->seconds, perMinute,
                        timing->seconds * 1000 / disc.tracks, timing->peakMb,
                        perMinute / refPerMinute, timing->peakMb / refPeak);
            std::fflush(stdout);
        }
    }
    fs::remove_all(out);
    return allRipped ? 0 : 1;
}

// Processes that each keep a core busy at normal priority, in this session, while it lives.
class BusyLoops {
  public:
    explicit BusyLoops(int count) {
        for (int i = 0; i < count; ++i) {
            const pid_t pid = ::fork();
            if (pid == 0) {
                volatile unsigned long spins = 0;
                while (true) {
                    spins = spins + 1;
                }
            }
            if (pid > 0) {
                pids_.push_back(pid);
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));  // let them take the cores
    }
    ~BusyLoops() {
        for (const pid_t pid : pids_) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    }
    BusyLoops(const BusyLoops&) = delete;
    BusyLoops& operator=(const BusyLoops&) = delete;

  private:
    std::vector<pid_t> pids_;
};

int RunBusy(const fs::path& folder, const fs::path& cue) {
    constexpr int kLoops = 2;
    constexpr double kTarget = 2.5;
    const fs::path wav = folder / "busy-60s.wav";
    if (!fs::exists(wav)) {
        testing::WriteStereoWav(wav.string(), testing::SynthesizeMusic(60));
    }
    const fs::path out = folder / "out";
    const fs::path tmp = folder / "tmp";
    fs::create_directories(tmp);
    const fs::path ini = folder / "rip-bench-busy.ini";
    WriteSettings(ini, out, tmp);
    const std::string log = (folder / "rip-bench.log").string();
    struct Job {
        const char* what;
        std::vector<std::string> argv;
        size_t files;
        bool ours;
    };
    std::vector<Job> jobs = {{"Disctrove: conversion, 60 s WAV -> FLAC",
                              {DISCTROVE_CLI, "--settings", ini.string(), "encode", wav.string(),
                               "--encoder", "flac", "--outdir", out.string()},
                              1,
                              true},
                             {"Disctrove: rip, 20-minute image -> FLAC",
                              {DISCTROVE_CLI, "rip", "--settings", ini.string(), "--image",
                               cue.string(), "--encoder", "flac", "all"},
                              kTracks,
                              true}};
    // A program at normal priority on the same file shows what the machine gives anyone.
    if (HasTool("flac")) {
        jobs.push_back({"flac -5 (for comparison)",
                        {"/bin/sh", "-c",
                         "exec flac -5 -s -f -o '" + (out / "busy-60s.flac").string() + "' '" +
                             wav.string() + "'"},
                        1,
                        false});
    }
    double load[3] = {};
    ::getloadavg(load, 3);
    std::printf(
        "Alone, then beside %d busy loops of this session at normal priority; best of %d; "
        "%u cores, load average %.1f before\n",
        kLoops, kRuns, std::max(1u, std::thread::hardware_concurrency()), load[0]);
    bool allMet = true;
    for (const Job& job : jobs) {
        WarmPageCache(job.files == 1 ? wav : folder / "rip-bench.bin");
        std::optional<Timing> alone = Timing{};
        std::optional<Timing> busy = Timing{};
        for (int round = 0; round < kRuns; ++round) {
            Measure(job.argv, out, log, ".flac", alone, job.files);
            const BusyLoops loops(kLoops);
            Measure(job.argv, out, log, ".flac", busy, job.files);
        }
        if (!alone || !busy) {
            std::printf("  %-40s failed; see %s\n", job.what, log.c_str());
            allMet = false;
            continue;
        }
        const double ratio = busy->seconds / alone->seconds;
        std::printf("  %-40s alone %6.2f s   busy %6.2f s   %5.2f×", job.what, alone->seconds,
                    busy->seconds, ratio);
        if (job.ours) {
            std::printf("  (target ≤ %.1f×: %s)", kTarget, ratio <= kTarget ? "met" : "MISSED");
            allMet = allMet && ratio <= kTarget;
        }
        std::printf("\n");
        std::fflush(stdout);
    }
    fs::remove_all(out);
    return allMet ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--limits") {
        const fs::path folder = fs::absolute(argc > 2 ? argv[2] : "bench-data");
        fs::create_directories(folder);
        return RunLimits(folder);
    }
    const bool busy = argc > 1 && std::string(argv[1]) == "--busy";
    const int folderArgument = busy ? 2 : 1;
    const fs::path folder =
        fs::absolute(argc > folderArgument ? argv[folderArgument] : "bench-data");
    fs::create_directories(folder);
    const fs::path bin = folder / "rip-bench.bin";
    const fs::path cue = folder / "rip-bench.cue";
    // The music is the same every time, so an image of the right size is reused.
    if (!fs::exists(bin) || fs::file_size(bin) != kImageBytes || !fs::exists(cue)) {
        std::printf("Making a 20-minute image of %d tracks in %s ...\n", kTracks, folder.c_str());
        std::vector<std::vector<int16_t>> tracks;
        for (int i = 0; i < kTracks; ++i) {
            tracks.push_back(testing::SynthesizeMusic(kTrackSeconds, i));
        }
        testing::MakeAudioCueImage(folder.string(), "rip-bench", tracks);
    }
    if (busy) {
        return RunBusy(folder, cue);
    }
    WarmPageCache(bin);
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    std::printf("Image: %s, %d tracks of %d s; %u cores\n", cue.c_str(), kTracks, kTrackSeconds,
                cores);

    const fs::path out = folder / "out";
    const fs::path tmp = folder / "tmp";
    fs::create_directories(tmp);
    const std::string log = (folder / "rip-bench.log").string();
    std::vector<std::string> missing;
    for (const char* tool : {"cd-paranoia", "lame", "oggenc"}) {
        if (!HasTool(tool)) {
            missing.emplace_back(tool);
        }
    }
    if (!missing.empty()) {
        std::string names;
        for (const std::string& tool : missing) {
            names += " " + tool;
        }
        std::printf("Not installed, so their rows are left out:%s\n", names.c_str());
    }
    const auto has = [&](const std::string& tool) {
        return std::find(missing.begin(), missing.end(), tool) == missing.end();
    };
    bool allRipped = true;

    struct Format {
        const char* title;
        const char* encoder;    // of disctrove-cli
        const char* extension;  // of the files it writes
        const char* tool;       // the peer encoder
        std::string peerArgs;   // its arguments; it names its files after the WAV files
    };
    const Format formats[] = {
        {"MP3, CBR 128 kbit/s, \"Normal\"", "mp3", ".mp3", "lame", "--quiet -b 128"},
        {"Ogg Vorbis, quality 0.45", "ogg", ".ogg", "oggenc", "-Q -q 4.5"}};
    for (const Format& format : formats) {
        std::printf("\n%s\n", format.title);
        const fs::path ini = folder / ("rip-bench-" + std::string(format.encoder) + ".ini");
        const fs::path iniGain =
            folder / ("rip-bench-" + std::string(format.encoder) + "-replaygain.ini");
        WriteSettings(ini, out, tmp, false);
        WriteSettings(iniGain, out, tmp, true);
        const auto rip = [&](int threads, std::optional<Timing>& best, bool replayGain = false) {
            Measure({DISCTROVE_CLI, "rip", "--settings", (replayGain ? iniGain : ini).string(),
                     "--image", cue.string(), "--encoder", format.encoder, "--threads",
                     std::to_string(threads), "all"},
                    out, log, format.extension, best);
        };
        const bool peers = has("cd-paranoia") && has(format.tool);
        const auto peer = [&](unsigned jobs, std::optional<Timing>& best) {
            const std::string line = "cd '" + out.string() + "' && cd-paranoia -q -d '" +
                                     cue.string() + "' -B && printf '%s\\n' track*.cdda.wav | " +
                                     "xargs -n 1 -P " + std::to_string(jobs) + " " + format.tool +
                                     " " + format.peerArgs;
            Measure({"/bin/sh", "-c", line}, out, "/dev/null", format.extension, best);
        };
        // The five take turns, so that a slow spell of the machine falls on all of them alike.
        std::optional<Timing> sequential = Timing{};
        std::optional<Timing> parallel = Timing{};
        std::optional<Timing> ours1 = Timing{};
        std::optional<Timing> oursAuto = Timing{};
        std::optional<Timing> oursGain = Timing{};
        for (int round = 0; round < kRuns; ++round) {
            if (peers) {
                peer(1, sequential);
                peer(cores, parallel);
            }
            rip(1, ours1);
            rip(0, oursAuto);
            rip(0, oursGain, true);
        }
        if (!peers) {
            sequential.reset();
            parallel.reset();
        }
        if (!ours1 || !oursAuto || !oursGain) {
            std::fprintf(stderr, "disctrove-cli failed or wrote too few files; see %s\n",
                         log.c_str());
            allRipped = false;
        }
        const std::string peerName = std::string("cd-paranoia -B + ") + format.tool;
        if (peers) {
            Row(peerName + ", one track after another", sequential, false);
            Row(peerName + ", " + std::to_string(cores) + " at once", parallel, false);
        }
        Row("Disctrove, 1 encoder thread", ours1, true);
        Row("Disctrove, automatic threads (one per core)", oursAuto, true);
        Row("Disctrove, automatic threads, measuring ReplayGain", oursGain, true);
        Ratio("1 thread / one after another", ours1, sequential, 1.00);
        Ratio("automatic / at once", oursAuto, parallel, 0.90);
    }
    fs::remove_all(out);
    return allRipped ? 0 : 1;
}
