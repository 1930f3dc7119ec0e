#include "ui/player/mixer_control.h"

#include <algorithm>

namespace disctrove::ui {

bool MixerControl::Setup(std::unique_ptr<platform::VolumeMixer> mixer) {
    mixer_.reset();
    if (!mixer) {
        return false;
    }
    const platform::VolumeControlInfo info = mixer->Info();
    const int64_t range = int64_t{info.maximum} - info.minimum;
    // More steps than values leave a step worth nothing: no usable slider.
    if (info.steps == 0 || range <= 0 || info.steps > range) {
        return false;
    }
    steps_ = info.steps;
    stereo_ = info.channels >= 2 && !info.uniform;
    unit_ = static_cast<int32_t>(range / info.steps);
    balance_ = 0.0f;
    mixer_ = std::move(mixer);
    if (!ReadPosition()) {
        mixer_.reset();
        return false;
    }
    return true;
}

std::optional<int> MixerControl::ReadPosition() {
    std::vector<int32_t> values;
    if (!mixer_ || !mixer_->Read(values) || values.empty()) {
        return std::nullopt;
    }
    int32_t loudest = values[0];
    if (stereo_ && values.size() >= 2) {
        const int32_t left = values[0];
        const int32_t right = values[1];
        loudest = std::max(left, right);
        if (loudest > 0) {
            balance_ = static_cast<float>(right - left) / static_cast<float>(loudest);
        }
    }
    return std::clamp<int32_t>(loudest / unit_, 0, static_cast<int32_t>(steps_));
}

void MixerControl::WritePosition(int position) {
    if (!mixer_) {
        return;
    }
    const auto value = static_cast<int32_t>(int64_t{position} * unit_);
    std::vector<int32_t> values;
    if (!stereo_) {
        values = {value};  // one channel, or one value for all
    } else if (balance_ > 0.0f) {
        values = {static_cast<int32_t>((1.0f - balance_) * static_cast<float>(value)), value};
    } else {
        values = {value, static_cast<int32_t>((balance_ + 1.0f) * static_cast<float>(value))};
    }
    mixer_->Write(values);
}

std::vector<int> MixerControl::PollDescriptors() {
    return mixer_ ? mixer_->PollDescriptors() : std::vector<int>();
}

bool MixerControl::HandleEvents() {
    return mixer_ && mixer_->HandleEvents();
}

}  // namespace disctrove::ui
