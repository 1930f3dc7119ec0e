// Finding a drive's read offset (disctrove-cli offset find) on a simulated drive: a disc of 12
// tracks of 4 minutes, read by drives with offsets common and rare, in plain and secure reading.
// Each row prints the wall time and the reads the drive served (requests, not sectors): the search
// at sector 450 costs one read per track; the two whole tracks that confirm the offset cost the
// rest.
//
//   offset-bench [FOLDER]      (FOLDER, default ./bench-data, receives the .simcd files)
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "audio/accuraterip_stage.h"
#include "bench/silent_worker.h"
#include "disc/disc.h"
#include "front/program_state.h"
#include "platform/cdrom/cdrom.h"
#include "platform/cdrom/simulated_disc.h"
#include "rip/offset_finder.h"

namespace {

using namespace disctrove;
namespace fs = std::filesystem;

constexpr int kTracks = 12;
constexpr uint32_t kTrackSectors = 4 * 60 * 75;

// What the database holds of the disc: its checksums at the true place.
AccurateRipPressing TruePressing() {
    AccurateRipPressing pressing;
    std::vector<uint8_t> audio(size_t{kTrackSectors} * 2352);
    for (int t = 0; t < kTracks; ++t) {
        platform::FillSimulatedAudio(int64_t{t} * kTrackSectors * 588, kTrackSectors * 588,
                                     audio.data());
        AccurateRipStage whole(uint64_t{kTrackSectors} * 588, t == 0, t + 1 == kTracks);
        whole.Take(audio);
        AccurateRipStage sector450(588, false, false);
        sector450.Take(std::span(audio).subspan(450 * 2352, 2352));
        pressing.tracks.push_back({12, whole.sums().v1, sector450.sums().v1});
    }
    return pressing;
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path folder = fs::absolute(argc > 1 ? argv[1] : "bench-data");
    fs::create_directories(folder);
    const std::vector<AccurateRipPressing> pressings = {TruePressing()};
    std::printf(
        "A disc of %d tracks of 4 minutes; the drive's offset, the read mode, the offset "
        "found, seconds, reads\n",
        kTracks);
    std::string disc;
    for (int t = 0; t < kTracks; ++t) {
        disc += "track audio " + std::to_string(kTrackSectors) + "\n";
    }
    for (const int32_t jitter : {1, kJitterSecure}) {
        for (const int32_t offset : {6, 667, -30, 1234, -2939}) {
            const fs::path simcd = folder / "offset-bench.simcd";
            std::ofstream(simcd) << "offset " << offset << "\n" << disc;
            platform::ClearDiscImages();
            std::string problem;
            if (!platform::AddDiscImage(simcd.string(), problem)) {
                std::fprintf(stderr, "%s\n", problem.c_str());
                return 1;
            }
            ProgramState state;
            BuildDriveList(state.disc);
            state.options.Cdrom = static_cast<int32_t>(state.disc.drives.size()) - 1;
            state.options.Jitter = jitter;
            if (ReadDisc(state.disc, state.options, state.options.Cdrom) != 0) {
                std::fprintf(stderr, "cannot read %s\n", simcd.c_str());
                return 1;
            }
            bench::SilentWorker silent;
            WorkerContext context{state.options, state.disc, state.session,
                                  state.run,     silent,     silent};
            platform::ResetSimulatedReadCounts();
            const auto start = std::chrono::steady_clock::now();
            const OffsetFinding found =
                FindReadOffset(context, pressings, [](const std::string&) {});
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            const platform::SimulatedReadCounts reads = platform::GetSimulatedReadCounts();
            std::printf("  %+6d  %-6s  %+6d  %6.2f s  %7llu reads\n", offset,
                        jitter == kJitterSecure ? "secure" : "plain",
                        found.outcome == OffsetFinding::Outcome::found ? found.offset : 0,
                        took.count(),
                        static_cast<unsigned long long>(reads.plain + reads.correcting));
        }
    }
    platform::ClearDiscImages();
    return 0;
}
