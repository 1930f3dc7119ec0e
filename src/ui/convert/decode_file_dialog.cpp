#include "ui/convert/decode_file_dialog.h"

#include <QLineEdit>

#include "ui/options/history_box.h"
#include "work/file_names.h"

namespace disctrove::ui {

DecodeFileDialog::DecodeFileDialog(Options& options, SessionChoices& session, UserDialogs& dialogs,
                                   QWidget* parent)
    : FileChoiceDialog(
          options, session, dialogs, session.decodeSourcePath,
          {tr("Source file"),
           tr("Source file"),
           {tr("Ogg Vorbis, FLAC and Opus files (*.ogg *.flac *.opus)"), tr("All files (*)")},
           QString(),
           tr("Choose the file to decode.")},
          parent) {
    setWindowTitle(tr("Decode file"));
    FinishLayout(tr("Decode"), nullptr);
}

void DecodeFileDialog::Store() {
    options_.Outfolder = folderBox()->text();
    session_.decodeSourcePath = sourceEdit()->text().toStdString();
    if (!session_.decodeSourcePath.empty()) {
        session_.wavSourcePath = DecodeOutputPath(options_, session_.decodeSourcePath);
    }
}

}  // namespace disctrove::ui
