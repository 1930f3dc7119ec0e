// "Track settings": the title of the current track, and the encoder and format of every
// selected track.
#pragma once

#include <QDialog>
#include <array>
#include <cstdint>
#include <vector>

#include "front/program_state.h"

class QComboBox;
class QLineEdit;
class QStackedWidget;

namespace disctrove::ui {

class FormatPage;

class TrackSettingsDialog : public QDialog {
    Q_OBJECT

  public:
    // Opens with the title and encoder of the track at `currentTrack` (WAV when there is none) and
    // a format page per encoder kind filled from the session's pageFormats.
    TrackSettingsDialog(std::vector<Track>& tracks, int32_t currentTrack, SessionChoices& session,
                        QWidget* parent);

    QComboBox* encoderBox() const { return encoder_; }
    QLineEdit* titleEdit() const { return title_; }
    FormatPage* formatPage(EncoderKind kind) const { return pages_[static_cast<size_t>(kind)]; }

    // What OK does before it closes: the title goes to the current track, the encoder and
    // the format of its page to every selected track.
    void Store();

  private:
    Track* CurrentTrack() const;

    std::vector<Track>& tracks_;
    int32_t current_;
    SessionChoices& session_;
    QComboBox* encoder_;
    QLineEdit* title_;
    QString openedTitle_;  // a title left as it was does not undo a CDDB reply meanwhile
    QStackedWidget* stack_;
    std::array<FormatPage*, kEncoderKinds> pages_{};
};

}  // namespace disctrove::ui
