#include "ui/player/cd_player.h"

#include <QLabel>
#include <QSlider>

namespace disctrove::ui {

namespace {

constexpr int kTickMilliseconds = 1000;

}  // namespace

CdPlayer::CdPlayer(const Options& options, const DiscState& disc, const RunState& run,
                   PlayerView view, QObject* parent)
    : QObject(parent), options_(options), disc_(disc), run_(run), view_(std::move(view)) {
    opener_ = [&options,
               &disc](platform::CdAudioUse use) -> std::unique_ptr<platform::CdAudioDevice> {
        const int32_t drive = options.Cdrom;
        if (drive < 0 || static_cast<size_t>(drive) >= disc.drives.size()) {
            return nullptr;
        }
        return platform::OpenCdAudio(disc.drives[static_cast<size_t>(drive)].handleRequest, use);
    };
    timer_.setInterval(kTickMilliseconds);
    connect(&timer_, &QTimer::timeout, this, &CdPlayer::Tick);
}

CdPlayer::~CdPlayer() = default;

uint32_t CdPlayer::DiscTrack() const {
    const auto index = static_cast<size_t>(playTrack_ - 1);
    const int32_t drive = options_.Cdrom;
    if (playTrack_ >= 1 && index < disc_.tracks.size() && drive >= 0 &&
        static_cast<size_t>(drive) < disc_.drives.size()) {
        const platform::Toc& toc = disc_.drives[static_cast<size_t>(drive)].toc;
        for (const platform::TocTrack& entry : toc.tracks) {
            if (entry.start == disc_.tracks[index].startSector) {
                return static_cast<uint32_t>(entry.number);
            }
        }
    }
    return static_cast<uint32_t>(playTrack_);
}

int CdPlayer::TrackSeconds(uint32_t& length) const {
    length = device_->TrackLength(DiscTrack());
    return static_cast<int>(platform::LengthMinutes(length) * 60 + platform::LengthSeconds(length));
}

void CdPlayer::ShowNowPlaying() {
    if (playTrack_ >= 1 && playTrack_ <= TrackCount()) {
        view_.statusPane->setText(
            tr("Now playing: %1")
                .arg(QString::fromStdString(
                    disc_.tracks[static_cast<size_t>(playTrack_ - 1)].title)));
    }
}

void CdPlayer::SetPosition(int position) {
    const QSignalBlocker quiet(view_.position);
    view_.position->setValue(position);
}

void CdPlayer::PlayWhole() {
    uint32_t length = 0;
    TrackSeconds(length);
    const uint32_t track = DiscTrack();
    device_->Play(
        platform::TmsfPosition(track, 0, 0, 0),
        platform::TmsfPosition(track, platform::LengthMinutes(length),
                               platform::LengthSeconds(length), platform::LengthFrames(length)));
    timer_.start();
    SetPosition(0);
    playSeconds_ = 0;
}

void CdPlayer::PlayTrack() {
    if (Busy()) {
        return;
    }
    if (playing_) {
        StopPlayback();
    }
    if (const int row = view_.firstSelectedRow(); row >= 0) {
        playTrack_ = row + 1;
    }
    *view_.savedStatus = view_.statusPane->text();
    ShowNowPlaying();
    device_ = opener_(platform::CdAudioUse::play);
    if (!device_) {
        return;  // no drive or no sound device: nothing plays
    }
    playing_ = true;
    PlayWhole();
}

void CdPlayer::StopPlayback() {
    if (Busy()) {
        return;
    }
    if (playing_) {
        device_.reset();  // stops and closes the device
        playing_ = false;
        timer_.stop();
        SetPosition(0);
        playSeconds_ = 0;
    }
    view_.statusPane->setText(*view_.savedStatus);
}

void CdPlayer::NextTrack() {
    if (!playing_ || Busy()) {
        return;
    }
    playTrack_ = playTrack_ + 1 > TrackCount() ? 1 : playTrack_ + 1;
    ShowNowPlaying();
    PlayWhole();
}

void CdPlayer::PreviousTrack() {
    if (!playing_ || Busy()) {
        return;
    }
    playTrack_ = playTrack_ == 1 ? TrackCount() : playTrack_ - 1;
    ShowNowPlaying();
    PlayWhole();
}

void CdPlayer::EjectDisc() {
    if (Busy()) {
        return;
    }
    StopPlayback();
    // Opened for the door command only, and closed after it.
    if (auto door = opener_(platform::CdAudioUse::door)) {
        door->OpenDoor();
    }
}

void CdPlayer::Tick() {
    if (Busy() || !playing_) {
        return;
    }
    uint32_t length = 0;
    const int seconds = TrackSeconds(length);
    if (seconds <= 0) {
        return;  // a length the device cannot tell: the slider stays where it is
    }
    ++playSeconds_;
    const auto percent =
        static_cast<int>(static_cast<float>(playSeconds_) / static_cast<float>(seconds) * 100.0f);
    SetPosition(std::min(percent, 100));
    if (percent >= 100) {
        StopPlayback();
    }
}

void CdPlayer::Seek(int position) {
    if (Busy() || !playing_) {
        return;
    }
    uint32_t length = 0;
    const int seconds = TrackSeconds(length);
    playSeconds_ = static_cast<int>(static_cast<float>(seconds * position) * 0.01f);
    const uint32_t track = DiscTrack();
    device_->Play(
        platform::TmsfPosition(track, static_cast<uint32_t>(playSeconds_ / 60),
                               static_cast<uint32_t>(playSeconds_ % 60), 0),
        platform::TmsfPosition(track, platform::LengthMinutes(length),
                               platform::LengthSeconds(length), platform::LengthFrames(length)));
}

}  // namespace disctrove::ui
