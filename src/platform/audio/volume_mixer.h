// The volume of the speakers: the "Master" playback volume of the default sound card, through
// ALSA's simple mixer.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace disctrove::platform {

// What the control is: its value range, its steps, and how many channel values it holds.
struct VolumeControlInfo {
    int32_t minimum = 0;
    int32_t maximum = 0;
    uint32_t steps = 0;     // distinct positions between minimum and maximum
    uint32_t channels = 0;  // channels of the line
    bool uniform = false;   // one value for every channel
};

class VolumeMixer {
  public:
    virtual ~VolumeMixer() = default;  // closes the mixer
    virtual VolumeControlInfo Info() const = 0;
    // One value per channel (one in all for a uniform control); false when they cannot be read.
    virtual bool Read(std::vector<int32_t>& values) = 0;
    virtual bool Write(const std::vector<int32_t>& values) = 0;
    // Descriptors that become readable when the mixer has news; then HandleEvents.
    virtual std::vector<int> PollDescriptors() = 0;
    // Takes in what the mixer reported; true when the control's values may have changed.
    virtual bool HandleEvents() = 0;
};

// The speakers' volume control; null when there is no sound card or it has no such control.
std::unique_ptr<VolumeMixer> OpenSpeakerVolume();

}  // namespace disctrove::platform
