// Encoding speed of the compressed formats, each next to the usual command-line encoder
// at the same settings on the same WAV file:
//   Ogg Vorbis, quality position 9  vs  oggenc -q 4.5
//   MP3, 128 kbit/s stereo, "Very high"  vs  lame -b 128 -m s -q 0 --nores
//   WMA, 96 kbit/s stereo  vs  ffmpeg -c:a wmav2 -b:a 96k
//   Opus, 160 kbit/s VBR, complexity 10  vs  opusenc --bitrate 160
//   FLAC, level 5, without and with verify  vs  flac -5, flac -5 --verify
//
//   encode-bench [FOLDER [SECONDS]]
//
// FOLDER (default ./bench-data) receives a WAV file of synthesized music (default 240 seconds)
// and the encoded files. Every figure is the best of three runs.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "bench/silent_worker.h"
#include "codecs/flac_encoder.h"
#include "codecs/mp3_encoder.h"
#include "codecs/ogg_encoder.h"
#include "codecs/opus_encoder.h"
#include "codecs/wma_encoder.h"
#include "front/program_state.h"
#include "tools/music.h"

namespace {

using namespace disctrove;
namespace fs = std::filesystem;

constexpr int kRuns = 3;

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

void Report(const char* format, const std::string& reference, double theirs, double ours,
            double seconds, const char* target) {
    std::printf("%-11s %-40s %6.2f s   Disctrove %6.2f s   %.2f× (%.0f× real time)%s\n", format,
                reference.c_str(), theirs, ours, ours / theirs, seconds / ours, target);
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path folder = fs::absolute(argc > 1 ? argv[1] : "bench-data");
    const double seconds = argc > 2 ? std::atof(argv[2]) : 240;
    fs::create_directories(folder);
    const std::string wav = (folder / "music.wav").string();
    std::printf("Synthesizing %.0f seconds of music into %s ...\n\n", seconds, wav.c_str());
    testing::WriteStereoWav(wav, testing::SynthesizeMusic(seconds));
    const auto out = [&](const char* name) { return (folder / name).string(); };
    const auto shell = [](const std::string& command) {
        return [command] { return std::system(command.c_str()) == 0; };
    };

    ProgramState state;
    state.run.ripping = 1;
    bench::SilentWorker silent;
    WorkerContext context{state.options, state.disc, state.session, state.run, silent, silent};
    Track track;
    track.index = -1;
    const auto encode = [&](auto&& encoder, const TrackFormat& format, const std::string& path) {
        return [&, format, path] {
            track.format = format;
            EncodeJob job{&track, wav, path};
            encoder(job);
            return track.status == kStatusCompleted;
        };
    };

    const std::string oggenc = "oggenc -Q -q 4.5 -o '" + out("oggenc.ogg") + "' '" + wav + "'";
    Report("Ogg Vorbis", "oggenc -q 4.5", BestSeconds(shell(oggenc)),
           BestSeconds(encode([&](EncodeJob& job) { OggEncode(context, job, false); },
                              TrackFormat::From(OggFormat{}), out("disctrove.ogg"))),
           seconds, "  target: at most 1.1×");

    const auto lame = LoadLame(silent);
    const std::string lameCommand =
        "lame --quiet -b 128 -m s -q 0 --nores '" + wav + "' '" + out("lame.mp3") + "'";
    if (lame) {
        Report("MP3", "lame -b 128 -m s -q 0 --nores", BestSeconds(shell(lameCommand)),
               BestSeconds(encode([&](EncodeJob& job) { EncodeMp3(context, *lame, job, false); },
                                  TrackFormat::From(Mp3Format{}), out("disctrove.mp3"))),
               seconds, "  target: at most 1.1×");
    }

    const std::string ffmpeg =
        "ffmpeg -v error -y -i '" + wav + "' -c:a wmav2 -b:a 96k '" + out("ffmpeg.wma") + "'";
    Report("WMA", "ffmpeg -c:a wmav2 -b:a 96k", BestSeconds(shell(ffmpeg)),
           BestSeconds(encode([&](EncodeJob& job) { WmaEncode(context, job, false); },
                              TrackFormat::From(WmaFormat{}), out("disctrove.wma"))),
           seconds, "");

    const std::string opusenc =
        "opusenc --quiet --bitrate 160 '" + wav + "' '" + out("opusenc.opus") + "'";
    Report("Opus", "opusenc --bitrate 160", BestSeconds(shell(opusenc)),
           BestSeconds(encode([&](EncodeJob& job) { OpusEncode(context, job, false); },
                              TrackFormat::From(OpusFormat{}), out("disctrove.opus"))),
           seconds, "  target: at most 1.1×");
    for (const int32_t verify : {0, 1}) {
        const std::string flac = std::string("flac -s -f -5") + (verify ? " --verify" : "") +
                                 " -o '" + out("flac.flac") + "' '" + wav + "'";
        Report(verify ? "FLAC verify" : "FLAC", verify ? "flac -5 --verify" : "flac -5",
               BestSeconds(shell(flac)),
               BestSeconds(encode([&](EncodeJob& job) { FlacEncode(context, job, false); },
                                  TrackFormat::From(FlacFormat{5, verify}), out("disctrove.flac"))),
               seconds, "  target: at most 1.1×");
    }
    return 0;
}
