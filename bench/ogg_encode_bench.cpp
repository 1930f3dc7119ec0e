// Ogg Vorbis encoding speed next to oggenc at the same quality on the same WAV file.
//
//   ogg-encode-bench [FOLDER [SECONDS]]
//
// FOLDER (default ./bench-data) receives a WAV file of synthesized music (default 240 seconds)
// and the encoded files. Every figure is the best of three runs.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "codecs/ogg_encoder.h"
#include "tools/music.h"

namespace {

using namespace disctrove;
namespace fs = std::filesystem;

constexpr int kRuns = 3;

class Silent : public WorkerNotifications, public WorkerQuestions {
  public:
    void TrackProgress(int32_t, int32_t) override {}
    void WorkFinished() override {}
    void CddbDone() override {}
    void Inform(std::string_view text) override {
        std::fprintf(stderr, "encoder: %.*s\n", static_cast<int>(text.size()), text.data());
    }
    ConfirmAnswer Confirm(std::string_view) override { return ConfirmAnswer::yes; }
};

double BestSeconds(const std::function<bool()>& run) {
    double best = 1e30;
    for (int i = 0; i < kRuns; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (!run()) {
            return -1;
        }
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path folder = fs::absolute(argc > 1 ? argv[1] : "bench-data");
    const double seconds = argc > 2 ? std::atof(argv[2]) : 240;
    fs::create_directories(folder);
    const std::string wav = (folder / "music.wav").string();
    std::printf("Synthesizing %.0f seconds of music into %s ...\n", seconds, wav.c_str());
    testing::WriteStereoWav(wav, testing::SynthesizeMusic(seconds));

    // Quality position 9 is libvorbis quality 0.45, which oggenc calls -q 4.5.
    const std::string reference =
        "oggenc -Q -q 4.5 -o '" + (folder / "oggenc.ogg").string() + "' '" + wav + "'";
    const double oggenc = BestSeconds([&] { return std::system(reference.c_str()) == 0; });

    Settings settings;
    settings.ripping = 1;
    Silent silent;
    WorkerContext context{settings, silent, silent, {}};
    Track track;
    track.index = -1;
    track.format = TrackFormat::From(OggFormat{});
    const double ours = BestSeconds([&] {
        EncodeJob job{&track, wav, (folder / "disctrove.ogg").string()};
        OggEncode(context, job, false);
        return track.status == kStatusCompleted;
    });

    std::printf("%-22s %7.2f s  (%.1f× real time)\n", "oggenc -q 4.5", oggenc, seconds / oggenc);
    std::printf("%-22s %7.2f s  (%.1f× real time)\n", "Disctrove, quality 9", ours, seconds / ours);
    if (oggenc > 0 && ours > 0) {
        std::printf("\nDisctrove takes %.2f× oggenc's time (target: at most 1.1×)\n",
                    ours / oggenc);
    }
    return 0;
}
