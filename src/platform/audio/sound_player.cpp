#include "platform/audio/sound_player.h"

#include <alsa/asoundlib.h>

#include <atomic>
#include <cmath>
#include <memory>
#include <mutex>
#include <numbers>
#include <thread>

namespace disctrove::platform {

namespace {

// ALSA reports a missing sound card on standard error; here that only means silence.
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

struct PcmCloser {
    void operator()(snd_pcm_t* pcm) const { snd_pcm_close(pcm); }
};

void Play(const std::vector<int16_t>& samples, uint32_t rate, uint32_t channels,
          const std::atomic<bool>& stop) {
    static std::once_flag quiet;
    std::call_once(quiet, [] { snd_lib_error_set_handler(QuietAlsa); });
    snd_pcm_t* raw = nullptr;
    if (channels == 0 || snd_pcm_open(&raw, "default", SND_PCM_STREAM_PLAYBACK, 0) < 0) {
        return;
    }
    const std::unique_ptr<snd_pcm_t, PcmCloser> pcm(raw);
    if (snd_pcm_set_params(raw, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, channels,
                           rate, 1, 200'000) < 0) {
        return;
    }
    const snd_pcm_uframes_t total = samples.size() / channels;
    snd_pcm_uframes_t done = 0;
    while (done < total && !stop) {
        const snd_pcm_uframes_t chunk = std::min<snd_pcm_uframes_t>(total - done, 4096);
        const snd_pcm_sframes_t written =
            snd_pcm_writei(raw, samples.data() + done * channels, chunk);
        if (written < 0) {
            if (snd_pcm_recover(raw, static_cast<int>(written), 1) < 0) {
                return;
            }
            continue;
        }
        done += static_cast<snd_pcm_uframes_t>(written);
    }
    if (!stop) {
        snd_pcm_drain(raw);
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
