// The CD player of the main window: Play, Stop, Previous, Next and Eject, the one-second tick
// that moves the position slider, and the seek when its thumb is dragged.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

#include "front/settings.h"
#include "platform/audio/cd_audio.h"

class QLabel;
class QSlider;

namespace disctrove::ui {

// Opens the "cdaudio" device on the chosen drive; null when it cannot be opened.
using CdAudioOpener =
    std::function<std::unique_ptr<platform::CdAudioDevice>(platform::CdAudioUse use)>;

// What the player shows and reads on the main window.
struct PlayerView {
    QLabel* statusPane = nullptr;
    QString* savedStatus = nullptr;  // the window's saved status text, which Stop shows again
    QSlider* position = nullptr;     // 0 to 100
    std::function<int()> firstSelectedRow;  // -1 when no row is selected
};

class CdPlayer : public QObject {
    Q_OBJECT

  public:
    // Plays on the drive of `settings.Cdrom` through the real device until SetOpener.
    CdPlayer(Settings& settings, PlayerView view, QObject* parent);
    ~CdPlayer() override;

    void SetOpener(CdAudioOpener opener) { opener_ = std::move(opener); }

    void PlayTrack();
    void StopPlayback();
    void NextTrack();
    void PreviousTrack();
    void EjectDisc();
    // The one-second tick: counts the seconds played, moves the slider, stops at the end.
    void Tick();
    // The position slider's thumb dragged to `position` (0 to 100).
    void Seek(int position);
    // A new disc: Play starts again at the first track.
    void ResetTrack() { playTrack_ = 1; }

    bool playing() const { return playing_; }
    int playTrack() const { return playTrack_; }
    int playSeconds() const { return playSeconds_; }

  private:
    bool Busy() const { return settings_.ripping != 0; }
    int TrackCount() const { return static_cast<int>(settings_.tracks.size()); }
    // The disc's number for list position playTrack - 1 (a data track before it shifts it).
    uint32_t DiscTrack() const;
    // The length of the track in seconds, frames left out.
    int TrackSeconds(uint32_t& length) const;
    void ShowNowPlaying();
    // Plays the whole of track playTrack and starts counting from 0.
    void PlayWhole();
    void SetPosition(int position);

    Settings& settings_;
    PlayerView view_;
    CdAudioOpener opener_;
    std::unique_ptr<platform::CdAudioDevice> device_;
    bool playing_ = false;
    int playTrack_ = 1;  // 1-based position in the track list
    int playSeconds_ = 0;
    QTimer timer_;
};

}  // namespace disctrove::ui
