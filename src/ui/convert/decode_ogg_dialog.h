// "Decode OGG file": an Ogg Vorbis file and the folder its WAV file goes to.
#pragma once

#include "ui/convert/file_choice_dialog.h"

namespace disctrove::ui {

class DecodeOggDialog : public FileChoiceDialog {
    Q_OBJECT

  public:
    // Starts with oggSourcePath and the folder history.
    DecodeOggDialog(Settings& settings, UserDialogs& dialogs, QWidget* parent);

  protected:
    // Outfolder, oggSourcePath and, for a source, wavSourcePath: the WAV file it decodes into.
    void Store() override;
};

}  // namespace disctrove::ui
