// make-cue-image FOLDER NAME TRACK...: writes a BIN/CUE image with known audio. A TRACK is a
// sector count for an audio track, or "data:" and a count for a MODE1/2352 data track.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "tools/cue_image.h"

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: make-cue-image FOLDER NAME SECTORS|data:SECTORS...\n");
        return 2;
    }
    std::vector<disctrove::testing::ImageTrack> tracks;
    try {
        for (int i = 3; i < argc; ++i) {
            std::string text = argv[i];
            const bool data = text.rfind("data:", 0) == 0;
            tracks.push_back(
                {data, static_cast<uint32_t>(std::stoul(data ? text.substr(5) : text))});
        }
        std::printf("%s\n", disctrove::testing::MakeCueImage(argv[1], argv[2], tracks).c_str());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make-cue-image: %s\n", error.what());
        return 1;
    }
    return 0;
}
