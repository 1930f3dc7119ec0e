// A playback stream on the default ALSA device: interleaved 16-bit samples in, sound out.
#pragma once

#include <cstdint>
#include <memory>

typedef struct _snd_pcm snd_pcm_t;

namespace disctrove::platform {

// ALSA reports a missing sound card on standard error; here that only means silence or a
// disabled volume slider, so its messages are kept quiet.
void SilenceAlsaErrors();

class AlsaPcm {
  public:
    // The default device set up for `rate` and `channels`; an empty stream (open() false) when
    // there is no sound device or it refuses the format.
    AlsaPcm(uint32_t rate, uint32_t channels);
    ~AlsaPcm();
    AlsaPcm(const AlsaPcm&) = delete;
    AlsaPcm& operator=(const AlsaPcm&) = delete;

    bool open() const { return pcm_ != nullptr; }

    // Writes `frames` frames (blocking while the device's buffer is full), recovering from an
    // underrun. False when the device has failed for good.
    bool Write(const int16_t* samples, uint64_t frames);
    // Plays what is buffered to the end.
    void Drain();
    // Drops what is buffered and makes the stream ready for new samples.
    void Drop();

  private:
    struct Closer {
        void operator()(snd_pcm_t* pcm) const;
    };
    std::unique_ptr<snd_pcm_t, Closer> pcm_;
    uint32_t channels_;
};

}  // namespace disctrove::platform
