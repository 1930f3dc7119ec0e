// "Decode file": an Ogg Vorbis, FLAC or Opus file and the folder its WAV file goes to.
#pragma once

#include "ui/convert/file_choice_dialog.h"

namespace disctrove::ui {

class DecodeFileDialog : public FileChoiceDialog {
    Q_OBJECT

  public:
    // Starts with decodeSourcePath (the last file decoded, whatever its format) and the folder
    // history.
    DecodeFileDialog(Options& options, SessionChoices& session, UserDialogs& dialogs,
                     QWidget* parent);

  protected:
    // Outfolder, decodeSourcePath and, for a source, wavSourcePath: the WAV file it decodes into.
    void Store() override;
};

}  // namespace disctrove::ui
