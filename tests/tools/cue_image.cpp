#include "tools/cue_image.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <vector>

#include "platform/cdrom/simulated_disc.h"
#include "platform/system/text.h"

namespace disctrove::testing {

namespace {

constexpr uint32_t kSectorBytes = 2352;
constexpr uint32_t kFramesPerSector = kSectorBytes / 4;

std::string Msf(uint32_t sector) {
    std::array<char, 16> text{};
    std::snprintf(text.data(), text.size(), "%02u:%02u:%02u", sector / 75 / 60, sector / 75 % 60,
                  sector % 75);
    return text.data();
}

uint8_t Bcd(uint32_t value) {
    return static_cast<uint8_t>(((value / 10) << 4) | (value % 10));
}

void FillDataSector(uint32_t sector, uint8_t* out) {
    std::fill(out, out + kSectorBytes, 0);
    std::fill(out + 1, out + 11, 0xFF);  // sync: 00, ten FF, 00
    const uint32_t address = sector + 150;
    out[12] = Bcd(address / 75 / 60);
    out[13] = Bcd(address / 75 % 60);
    out[14] = Bcd(address % 75);
    out[15] = 1;  // mode 1
}

// Fills the 2352 bytes of one sector: sector `inTrack` of track `track`, `onDisc` of the disc.
using SectorFiller =
    std::function<void(size_t track, uint32_t inTrack, uint32_t onDisc, uint8_t* out)>;

std::string WriteImage(const std::string& folder, const std::string& name,
                       const std::vector<ImageTrack>& tracks, const SectorFiller& fill,
                       const std::string& catalog = "") {
    const std::string binName = name + ".bin";
    std::ofstream bin(folder + "/" + binName, std::ios::binary | std::ios::trunc);
    std::ofstream cue(folder + "/" + name + ".cue", std::ios::trunc);
    if (!bin || !cue) {
        throw std::runtime_error("cannot write an image in " + folder);
    }
    if (!catalog.empty()) {
        cue << "CATALOG " << catalog << "\n";
    }
    cue << "FILE \"" << binName << "\" BINARY\n";
    constexpr uint32_t kBatch = 75;  // sectors written at a time
    std::vector<uint8_t> buffer(size_t{kBatch} * kSectorBytes);
    uint32_t sector = 0;
    for (size_t i = 0; i < tracks.size(); ++i) {
        cue << "  TRACK " << platform::TwoDigits(static_cast<int>(i + 1))
            << (tracks[i].data ? " MODE1/2352\n" : " AUDIO\n");
        if (!tracks[i].isrc.empty()) {
            cue << "    ISRC " << tracks[i].isrc << "\n";
        }
        if (!tracks[i].flags.empty()) {
            cue << "    FLAGS " << tracks[i].flags << "\n";
        }
        if (tracks[i].pregap > 0) {
            cue << "    INDEX 00 " << Msf(sector) << "\n";
        }
        cue << "    INDEX 01 " << Msf(sector + tracks[i].pregap) << "\n";
        for (uint32_t done = 0; done < tracks[i].sectors;) {
            const uint32_t batch = std::min(tracks[i].sectors - done, kBatch);
            for (uint32_t s = 0; s < batch; ++s) {
                fill(i, done + s, sector + s, buffer.data() + size_t{s} * kSectorBytes);
            }
            bin.write(reinterpret_cast<const char*>(buffer.data()), batch * kSectorBytes);
            sector += batch;
            done += batch;
        }
    }
    if (!bin.flush() || !cue.flush()) {
        throw std::runtime_error("cannot write an image in " + folder);
    }
    return folder + "/" + name + ".cue";
}

}  // namespace

std::string MakeCueImage(const std::string& folder, const std::string& name,
                         const std::vector<ImageTrack>& tracks, const std::string& catalog) {
    return WriteImage(
        folder, name, tracks,
        [&tracks](size_t track, uint32_t inTrack, uint32_t onDisc, uint8_t* out) {
            if (tracks[track].data) {
                FillDataSector(onDisc, out);
            } else if (tracks[track].silentPregap && inTrack < tracks[track].pregap) {
                std::fill(out, out + kSectorBytes, 0);
            } else {
                platform::FillSimulatedAudio(int64_t{onDisc} * kFramesPerSector, kFramesPerSector,
                                             out);
            }
        },
        catalog);
}

std::string MakeAudioCueImage(const std::string& folder, const std::string& name,
                              const std::vector<std::vector<int16_t>>& tracks) {
    std::vector<ImageTrack> layout;
    for (const auto& samples : tracks) {
        const size_t bytes = samples.size() * 2;
        layout.push_back({false, static_cast<uint32_t>((bytes + kSectorBytes - 1) / kSectorBytes)});
    }
    return WriteImage(
        folder, name, layout, [&tracks](size_t track, uint32_t inTrack, uint32_t, uint8_t* out) {
            const auto& samples = tracks[track];
            const size_t first = size_t{inTrack} * kSectorBytes / 2;
            const size_t count = std::min(samples.size() - std::min(samples.size(), first),
                                          size_t{kSectorBytes / 2});
            std::fill(out, out + kSectorBytes, 0);  // silence after the end
            std::memcpy(out, samples.data() + first, count * 2);
        });
}

}  // namespace disctrove::testing
