// The volume slider's hold on the speakers' volume control: the slider's steps, the value of
// one step, and the balance between the channels, which moving the slider keeps.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/audio/volume_mixer.h"

namespace disctrove::ui {

class MixerControl {
  public:
    // Takes the control. False (and the control let go) when it has no usable mapping to
    // slider positions or its values cannot be read.
    bool Setup(std::unique_ptr<platform::VolumeMixer> mixer);
    bool ready() const { return mixer_ != nullptr; }

    uint32_t steps() const { return steps_; }
    int32_t unit() const { return unit_; }
    float balance() const { return balance_; }

    // The slider position of the control's values now (the louder channel sets it; the
    // balance is kept); none when they cannot be read.
    std::optional<int> ReadPosition();
    // Writes the values of slider position `position`, the kept balance applied.
    void WritePosition(int position);

    std::vector<int> PollDescriptors();
    // After a descriptor fired: true when the values may have changed.
    bool HandleEvents();

  private:
    std::unique_ptr<platform::VolumeMixer> mixer_;
    uint32_t steps_ = 0;
    int32_t unit_ = 0;
    bool stereo_ = false;   // a value per channel, and a balance between them
    float balance_ = 0.0f;  // (right - left) / the louder of the two
};

}  // namespace disctrove::ui
