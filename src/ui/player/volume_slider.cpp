#include "ui/player/volume_slider.h"

#include <QSocketNotifier>

namespace disctrove::ui {

VolumeSlider::VolumeSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    setEnabled(false);
    // Every move the user makes goes to the mixer: dragging, paging, keys, the wheel.
    connect(this, &QSlider::actionTriggered, this, &VolumeSlider::OnUserMove);
    connect(this, &QSlider::sliderReleased, this, &VolumeSlider::OnUserMove);
}

VolumeSlider::~VolumeSlider() = default;

void VolumeSlider::Attach(std::unique_ptr<platform::VolumeMixer> mixer) {
    notifiers_.clear();
    setEnabled(false);
    if (!control_.Setup(std::move(mixer))) {
        return;
    }
    setRange(0, static_cast<int>(control_.steps()));
    for (const int descriptor : control_.PollDescriptors()) {
        auto notifier = std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read);
        connect(notifier.get(), &QSocketNotifier::activated, this, [this] {
            if (control_.HandleEvents()) {
                FollowMixer();
            }
        });
        notifiers_.push_back(std::move(notifier));
    }
    FollowMixer();
    setEnabled(true);
}

void VolumeSlider::FollowMixer() {
    if (const auto position = control_.ReadPosition()) {
        const QSignalBlocker quiet(this);
        setValue(*position);
    }
}

void VolumeSlider::OnUserMove() {
    // During an action the new position is not yet the value.
    control_.WritePosition(sliderPosition());
}

}  // namespace disctrove::ui
