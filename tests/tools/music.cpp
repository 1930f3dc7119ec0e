#include "tools/music.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <stdexcept>

#include "audio/unique_file.h"
#include "audio/wav_file.h"

namespace disctrove::testing {

namespace {

constexpr int kRate = 44100;

// A plucked string (Karplus-Strong): a burst of noise in a delay line that is averaged down.
class String {
  public:
    String(double frequency, double pan, std::mt19937& random) : pan_(pan) {
        const auto length = static_cast<size_t>(std::max(2.0, kRate / frequency));
        std::uniform_real_distribution<double> noise(-1.0, 1.0);
        line_.resize(length);
        for (double& sample : line_) {
            sample = noise(random);
        }
    }
    double Next() {
        const size_t next = (position_ + 1) % line_.size();
        const double value = line_[position_];
        line_[position_] = 0.996 * 0.5 * (line_[position_] + line_[next]);
        position_ = next;
        return value;
    }
    double pan() const { return pan_; }

  private:
    std::vector<double> line_;
    size_t position_ = 0;
    double pan_;
};

double NoteFrequency(int semitonesFromA4) {
    return 440.0 * std::pow(2.0, semitonesFromA4 / 12.0);
}

}  // namespace

std::vector<int16_t> SynthesizeMusic(double seconds, int variation) {
    // I - V - vi - IV, as semitone offsets of the chord tones from the key note.
    static constexpr int kChords[4][3] = {{0, 4, 7}, {7, 11, 14}, {9, 12, 16}, {5, 9, 12}};
    static constexpr int kArpeggio[8] = {0, 1, 2, 1, 0, 2, 1, 2};
    const int key = -9 - (variation % 5) * 2;           // C4, B-flat3, ...
    const double beat = 0.25 + 0.03 * (variation % 3);  // seconds per note
    std::mt19937 random(static_cast<unsigned>(1234 + variation));

    const auto frames = static_cast<size_t>(seconds * kRate);
    std::vector<int16_t> samples(frames * 2);
    std::vector<String> strings;
    const auto beatFrames = static_cast<size_t>(beat * kRate);
    for (size_t frame = 0; frame < frames; ++frame) {
        if (frame % beatFrames == 0) {
            const size_t note = frame / beatFrames;
            const auto& chord = kChords[(note / 8) % 4];
            if (note % 8 == 0) {  // the bass note of each chord
                strings.emplace_back(NoteFrequency(key + chord[0] - 12), 0.5, random);
            }
            const int tone = chord[kArpeggio[note % 8]];
            strings.emplace_back(NoteFrequency(key + tone + 12 * static_cast<int>(note % 2)),
                                 note % 2 == 0 ? 0.3 : 0.7, random);
            if (strings.size() > 12) {
                strings.erase(strings.begin());
            }
        }
        double left = 0;
        double right = 0;
        for (String& string : strings) {
            const double value = string.Next();
            left += value * (1.0 - string.pan());
            right += value * string.pan();
        }
        samples[frame * 2] = static_cast<int16_t>(std::clamp(left * 14000.0, -32767.0, 32767.0));
        samples[frame * 2 + 1] =
            static_cast<int16_t>(std::clamp(right * 14000.0, -32767.0, 32767.0));
    }
    return samples;
}

void WriteStereoWav(const std::string& path, const std::vector<int16_t>& samples) {
    UniqueFile out = OpenFile(path, "wb");
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
    const auto bytes = static_cast<uint32_t>(samples.size() * 2);
    WriteWavHeader(out.get(), 2, kRate, 1, bytes);
    std::fwrite(samples.data(), 2, samples.size(), out.get());
}

}  // namespace disctrove::testing
