#include "ui/convert/decode_ogg_dialog.h"

#include <QLineEdit>

#include "ui/options/history_box.h"
#include "work/file_names.h"

namespace disctrove::ui {

DecodeOggDialog::DecodeOggDialog(Settings& settings, UserDialogs& dialogs, QWidget* parent)
    : FileChoiceDialog(settings, dialogs, settings.oggSourcePath,
                       {QStringLiteral("OGG file"),
                        QStringLiteral("Source OGG"),
                        {QStringLiteral("OGG files (*.ogg)"), QStringLiteral("All files (*)")},
                        QStringLiteral("ogg")},
                       parent) {
    setWindowTitle(QStringLiteral("Decode OGG file"));
    FinishLayout(QStringLiteral("Decode"), nullptr);
}

void DecodeOggDialog::Store() {
    settings_.Outfolder = folderBox()->text();
    settings_.oggSourcePath = sourceEdit()->text().toStdString();
    if (!settings_.oggSourcePath.empty()) {
        settings_.wavSourcePath = DecodeOutputPath(settings_, settings_.oggSourcePath);
    }
}

}  // namespace disctrove::ui
