#include "platform/audio/sound_player.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>
#include <mutex>
#include <numbers>
#include <thread>

#include "platform/audio/alsa_pcm.h"

namespace disctrove::platform {

namespace {

void Play(const std::vector<int16_t>& samples, uint32_t rate, uint32_t channels,
          const std::atomic<bool>& stop) {
    AlsaPcm pcm(rate, channels);
    if (!pcm.open()) {
        return;
    }
    // Pieces of a tenth of a second, so that a newer sound cuts this one short quickly.
    const uint64_t total = samples.size() / channels;
    const uint64_t piece = std::max<uint64_t>(rate / 10, 1);
    for (uint64_t done = 0; done < total && !stop; done += piece) {
        if (!pcm.Write(samples.data() + done * channels, std::min(piece, total - done))) {
            return;
        }
    }
    if (!stop) {
        pcm.Drain();
    }
}

// One sound at a time; the thread that plays it is joined before the next and at exit.
class Player {
  public:
    ~Player() { Stop(); }

    void Start(std::vector<int16_t> samples, uint32_t rate, uint32_t channels) {
        const std::lock_guard lock(mutex_);
        StopLocked();
        stop_ = false;
        thread_ = std::thread([this, samples = std::move(samples), rate, channels] {
            Play(samples, rate, channels, stop_);
        });
    }

    void Stop() {
        const std::lock_guard lock(mutex_);
        StopLocked();
    }

  private:
    void StopLocked() {
        stop_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
    }

    std::mutex mutex_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
};

Player& ThePlayer() {
    static Player player;
    return player;
}

}  // namespace

void PlaySamplesAsync(std::vector<int16_t> samples, uint32_t rate, uint32_t channels) {
    ThePlayer().Start(std::move(samples), rate, channels);
}

void PlayDefaultSound() {
    constexpr uint32_t kRate = 22050;
    std::vector<int16_t> tone(kRate / 5);  // a fifth of a second at 880 Hz, faded out
    for (size_t i = 0; i < tone.size(); ++i) {
        const double fade = 1.0 - static_cast<double>(i) / static_cast<double>(tone.size());
        tone[i] = static_cast<int16_t>(
            8000.0 * fade *
            std::sin(2.0 * std::numbers::pi * 880.0 * static_cast<double>(i) / kRate));
    }
    PlaySamplesAsync(std::move(tone), kRate, 1);
}

}  // namespace disctrove::platform
