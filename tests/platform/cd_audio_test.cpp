#include "platform/audio/cd_audio.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/cdrom/simulated_disc.h"
#include "support/disc_images.h"
#include "support/scoped_environment.h"
#include "support/temp_dir.h"
#include "tools/cue_image.h"

namespace disctrove::platform {
namespace {

using testing::TempDir;

TEST(TmsfTest, PositionsAndLengthsPackTheirFields) {
    EXPECT_EQ(TmsfPosition(3, 1, 42, 0), 0x002A0103u);
    EXPECT_EQ(TmsfPosition(1, 2, 3, 74), 0x4A030201u);
    const uint32_t length = MsfLength(3, 25, 12);
    EXPECT_EQ(length, 0x000C1903u);
    EXPECT_EQ(LengthMinutes(length), 3u);
    EXPECT_EQ(LengthSeconds(length), 25u);
    EXPECT_EQ(LengthFrames(length), 12u);
}

class CdAudioTest : public ::testing::Test {
  protected:
    void SetUp() override { ClearDiscImages(); }
    void TearDown() override { ClearDiscImages(); }

    // An ALSA configuration whose default device writes what it plays into `file`.
    std::string FileSoundDevice(const std::string& file) {
        const std::string config = dir_.File("asound.conf");
        testing::WriteWholeFile(config,
                                "pcm.!default {\n  type file\n  slave.pcm { type null }\n"
                                "  file \"" +
                                    file + "\"\n  format \"raw\"\n}\n");
        return config;
    }

    TempDir dir_;
};

TEST_F(CdAudioTest, PlayingATrackOfAnImageWritesItsSamples) {
    const std::string played = dir_.File("played.raw");
    const testing::ScopedEnvironment alsa("ALSA_CONFIG_PATH", FileSoundDevice(played));
    // A data track first: disc track 3 is the second audio track.
    const int drive = testing::AddImage(
        testing::MakeCueImage(dir_.path(), "disc", {{true, 300}, {false, 150}, {false, 200}}));
    auto device = OpenCdAudio(testing::RequestFor(drive), CdAudioUse::play);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->TrackLength(1), 0u);  // data
    EXPECT_EQ(device->TrackLength(3), MsfLength(0, 2, 50));
    EXPECT_EQ(device->TrackLength(4), 0u);  // no such track

    // From second 1 of track 3 to its end: sectors 450 + 75 to 650.
    device->Play(TmsfPosition(3, 0, 1, 0), TmsfPosition(3, 0, 2, 50));
    const size_t expected = (650 - 525) * 2352;
    for (int i = 0; i < 500 && std::filesystem::file_size(played) < expected; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    device.reset();  // stops and closes
    const std::string bytes = testing::ReadWholeFile(played);
    ASSERT_EQ(bytes.size(), expected);
    std::vector<uint8_t> audio(expected);
    FillSimulatedAudio(int64_t{525} * 588, (650 - 525) * 588, audio.data());
    EXPECT_TRUE(std::equal(audio.begin(), audio.end(), bytes.begin(),
                           [](uint8_t a, char b) { return a == static_cast<uint8_t>(b); }));
}

TEST_F(CdAudioTest, TheDoorOfAnImageDoesNothingAndNeedsNoSoundDevice) {
    // No sound device at all: an ALSA configuration without one.
    const std::string config = dir_.File("empty.conf");
    testing::WriteWholeFile(config, "\n");
    const testing::ScopedEnvironment alsa("ALSA_CONFIG_PATH", config);
    const int drive = testing::AddImage(testing::MakeCueImage(dir_.path(), "disc", {{false, 75}}));
    EXPECT_EQ(OpenCdAudio(testing::RequestFor(drive), CdAudioUse::play), nullptr);
    auto door = OpenCdAudio(testing::RequestFor(drive), CdAudioUse::door);
    ASSERT_NE(door, nullptr);
    door->OpenDoor();
    door->Play(TmsfPosition(1, 0, 0, 0), TmsfPosition(1, 0, 1, 0));  // nothing to play on
    EXPECT_EQ(OpenCdAudio(testing::RequestFor(7), CdAudioUse::door), nullptr);
}

}  // namespace
}  // namespace disctrove::platform
