// The "cdaudio" device: plays a track of the disc in a drive on the sound card. It reads the
// disc's digital audio through the drive layer and plays it from a thread of its own.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/cdrom/cdrom_records.h"

namespace disctrove::platform {

// A position in tracks-minutes-seconds-frames: the track number in the low byte, then minutes,
// seconds and frames (75 to a second) in the high byte.
constexpr uint32_t TmsfPosition(uint32_t track, uint32_t minutes, uint32_t seconds,
                                uint32_t frames) {
    return (track & 0xFF) | (minutes & 0xFF) << 8 | (seconds & 0xFF) << 16 | (frames & 0xFF) << 24;
}

// A track's length as the device reports it: minutes in the low byte, then seconds, then frames.
constexpr uint32_t MsfLength(uint32_t minutes, uint32_t seconds, uint32_t frames) {
    return (minutes & 0xFF) | (seconds & 0xFF) << 8 | (frames & 0xFF) << 16;
}
constexpr uint32_t LengthMinutes(uint32_t length) {
    return length & 0xFF;
}
constexpr uint32_t LengthSeconds(uint32_t length) {
    return (length >> 8) & 0xFF;
}
constexpr uint32_t LengthFrames(uint32_t length) {
    return (length >> 16) & 0xFF;
}

class CdAudioDevice {
  public:
    // Closing the device stops what it plays.
    virtual ~CdAudioDevice() = default;
    // The length of disc track `track`; 0 for a track the disc does not have.
    virtual uint32_t TrackLength(uint32_t track) = 0;
    // Plays from one position to another (tracks-minutes-seconds-frames) and returns at once;
    // what was playing stops.
    virtual void Play(uint32_t from, uint32_t to) = 0;
    virtual void Stop() = 0;
    // Opens the drive's door; nothing for a disc image.
    virtual void OpenDoor() = 0;
};

// What the device is opened for: playing needs a sound device, opening the door does not.
enum class CdAudioUse { play, door };

// Opens the device on the drive that `drive` names; null when the drive cannot be opened or,
// to play, there is no sound device.
std::unique_ptr<CdAudioDevice> OpenCdAudio(const GetCdHandleRequest& drive, CdAudioUse use);

}  // namespace disctrove::platform
