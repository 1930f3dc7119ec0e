#include "ui/convert/decode_file_dialog.h"

#include <QLineEdit>

#include "ui/options/history_box.h"
#include "work/file_names.h"

namespace disctrove::ui {

DecodeFileDialog::DecodeFileDialog(Settings& settings, UserDialogs& dialogs, QWidget* parent)
    : FileChoiceDialog(settings, dialogs, settings.oggSourcePath,
                       {QStringLiteral("Source file"),
                        QStringLiteral("Source file"),
                        {QStringLiteral("Ogg Vorbis, FLAC and Opus files (*.ogg *.flac *.opus)"),
                         QStringLiteral("All files (*)")},
                        QString()},
                       parent) {
    setWindowTitle(QStringLiteral("Decode file"));
    FinishLayout(QStringLiteral("Decode"), nullptr);
}

void DecodeFileDialog::Store() {
    settings_.Outfolder = folderBox()->text();
    settings_.oggSourcePath = sourceEdit()->text().toStdString();
    if (!settings_.oggSourcePath.empty()) {
        settings_.wavSourcePath = DecodeOutputPath(settings_, settings_.oggSourcePath);
    }
}

}  // namespace disctrove::ui
