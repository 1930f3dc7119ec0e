#include "platform/audio/alsa_pcm.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <mutex>

namespace disctrove::platform {

namespace {

void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

constexpr unsigned kLatencyMicroseconds = 200'000;
constexpr uint64_t kFramesPerWrite = 4096;

}  // namespace

void AlsaPcm::Closer::operator()(snd_pcm_t* pcm) const {
    snd_pcm_close(pcm);
}

void SilenceAlsaErrors() {
    static std::once_flag quiet;
    std::call_once(quiet, [] { snd_lib_error_set_handler(QuietAlsa); });
}

AlsaPcm::AlsaPcm(uint32_t rate, uint32_t channels) : channels_(channels) {
    SilenceAlsaErrors();
    snd_pcm_t* raw = nullptr;
    if (channels == 0 || snd_pcm_open(&raw, "default", SND_PCM_STREAM_PLAYBACK, 0) < 0) {
        return;
    }
    pcm_.reset(raw);
    if (snd_pcm_set_params(raw, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, channels,
                           rate, 1, kLatencyMicroseconds) < 0) {
        pcm_.reset();
    }
}

AlsaPcm::~AlsaPcm() = default;

bool AlsaPcm::Write(const int16_t* samples, uint64_t frames) {
    if (!pcm_) {
        return false;
    }
    uint64_t done = 0;
    while (done < frames) {
        const auto chunk = static_cast<snd_pcm_uframes_t>(std::min(frames - done, kFramesPerWrite));
        const snd_pcm_sframes_t written =
            snd_pcm_writei(pcm_.get(), samples + done * channels_, chunk);
        if (written < 0) {
            if (snd_pcm_recover(pcm_.get(), static_cast<int>(written), 1) < 0) {
                return false;
            }
            continue;
        }
        done += static_cast<uint64_t>(written);
    }
    return true;
}

void AlsaPcm::Drain() {
    if (pcm_) {
        snd_pcm_drain(pcm_.get());
    }
}

void AlsaPcm::Drop() {
    if (pcm_) {
        snd_pcm_drop(pcm_.get());
        snd_pcm_prepare(pcm_.get());
    }
}

}  // namespace disctrove::platform
