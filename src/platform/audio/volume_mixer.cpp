#include "platform/audio/volume_mixer.h"

#include <alsa/asoundlib.h>
#include <poll.h>

#include "platform/audio/alsa_pcm.h"

namespace disctrove::platform {

namespace {

struct MixerCloser {
    void operator()(snd_mixer_t* mixer) const { snd_mixer_close(mixer); }
};
using UniqueMixer = std::unique_ptr<snd_mixer_t, MixerCloser>;

constexpr snd_mixer_selem_channel_id_t kChannels[] = {SND_MIXER_SCHN_FRONT_LEFT,
                                                      SND_MIXER_SCHN_FRONT_RIGHT};

class AlsaVolume final : public VolumeMixer {
  public:
    AlsaVolume(UniqueMixer mixer, snd_mixer_elem_t* element, long minimum, long maximum)
        : mixer_(std::move(mixer)), element_(element), minimum_(minimum), maximum_(maximum) {}

    VolumeControlInfo Info() const override {
        VolumeControlInfo info;
        // Values count from 0, so the control's range starts at 0 as the slider's does.
        info.minimum = 0;
        info.maximum = static_cast<int32_t>(maximum_ - minimum_);
        info.steps = static_cast<uint32_t>(maximum_ - minimum_);
        const bool mono = snd_mixer_selem_is_playback_mono(element_) != 0;
        info.channels = mono ? 1 : 2;
        info.uniform = mono;
        return info;
    }

    bool Read(std::vector<int32_t>& values) override {
        values.clear();
        const size_t count = snd_mixer_selem_is_playback_mono(element_) != 0 ? 1 : 2;
        for (size_t i = 0; i < count; ++i) {
            long value = 0;
            const auto channel = count == 1 ? SND_MIXER_SCHN_MONO : kChannels[i];
            if (snd_mixer_selem_get_playback_volume(element_, channel, &value) < 0) {
                return false;
            }
            values.push_back(static_cast<int32_t>(value - minimum_));
        }
        return true;
    }

    bool Write(const std::vector<int32_t>& values) override {
        if (values.empty()) {
            return false;
        }
        if (values.size() == 1) {
            return snd_mixer_selem_set_playback_volume_all(element_, minimum_ + values[0]) >= 0;
        }
        bool ok = true;
        for (size_t i = 0; i < 2; ++i) {
            ok = snd_mixer_selem_set_playback_volume(element_, kChannels[i],
                                                     minimum_ + values[i]) >= 0 &&
                 ok;
        }
        return ok;
    }

    std::vector<int> PollDescriptors() override {
        const int count = snd_mixer_poll_descriptors_count(mixer_.get());
        std::vector<pollfd> fds(count > 0 ? static_cast<size_t>(count) : 0);
        std::vector<int> descriptors;
        if (!fds.empty() && snd_mixer_poll_descriptors(mixer_.get(), fds.data(),
                                                       static_cast<unsigned>(fds.size())) > 0) {
            for (const pollfd& fd : fds) {
                descriptors.push_back(fd.fd);
            }
        }
        return descriptors;
    }

    bool HandleEvents() override { return snd_mixer_handle_events(mixer_.get()) >= 0; }

  private:
    UniqueMixer mixer_;
    snd_mixer_elem_t* element_;
    long minimum_;
    long maximum_;
};

}  // namespace

std::unique_ptr<VolumeMixer> OpenSpeakerVolume() {
    SilenceAlsaErrors();
    snd_mixer_t* raw = nullptr;
    if (snd_mixer_open(&raw, 0) < 0) {
        return nullptr;
    }
    UniqueMixer mixer(raw);
    if (snd_mixer_attach(raw, "default") < 0 ||
        snd_mixer_selem_register(raw, nullptr, nullptr) < 0 || snd_mixer_load(raw) < 0) {
        return nullptr;
    }
    snd_mixer_selem_id_t* id = nullptr;
    snd_mixer_selem_id_alloca(&id);
    snd_mixer_selem_id_set_index(id, 0);
    snd_mixer_selem_id_set_name(id, "Master");
    snd_mixer_elem_t* element = snd_mixer_find_selem(raw, id);
    long minimum = 0;
    long maximum = 0;
    if (element == nullptr || snd_mixer_selem_has_playback_volume(element) == 0 ||
        snd_mixer_selem_get_playback_volume_range(element, &minimum, &maximum) < 0 ||
        maximum <= minimum) {
        return nullptr;
    }
    return std::make_unique<AlsaVolume>(std::move(mixer), element, minimum, maximum);
}

}  // namespace disctrove::platform
