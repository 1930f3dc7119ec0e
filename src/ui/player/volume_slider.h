// The volume slider: bound to the speakers' volume; disabled when there is none to bind to.
#pragma once

#include <QSlider>
#include <memory>
#include <vector>

#include "ui/player/mixer_control.h"

class QSocketNotifier;

namespace disctrove::ui {

class VolumeSlider : public QSlider {
    Q_OBJECT

  public:
    explicit VolumeSlider(QWidget* parent);
    ~VolumeSlider() override;

    // Binds the slider to `mixer` (none: the slider stays disabled), follows the control's
    // changes from then on and writes the user's moves to it.
    void Attach(std::unique_ptr<platform::VolumeMixer> mixer);
    const MixerControl& control() const { return control_; }

    // What a change notification of the mixer does: the slider follows the new values.
    void FollowMixer();

  private:
    void OnUserMove();

    MixerControl control_;
    std::vector<std::unique_ptr<QSocketNotifier>> notifiers_;
};

}  // namespace disctrove::ui
