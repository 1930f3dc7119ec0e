// Extraction throughput on a 74-minute disc image, next to two references on the same image:
// cat copying the .bin (what the disk allows) and cd-paranoia (the libcdio ripper; its full
// paranoia mode is what Secure is measured against).
//
//   extraction-bench [FOLDER [MINUTES]]
//
// FOLDER (default ./bench-data) receives the image and the files each run writes. Every figure
// is the best of three runs, with the image in the page cache; a run ends when what it wrote is
// on the disk, since a copy is not done before.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

#include "audio/accuraterip_stage.h"
#include "audio/audio_checks.h"
#include "audio/audio_edges.h"
#include "audio/ctdb_stage.h"
#include "bench/silent_worker.h"
#include "disc/disc.h"
#include "front/program_state.h"
#include "platform/cdrom/cdrom.h"
#include "rip/extraction.h"
#include "tools/cue_image.h"

namespace {

using namespace disctrove;
namespace fs = std::filesystem;

constexpr uint32_t kTrackSectors = 4 * 60 * 75;  // four-minute tracks
constexpr int kRuns = 3;

struct Timing {
    double written = 1e30;  // until the last byte was handed to the system
    double onDisk = 1e30;   // until it was on the disk
};

// Best times of kRuns runs of `run`, with `clean` after each; nothing when a run failed.
std::optional<Timing> Measure(const std::function<bool()>& run,
                              const std::function<void()>& clean) {
    Timing best;
    for (int i = 0; i < kRuns; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const bool ok = run();
        const std::chrono::duration<double> written = std::chrono::steady_clock::now() - start;
        ::sync();
        const std::chrono::duration<double> onDisk = std::chrono::steady_clock::now() - start;
        clean();
        if (!ok) {
            return std::nullopt;
        }
        best.written = std::min(best.written, written.count());
        best.onDisk = std::min(best.onDisk, onDisk.count());
    }
    return best;
}

bool Shell(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

void RemoveOutputs(const fs::path& folder) {
    for (const auto& entry : fs::directory_iterator(folder)) {
        const auto name = entry.path().filename().string();
        if (entry.path().extension() == ".wav" || name == "copy.bin") {
            fs::remove(entry.path());
        }
    }
}

// Rips every track to WAV; with `checks`, through the checksum stages a rip has (CRC32, peak
// level, AccurateRip v1 and v2, the edges kept for a pressing offset, the CTDB CRC).
bool RipAll(ProgramState& state, int32_t jitter, const fs::path& folder, bool checks = false) {
    bench::SilentWorker silent;
    WorkerContext context{state.options, state.disc, state.session, state.run, silent, silent};
    state.options.Jitter = jitter;
    state.run.ripping = 1;
    platform::TrackBufferBlock read(kReadChunkSectors);
    platform::TrackBufferBlock overlap(kOverlapSectors);
    for (Track& track : state.disc.tracks) {
        AudioChecksStage crc;
        AccurateRipStage accurateRip(
            uint64_t{track.lengthSectors} * 588, track.index == 0,
            static_cast<size_t>(track.index) + 1 == state.disc.tracks.size());
        AudioEdgesStage edges;
        CtdbStage ctdb(uint64_t{track.lengthSectors} * 588, track.index == 0,
                       static_cast<size_t>(track.index) + 1 == state.disc.tracks.size(),
                       uint64_t{state.disc.tracks.back().startSector +
                                state.disc.tracks.back().lengthSectors} *
                           588);
        SampleChain stages;
        stages.Add(crc);
        stages.Add(accurateRip);
        stages.Add(edges);
        stages.Add(ctdb);
        RipJob job{&track, read.get(), overlap.get(),
                   (folder / ("disctrove" + std::to_string(track.index + 1) + ".wav")).string(),
                   checks ? &stages : nullptr};
        RipTrackToWav(context, job);
        if (track.status != kStatusCompleted) {
            return false;
        }
    }
    return true;
}

void Report(const char* what, const std::optional<Timing>& timing, double megabytes) {
    if (!timing) {
        std::printf("%-22s failed\n", what);
        return;
    }
    std::printf("%-22s %7.2f s %8.1f MB/s   %7.2f s %8.1f MB/s\n", what, timing->written,
                megabytes / timing->written, timing->onDisk, megabytes / timing->onDisk);
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path folder = fs::absolute(argc > 1 ? argv[1] : "bench-data");
    const int minutes = argc > 2 ? std::atoi(argv[2]) : 74;
    fs::create_directories(folder);

    const uint32_t total = static_cast<uint32_t>(minutes) * 60 * 75;
    std::vector<testing::ImageTrack> tracks;
    for (uint32_t left = total; left > 0; left -= std::min(left, kTrackSectors)) {
        tracks.push_back({false, std::min(left, kTrackSectors)});
    }
    const fs::path bin = folder / "bench.bin";
    std::string cue = (folder / "bench.cue").string();
    if (!fs::exists(bin) || fs::file_size(bin) != uint64_t{total} * 2352 || !fs::exists(cue)) {
        std::printf("Making a %d-minute image in %s ...\n", minutes, folder.c_str());
        cue = testing::MakeCueImage(folder.string(), "bench", tracks);
    }
    const double megabytes = total * 2352.0 / 1e6;
    std::printf("Image: %s, %zu tracks, %u sectors, %.1f MB\n\n", cue.c_str(), tracks.size(), total,
                megabytes);

    std::string problem;
    if (!platform::AddDiscImage(cue, problem)) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        return 1;
    }
    ProgramState state;
    state.options.Overwrite = 1;
    BuildDriveList(state.disc);
    state.options.Cdrom = static_cast<int32_t>(state.disc.drives.size()) - 1;
    if (ReadDisc(state.disc, state.options, state.options.Cdrom) != 0) {
        std::fprintf(stderr, "cannot read the image's table of contents\n");
        return 1;
    }

    const auto clean = [&] { RemoveOutputs(folder); };
    const std::string copy =
        "cat '" + bin.string() + "' > '" + (folder / "copy.bin").string() + "'";
    Shell(copy);  // warm the page cache
    clean();
    const auto cat = Measure([&] { return Shell(copy); }, clean);
    const auto jitter1 = Measure([&] { return RipAll(state, 1, folder); }, clean);
    const auto jitter0 = Measure([&] { return RipAll(state, 0, folder); }, clean);
    const auto checked = Measure([&] { return RipAll(state, 1, folder, true); }, clean);
    const auto secure = Measure([&] { return RipAll(state, kJitterSecure, folder); }, clean);
    const std::string paranoiaCommand =
        "cd '" + folder.string() + "' && cd-paranoia -q -d bench.cue -B >/dev/null 2>&1";
    const auto paranoia = Measure([&] { return Shell(paranoiaCommand); }, clean);

    std::printf("%-22s %24s   %24s\n", "", "written", "on disk");
    Report("cat (copy of the .bin)", cat, megabytes);
    Report("cd-paranoia -B", paranoia, megabytes);
    Report("Disctrove, Jitter 1", jitter1, megabytes);
    Report("Disctrove, Jitter 0", jitter0, megabytes);
    Report("Jitter 1 with checksums", checked, megabytes);
    Report("Disctrove, Secure", secure, megabytes);
    if (cat && jitter1 && jitter0) {
        // The targets are about the disk: a copy is done when its data is there.
        std::printf(
            "\nJitter 1 takes %.2f× the copy's time on disk (target: at most 2×; %.2f× "
            "until written)\n",
            jitter1->onDisk / cat->onDisk, jitter1->written / cat->written);
        if (paranoia) {
            std::printf("Jitter 1 takes %.2f× cd-paranoia's time (target: below 1×)\n",
                        jitter1->onDisk / paranoia->onDisk);
        }
        std::printf("Jitter 0 costs %+.0f%% over Jitter 1 (target: at most +25%%)\n",
                    (jitter0->written / jitter1->written - 1) * 100);
    }
    if (jitter1 && checked) {
        // From an image in the page cache a rip runs at memory speed, faster than any drive
        // reads: the stages' cost is also given against the fastest drives (52×, 9.2 MB/s).
        const double stages = checked->written - jitter1->written;
        const double fastestDrive = megabytes / (52 * 176400 / 1e6);
        std::printf(
            "The checksum stages cost %+.1f%% of a WAV rip from the image, %+.1f%% of one from a "
            "52× drive (target: at most +5%%)\n",
            stages / jitter1->written * 100, stages / fastestDrive * 100);
    }
    if (secure && paranoia) {
        std::printf("Secure takes %.2f× cd-paranoia -B's time (target: at most 1.1×)\n",
                    secure->onDisk / paranoia->onDisk);
    }
    return 0;
}
