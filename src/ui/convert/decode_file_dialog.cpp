#include "ui/convert/decode_file_dialog.h"

#include <QLineEdit>

#include "ui/options/history_box.h"
#include "work/file_names.h"

namespace disctrove::ui {

DecodeFileDialog::DecodeFileDialog(Settings& settings, UserDialogs& dialogs, QWidget* parent)
    : FileChoiceDialog(
          settings, dialogs, settings.oggSourcePath,
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
    settings_.Outfolder = folderBox()->text();
    settings_.oggSourcePath = sourceEdit()->text().toStdString();
    if (!settings_.oggSourcePath.empty()) {
        settings_.wavSourcePath = DecodeOutputPath(settings_, settings_.oggSourcePath);
    }
}

}  // namespace disctrove::ui
