// make-demo-disc FOLDER: the demonstration disc: FOLDER/demo.cue and demo.bin with four short
// tracks of synthesized music, and its CDDB entry in FOLDER/cddb/newage/DISCID for
// cddb-server. Prints the disc ID.
#include <array>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/cdrom/cddb_protocol.h"
#include "tools/cue_image.h"
#include "tools/music.h"

namespace {

constexpr const char* kTitles[] = {"Morning Strings", "Walking in B-flat", "Evening Chords",
                                   "Quiet Return"};
constexpr double kSeconds[] = {14.0, 12.5, 15.0, 11.0};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-demo-disc FOLDER\n");
        return 2;
    }
    try {
        const std::string folder = argv[1];
        std::filesystem::create_directories(folder);
        std::vector<std::vector<int16_t>> tracks;
        disctrove::platform::DiscLayout layout;
        int32_t sector = 0;
        for (int i = 0; i < 4; ++i) {
            tracks.push_back(disctrove::testing::SynthesizeMusic(kSeconds[i], i));
            layout.tracks.push_back({sector, false});
            sector += static_cast<int32_t>((tracks.back().size() * 2 + 2351) / 2352);
        }
        layout.leadOut = sector;
        disctrove::testing::MakeAudioCueImage(folder, "demo", tracks);

        std::array<char, 16> id{};
        std::snprintf(id.data(), id.size(), "%08x", disctrove::platform::ComputeCddbDiscId(layout));
        std::filesystem::create_directories(folder + "/cddb/newage");
        std::ofstream entry(folder + "/cddb/newage/" + id.data());
        entry << "# xmcd\n#\n# Track frame offsets:\n";
        for (const auto& track : layout.tracks) {
            entry << "#\t" << track.start + 150 << "\n";
        }
        entry << "#\n# Disc length: " << (layout.leadOut + 150) / 75 << " seconds\n#\n"
              << "DISCID=" << id.data() << "\nDTITLE=Disctrove Demo Ensemble / Plucked Strings\n"
              << "DYEAR=2026\nDGENRE=New Age\n";
        for (int i = 0; i < 4; ++i) {
            entry << "TTITLE" << i << "=" << kTitles[i] << "\n";
        }
        entry << "EXTD=Synthesized for the Disctrove demonstration\nPLAYORDER=\n";
        if (!entry.flush()) {
            throw std::runtime_error("cannot write the CDDB entry");
        }
        std::printf("%s\n", id.data());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make-demo-disc: %s\n", error.what());
        return 1;
    }
    return 0;
}
