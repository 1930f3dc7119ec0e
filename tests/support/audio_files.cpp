#include "support/audio_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <sstream>

#include "support/temp_dir.h"

namespace disctrove::testing {

std::string MakeSineWav(const std::string& folder, const std::string& name, int rate, int channels,
                        int bits, double seconds) {
    const std::string path = folder + "/" + name;
    const std::string command = "sox -n -r " + std::to_string(rate) + " -c " +
                                std::to_string(channels) + " -b " + std::to_string(bits) +
                                (bits == 8 ? " -e unsigned-integer '" : " -e signed-integer '") +
                                path + "' synth " + std::to_string(seconds) + " sine 440 vol 0.5";
    EXPECT_EQ(RunCommand(command), 0) << command;
    return path;
}

std::string MakeLevelsWav(const std::string& folder, const std::string& name,
                          const std::vector<double>& volumes, double seconds) {
    const std::string path = folder + "/" + name;
    std::string command = "sox -n -r 44100 -b 16 -e signed-integer -c " +
                          std::to_string(volumes.size()) + " '" + path + "' synth " +
                          std::to_string(seconds) + " sine 440 remix";
    for (const double volume : volumes) {
        command += " 1v" + std::to_string(volume);
    }
    EXPECT_EQ(RunCommand(command), 0) << command;
    return path;
}

std::vector<std::string> OggInfoProblems(const std::string& path) {
    std::istringstream report(CommandOutput("ogginfo '" + path + "'"));
    std::vector<std::string> problems;
    for (std::string line; std::getline(report, line);) {
        if (line.find("WARNING") != std::string::npos || line.find("ERROR") != std::string::npos) {
            problems.push_back(line);
        }
    }
    return problems;
}

double OggInfoValue(const std::string& path, const std::string& label) {
    std::istringstream report(CommandOutput("ogginfo '" + path + "'"));
    for (std::string line; std::getline(report, line);) {
        const auto at = line.find(label + ":");
        if (at != std::string::npos) {
            return std::atof(line.c_str() + at + label.size() + 1);
        }
    }
    return -1;
}

std::set<std::string> OggComments(const std::string& path) {
    std::istringstream listing(CommandOutput("vorbiscomment -l '" + path + "'"));
    std::set<std::string> comments;
    for (std::string line; std::getline(listing, line);) {
        comments.insert(line);
    }
    return comments;
}

std::vector<int16_t> DecodeWithFfmpeg(const std::string& path) {
    const std::string raw = path + ".decoded.raw";
    EXPECT_EQ(RunCommand("ffmpeg -v error -y -i '" + path + "' -f s16le '" + raw + "'"), 0);
    const std::string bytes = ReadWholeFile(raw);
    std::vector<int16_t> samples(bytes.size() / 2);
    if (!samples.empty()) {
        std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    }
    return samples;
}

double Rms(const std::vector<int16_t>& samples) {
    double sum = 0;
    for (const int16_t s : samples) {
        sum += static_cast<double>(s) * s;
    }
    return samples.empty() ? 0 : std::sqrt(sum / static_cast<double>(samples.size()));
}

std::vector<double> ChannelRms(const std::vector<int16_t>& samples, int channels) {
    std::vector<double> sums(static_cast<size_t>(channels));
    for (size_t i = 0; i < samples.size(); ++i) {
        sums[i % sums.size()] += static_cast<double>(samples[i]) * samples[i];
    }
    const auto frames = static_cast<double>(samples.size() / sums.size());
    for (double& sum : sums) {
        sum = frames > 0 ? std::sqrt(sum / frames) : 0;
    }
    return sums;
}

std::string PeerToolProblems(const std::string& path) {
    if (path.ends_with(".flac")) {
        return RunCommand("flac -t -s '" + path + "' 2>/dev/null") == 0 ? "" : "flac -t failed";
    }
    const std::string errors =
        CommandOutput("ffmpeg -nostdin -v error -xerror -i '" + path + "' -f null - 2>&1");
    if (path.ends_with(".wav")) {
        // The header must tell the length the file has.
        const std::string bytes = ReadWholeFile(path);
        if (bytes.size() < 44) {
            return "no WAV header";
        }
        uint32_t riff = 0;
        uint32_t data = 0;
        std::memcpy(&riff, bytes.data() + 4, 4);
        std::memcpy(&data, bytes.data() + 40, 4);
        if (riff + 8 != bytes.size() || data + 44 != bytes.size()) {
            return "WAV lengths do not match the file";
        }
    }
    return errors;
}

}  // namespace disctrove::testing
