// The "Misc" page: what happens on refresh and rip, the read mode ("Jitter correction"), and
// the tag fields.
#pragma once

#include "ui/options/options_page.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace disctrove::ui {

class MiscPage : public OptionsPage {
    Q_OBJECT

  public:
    MiscPage(const Options& options, const DiscNames& names, QWidget* parent);
    void Store(OptionsEdit& edit) const override;

    QCheckBox* id3Box() const { return useId3_; }
    QCheckBox* id3v2Box() const { return id3v2_; }
    QCheckBox* id3v23Box() const { return id3v23_; }
    QCheckBox* replayGainBox() const { return replayGain_; }
    QLineEdit* artistEdit() const { return artist_; }
    QLineEdit* albumEdit() const { return album_; }
    QLineEdit* yearEdit() const { return year_; }
    QComboBox* genreList() const { return genre_; }
    QRadioButton* jitterButton(int value) const { return jitter_[value]; }
    QSpinBox* encoderThreadsBox() const { return encoderThreads_; }

  private:
    // The ID3v2 switch and the tag fields are editable exactly when tags are on; ReplayGain
    // goes into every format and stays editable.
    // The page's two groups, built in the order of the tab chain.
    QGroupBox* JitterGroup(int32_t jitter);
    QGroupBox* TagGroup(const Options& options, const DiscNames& names);
    void ApplyTagEnabling();

    int32_t jitterValue_;  // follows the radio buttons; kept as read when none is checked
    QCheckBox* autoCddb_;
    QCheckBox* autoCheck_;
    QCheckBox* playlist_;
    static constexpr int kJitterChoices = 4;  // Always, Never, On error, Secure
    QRadioButton* jitter_[kJitterChoices];
    QCheckBox* overwrite_;
    QCheckBox* ownFolder_;
    QCheckBox* sound_;
    QCheckBox* eject_;
    QSpinBox* encoderThreads_;
    QLineEdit* artist_;
    QLineEdit* album_;
    QLineEdit* year_;
    QComboBox* genre_;
    QCheckBox* useId3_;
    QCheckBox* id3v2_;
    QCheckBox* id3v23_;  // the ID3v2 tag as version 2.3
    QCheckBox* replayGain_;
};

}  // namespace disctrove::ui
