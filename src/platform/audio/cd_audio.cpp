#include "platform/audio/cd_audio.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <optional>
#include <thread>
#include <vector>

#include "platform/audio/alsa_pcm.h"
#include "platform/cdrom/drive_handle.h"

namespace disctrove::platform {

namespace {

constexpr uint32_t kSectorsPerSecond = 75;
constexpr uint32_t kCdRate = 44100;
constexpr uint32_t kCdChannels = 2;
constexpr uint32_t kFramesPerSector = kCdSectorBytes / 4;
// A fifteenth of a second per read: a stop takes effect quickly.
constexpr uint32_t kSectorsPerRead = 5;

class DiscPlayer final : public CdAudioDevice {
  public:
    DiscPlayer(DriveHandle drive, Toc toc, int32_t lastSession, std::unique_ptr<AlsaPcm> pcm)
        : drive_(std::move(drive)),
          toc_(std::move(toc)),
          lastSession_(lastSession),
          pcm_(std::move(pcm)) {}
    ~DiscPlayer() override { Stop(); }

    uint32_t TrackLength(uint32_t track) override {
        int32_t start = 0;
        int32_t end = 0;
        if (!TrackSpan(track, start, end)) {
            return 0;
        }
        const auto sectors = static_cast<uint32_t>(end - start);
        const uint32_t seconds = sectors / kSectorsPerSecond;
        return MsfLength(seconds / 60, seconds % 60, sectors % kSectorsPerSecond);
    }

    void Play(uint32_t from, uint32_t to) override {
        Stop();
        const int32_t first = SectorOf(from);
        const int32_t last = SectorOf(to);
        if (!pcm_ || first < 0 || last <= first) {
            return;
        }
        stop_ = false;
        thread_ = std::thread([this, first, last] { PlaySectors(first, last); });
    }

    void Stop() override {
        if (thread_.joinable()) {
            stop_ = true;
            thread_.join();
            pcm_->Drop();
        }
    }

    void OpenDoor() override {
        Stop();
        EjectCD(drive_.get());
    }

  private:
    // The sectors of disc track `track`: [start, end). False for a track the disc does not
    // have, or a data track.
    bool TrackSpan(uint32_t track, int32_t& start, int32_t& end) const {
        const auto index = toc_.IndexOfNumber(static_cast<int>(track));
        if (!index || toc_.tracks[*index].isData) {
            return false;
        }
        start = toc_.tracks[*index].start;
        end = toc_.AudioEnd(*index, lastSession_);
        return end > start;
    }

    // The disc sector of a tracks-minutes-seconds-frames position, kept within its track;
    // -1 for a track that cannot be played.
    int32_t SectorOf(uint32_t position) const {
        const uint32_t track = position & 0xFF;
        int32_t start = 0;
        int32_t end = 0;
        if (!TrackSpan(track, start, end)) {
            return -1;
        }
        const int64_t offset =
            (int64_t{(position >> 8) & 0xFF} * 60 + ((position >> 16) & 0xFF)) * kSectorsPerSecond +
            ((position >> 24) & 0xFF);
        return static_cast<int32_t>(std::min<int64_t>(start + offset, end));
    }

    void PlaySectors(int32_t first, int32_t last) {
        TrackBufferBlock buffer(kSectorsPerRead);
        std::vector<int16_t> samples(kSectorsPerRead * kCdSectorBytes / 2);
        for (int32_t sector = first; sector < last && !stop_;) {
            const auto count =
                static_cast<uint32_t>(std::min<int32_t>(kSectorsPerRead, last - sector));
            buffer->startSector = static_cast<uint32_t>(sector);
            buffer->sectorCount = count;
            // An unreadable piece is heard as silence rather than ending the track.
            if (ReadCDAudioLBA(drive_.get(), buffer.get()) == kCdStatusOk) {
                std::memcpy(samples.data(), buffer->data(), count * kCdSectorBytes);
            } else {
                std::fill(samples.begin(), samples.end(), int16_t{0});
            }
            if (!pcm_->Write(samples.data(), uint64_t{count} * kFramesPerSector)) {
                return;
            }
            sector += static_cast<int32_t>(count);
        }
        if (!stop_) {
            pcm_->Drain();
        }
    }

    DriveHandle drive_;
    Toc toc_;
    int32_t lastSession_;
    std::unique_ptr<AlsaPcm> pcm_;  // none when opened for the door only
    std::thread thread_;
    std::atomic<bool> stop_{false};
};

}  // namespace

std::unique_ptr<CdAudioDevice> OpenCdAudio(const GetCdHandleRequest& drive, CdAudioUse use) {
    std::unique_ptr<AlsaPcm> pcm;
    if (use == CdAudioUse::play) {
        pcm = std::make_unique<AlsaPcm>(kCdRate, kCdChannels);
        if (!pcm->open()) {
            return nullptr;
        }
    }
    DriveHandle handle(drive);
    if (!handle) {
        return nullptr;
    }
    // No disc: nothing to play, but the door can still be opened.
    const std::optional<Toc> toc = handle.ReadToc();
    const int32_t lastSession = toc ? handle.LastSession() : 0;
    return std::make_unique<DiscPlayer>(std::move(handle), toc.value_or(Toc{}), lastSession,
                                        std::move(pcm));
}

}  // namespace disctrove::platform
