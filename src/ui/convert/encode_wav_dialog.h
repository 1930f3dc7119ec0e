// "Encode WAV file": a WAV file, the output folder, and the format to encode it into (OGG, MP3,
// WMA, FLAC or OPUS, with that format's page).
#pragma once

#include <array>

#include "ui/convert/file_choice_dialog.h"

class QComboBox;
class QStackedWidget;

namespace disctrove::ui {

class FormatPage;

class EncodeWavDialog : public FileChoiceDialog {
    Q_OBJECT

  public:
    // Starts with wavSourcePath, the folder history and the kind of WAVEncoder, the pages
    // filled from pageFormats.
    EncodeWavDialog(Options& options, SessionChoices& session, UserDialogs& dialogs,
                    QWidget* parent);

    QComboBox* encoderBox() const { return encoder_; }
    // The page of an encoder index (0 OGG, 1 MP3, 2 WMA, 3 FLAC, 4 OPUS).
    FormatPage* formatPage(int index) const { return pages_[static_cast<size_t>(index)]; }
    QStackedWidget* pageStack() const { return stack_; }

  protected:
    // WAVEncoder, the chosen kind's group of pageFormats, wavSourcePath and Outfolder.
    void Store() override;

  private:
    QComboBox* encoder_;
    QStackedWidget* stack_;
    std::array<FormatPage*, kEncoderKinds - 1> pages_{};
};

}  // namespace disctrove::ui
