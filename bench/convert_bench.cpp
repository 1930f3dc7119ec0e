// Converting a library: 40 files of synthesized music, 10 minutes in all (15 s each, 44.1 kHz
// stereo 16 bits), with disctrove-cli convert next to the command-line encoders run as a user runs
// them on a folder, one process per file and one per core at once (xargs -P):
//   FLAC -> Opus, 160 kbit/s VBR   vs  opusenc --bitrate 160 (it reads FLAC itself)
//   WAV -> FLAC, level 5           vs  flac -5
//   FLAC -> MP3, CBR 128 kbit/s    vs  flac -d -c | lame -b 128 - (the faster way: Debian's
//                                      lame reads FLAC itself, through libsndfile, but took
//                                      twice the time here)
// Disctrove runs with a settings file of its own that asks for what the peers do by default:
// Opus complexity 10, MP3 joint stereo at LAME's "Normal" quality, FLAC without verifying. The
// FLAC sources carry artist, album, title and track number, so our files are named from them by
// the default template as a user's would be (opusenc carries them over too). The peers measure no
// loudness, so the rows compared with them convert without ReplayGain; one more row measures it,
// as a user's conversion does by default, to show its cost.
// Targets: with automatic threads (one per core) at most the peers' time; with 2 threads at
// least 1.8× as fast as with one. Each row also gives the processor time of its best run (user
// and system, of all its processes) and that over the wall time, the cores the run had: where
// other programs keep the machine busy the wall times tell what share it gave, the processor
// times the work each did. "others" are the cores that other programs kept busy meanwhile.
//
// Then the memory of a long batch: 1,000 FLAC files of 1 s each into Opus in one run, automatic
// threads, without and with ReplayGain (then one album of 1,000 files); the peak resident memory
// of disctrove-cli, target < 100 MB.
//
//   convert-bench [FOLDER]
//
// FOLDER (default ./bench-data/convert) receives the music, made once and reused, and the files
// each run writes (deleted before the next). Every time is the best of three runs, the sources in
// the page cache; the runs of a job take turns, so that a slow spell falls on all of them alike.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bench/child_process.h"
#include "tools/music.h"

namespace {

using namespace disctrove;
namespace fs = std::filesystem;

constexpr int kFiles = 40;
constexpr int kFileSeconds = 15;
constexpr int kSmallFiles = 1000;
constexpr int kRuns = 3;
constexpr double kRatioTarget = 1.0;
constexpr double kSpeedUpTarget = 1.8;
constexpr double kMemoryTargetMb = 100;

struct Timing {
    double seconds = 1e30;   // best run
    double cpuSeconds = 0;   // user and system time of the best run, its children's included
    double othersCores = 0;  // the cores other programs kept busy meanwhile
    double peakMb = 0;       // largest resident size of any run
};

bool Spawn(const std::vector<std::string>& argv, const std::string& log, rusage& usage) {
    return bench::SpawnChild(argv, log, usage);
}

bool Shell(const std::string& line) {
    rusage unused{};
    return Spawn({"/bin/sh", "-c", line}, "/dev/null", unused);
}

// Files of `extension` anywhere below `folder`: our files are named into folders by their tags.
size_t CountFiles(const fs::path& folder, const std::string& extension) {
    return static_cast<size_t>(std::count_if(
        fs::recursive_directory_iterator(folder), fs::recursive_directory_iterator(),
        [&](const fs::directory_entry& e) { return e.path().extension() == extension; }));
}

// The processor time the whole machine has been busy, in seconds.
double MachineBusySeconds() {
    std::ifstream stat("/proc/stat");
    std::string cpu;
    uint64_t user = 0, nice = 0, system = 0, idle = 0, iowait = 0, irq = 0, softirq = 0, steal = 0;
    stat >> cpu >> user >> nice >> system >> idle >> iowait >> irq >> softirq >> steal;
    return static_cast<double>(user + nice + system + irq + softirq + steal) /
           static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// One run into an emptied output folder, kept in `best` when it is the fastest so far; a run
// counts when it wrote `files` files of `extension`. A failed run makes `best` nothing.
void Measure(const std::vector<std::string>& argv, const fs::path& out, const std::string& log,
             const std::string& extension, size_t files, std::optional<Timing>& best) {
    if (!best) {
        return;  // failed before
    }
    fs::remove_all(out);
    fs::create_directories(out);
    const double busyBefore = MachineBusySeconds();
    const auto start = std::chrono::steady_clock::now();
    rusage usage{};
    const bool ok = Spawn(argv, log, usage);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    const double busy = MachineBusySeconds() - busyBefore;
    if (!ok || CountFiles(out, extension) != files) {
        best.reset();
        return;
    }
    best->peakMb = std::max(best->peakMb, static_cast<double>(usage.ru_maxrss) / 1024);  // kB
    if (took.count() < best->seconds) {
        best->seconds = took.count();
        const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
        best->cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
        best->othersCores = std::max(0.0, busy - best->cpuSeconds) / took.count();
    }
}

// `folder`/`name`, made by `make` into a folder of its own that takes the name only when
// complete, so that a bench stopped midway makes it anew next time. Ends the program when
// `make` fails.
fs::path MakeOnce(const fs::path& folder, const std::string& name,
                  const std::function<bool(const fs::path&)>& make) {
    const fs::path done = folder / name;
    if (!fs::exists(done)) {
        const fs::path part = folder / (name + ".part");
        std::printf("Making %s ...\n", done.c_str());
        std::fflush(stdout);
        fs::remove_all(part);
        fs::create_directories(part);
        if (!make(part)) {
            std::fprintf(stderr, "Could not make %s\n", done.c_str());
            std::exit(1);
        }
        fs::rename(part, done);
    }
    return done;
}

// "music-07": `number` after `prefix`, `digits` wide.
std::string Numbered(const std::string& prefix, int number, size_t digits) {
    const std::string text = std::to_string(number);
    return prefix + std::string(digits - std::min(digits, text.size()), '0') + text;
}

std::string Quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

// Reads the files once, so that every run finds them in the page cache.
void WarmPageCache(const fs::path& folder) {
    std::vector<char> buffer(1 << 20);
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        std::ifstream warm(entry.path(), std::ios::binary);
        while (warm.read(buffer.data(), static_cast<std::streamsize>(buffer.size()))) {
        }
    }
}

void Row(const std::string& what, const std::optional<Timing>& timing, bool ours) {
    if (!timing) {
        std::printf("  %-52s failed\n", what.c_str());
    } else {
        // cpu / wall: the cores the run had; on a busy machine less than the program could use.
        std::printf("  %-52s %6.2f s  cpu %6.2f s = %4.2f cores, others %4.2f", what.c_str(),
                    timing->seconds, timing->cpuSeconds, timing->cpuSeconds / timing->seconds,
                    timing->othersCores);
        if (ours) {
            std::printf("   peak %5.1f MB", timing->peakMb);
        }
        std::printf("\n");
    }
}

// `figure` with its target: at most `target` (a ratio of times) or at least it (a speed-up).
void Target(const std::string& what, double figure, bool atMost, double target) {
    const bool met = atMost ? figure <= target : figure >= target;
    std::printf("  %-52s %6.2f×   (target %s %.2f×: %s)\n", what.c_str(), figure,
                atMost ? "≤" : "≥", target, met ? "met" : "MISSED");
}

// What ours is asked for, matching the peers' defaults; ReplayGain off (a row turns it on).
void WriteSettings(const fs::path& ini, const fs::path& tmp) {
    std::ofstream(ini) << "[GENERAL]\nTmpfolder=" << tmp.string()
                       << "\nOverwrite=True\nMakesound=False\n"
                          "[OPUS]\nBitrate=160\nMode=VBR\nComplexity=10\n"
                          "[FLAC]\nLevel=5\nVerify=False\n"
                          "[MP3]\nCbr=128\nUsevbr=False\nMpegquality=Normal\nChannels=JStereo\n"
                          "[ID3]\nReplayGain=False\n";
}

struct Job {
    const char* title;
    const char* encoder;    // of disctrove-cli
    const char* extension;  // of the files written
    fs::path sources;
    const char* sourceExtension;
    std::string peerName;
    std::string peerCommand;  // run by xargs -I{} on each source's name; writes OUT/{}.extension
};

}  // namespace

int main(int argc, char** argv) {
    const fs::path folder = fs::absolute(argc > 1 ? argv[1] : "bench-data/convert");
    fs::create_directories(folder);
    for (const char* tool : {"flac", "opusenc", "lame", "xargs"}) {
        if (!Shell(std::string("command -v ") + tool)) {
            std::fprintf(stderr, "%s is needed (for the sources and as a peer)\n", tool);
            return 1;
        }
    }
    const fs::path wav = MakeOnce(folder, "wav", [](const fs::path& part) {
        for (int i = 0; i < kFiles; ++i) {
            testing::WriteStereoWav((part / (Numbered("music-", i + 1, 2) + ".wav")).string(),
                                    testing::SynthesizeMusic(kFileSeconds, i));
        }
        return true;
    });
    // Tagged as a library's files are: a title and number each, one artist and album.
    const fs::path flac = MakeOnce(folder, "flac", [&](const fs::path& part) {
        for (int i = 1; i <= kFiles; ++i) {
            const std::string name = Numbered("music-", i, 2);
            if (!Shell(
                    "flac -5 -s -T ARTIST=Synthesizer -T 'ALBUM=Plucked strings' -T 'TITLE=Piece " +
                    std::to_string(i) + "' -T TRACKNUMBER=" + std::to_string(i) + " -o " +
                    Quoted(part / (name + ".flac")) + " " + Quoted(wav / (name + ".wav")))) {
                return false;
            }
        }
        return true;
    });
    const fs::path smallWav = MakeOnce(folder, "small-wav", [](const fs::path& part) {
        for (int i = 0; i < kSmallFiles; ++i) {
            testing::WriteStereoWav((part / (Numbered("short-", i + 1, 4) + ".wav")).string(),
                                    testing::SynthesizeMusic(1, i));
        }
        return true;
    });
    const fs::path smallFlac = MakeOnce(folder, "small-flac", [&](const fs::path& part) {
        return Shell("flac -5 -s --output-prefix=" + Quoted(part) + "/ " + Quoted(smallWav) +
                     "/*.wav");
    });

    const fs::path out = folder / "out";
    const fs::path tmp = folder / "tmp";
    fs::create_directories(tmp);
    const fs::path ini = folder / "convert-bench.ini";
    WriteSettings(ini, tmp);
    const std::string log = (folder / "convert-bench.log").string();
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    double load[3] = {};
    ::getloadavg(load, 3);
    std::printf("%d files of %d s in %s; %u cores, load average %.1f before\n", kFiles,
                kFileSeconds, folder.c_str(), cores, load[0]);

    const std::string xargs = "xargs -P " + std::to_string(cores) + " -I{} ";
    const std::string at = " (xargs -P " + std::to_string(cores) + ")";
    const Job jobs[] = {
        {"FLAC -> Opus, 160 kbit/s VBR", "opus", ".opus", flac, "flac",
         "opusenc --bitrate 160" + at, "opusenc --quiet --bitrate 160 {} OUT/{}.opus"},
        {"WAV -> FLAC, level 5", "flac", ".flac", wav, "wav", "flac -5" + at,
         "flac -5 -s -f -o OUT/{}.flac {}"},
        {"FLAC -> MP3, CBR 128 kbit/s", "mp3", ".mp3", flac, "flac",
         "flac -d -c | lame -b 128" + at,
         "sh -c 'flac -d -c -s \"$1\" | lame --quiet -b 128 - \"$2\"' sh {} OUT/{}.mp3"}};
    bool allRan = true;
    for (const Job& job : jobs) {
        std::printf("\n%s\n", job.title);
        std::fflush(stdout);
        WarmPageCache(job.sources);
        const auto ours = [&](int threads, std::optional<Timing>& best, bool replayGain = false) {
            Measure({DISCTROVE_CLI, "--settings", ini.string(), "--set",
                     replayGain ? "ID3/ReplayGain=True" : "ID3/ReplayGain=False", "convert",
                     job.sources.string(), "--encoder", job.encoder, "--outdir", out.string(),
                     "--threads", std::to_string(threads)},
                    out, log, job.extension, kFiles, best);
        };
        std::string peerLine = job.peerCommand;
        peerLine.replace(peerLine.find("OUT"), 3, Quoted(out));
        const std::string peerShell = "cd " + Quoted(job.sources) + " && printf '%s\\n' *." +
                                      job.sourceExtension + " | " + xargs + peerLine;
        std::optional<Timing> peers = Timing{};
        std::optional<Timing> automatic = Timing{};
        std::optional<Timing> gain = Timing{};
        std::optional<Timing> one = Timing{};
        std::optional<Timing> twoOwn = Timing{};
        // On two cores the automatic count is 2: its runs stand for both rows.
        std::optional<Timing>& two = cores == 2 ? automatic : twoOwn;
        for (int round = 0; round < kRuns; ++round) {
            Measure({"/bin/sh", "-c", peerShell}, out, "/dev/null", job.extension, kFiles, peers);
            ours(0, automatic);
            ours(0, gain, true);
            ours(1, one);
            if (cores != 2) {
                ours(2, two);
            }
        }
        if (!automatic || !gain || !one || !two) {
            std::fprintf(stderr, "disctrove-cli failed or wrote too few files; see %s\n",
                         log.c_str());
            allRan = false;
        }
        Row(job.peerName, peers, false);
        Row("Disctrove, automatic threads (one per core)", automatic, true);
        Row("Disctrove, automatic threads, measuring ReplayGain", gain, true);
        Row("Disctrove, 1 thread", one, true);
        Row(cores == 2 ? "Disctrove, 2 threads (the automatic runs)" : "Disctrove, 2 threads", two,
            true);
        if (automatic && peers) {
            Target("automatic / peers", automatic->seconds / peers->seconds, true, kRatioTarget);
            // The work itself, whatever share of the cores the machine's other programs left.
            std::printf("  %-52s %6.2f×\n", "cpu time, automatic / peers",
                        automatic->cpuSeconds / peers->cpuSeconds);
        }
        if (one && two) {
            Target("speed-up, 2 threads over 1", one->seconds / two->seconds, false,
                   kSpeedUpTarget);
        }
        std::fflush(stdout);
    }

    std::printf("\n%d FLAC files of 1 s -> Opus in one run, automatic threads\n", kSmallFiles);
    for (const bool replayGain : {false, true}) {
        std::optional<Timing> run = Timing{};
        Measure(
            {DISCTROVE_CLI, "--settings", ini.string(), "--set",
             replayGain ? "ID3/ReplayGain=True" : "ID3/ReplayGain=False", "convert",
             smallFlac.string(), "--encoder", "opus", "--outdir", out.string(), "--threads", "0"},
            out, log, ".opus", kSmallFiles, run);
        const char* what = replayGain ? "measuring ReplayGain (one album)" : "without ReplayGain";
        if (!run) {
            std::printf("  %-52s failed; see %s\n", what, log.c_str());
            allRan = false;
            continue;
        }
        std::printf("  %-52s %6.2f s  peak %5.1f MB (target < %.0f MB: %s)\n", what, run->seconds,
                    run->peakMb, kMemoryTargetMb, run->peakMb < kMemoryTargetMb ? "met" : "MISSED");
    }
    fs::remove_all(out);
    return allRan ? 0 : 1;
}
