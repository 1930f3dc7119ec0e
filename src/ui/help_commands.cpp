#include "ui/help_commands.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QMessageBox>

#include "app/share_path.h"
#include "app/version.h"
#include "skin/icons.h"

namespace disctrove::ui {

void HelpCommands::ShowContents() {
    OpenHelp("index.htm", tr("Cannot locate HTML Help file for Disctrove"));
}

void HelpCommands::ShowQuickStart() {
    OpenHelp("start.htm",
             tr("Cannot locate HTML Help file %1").arg(QString::fromLatin1("help/start.htm")));
}

void HelpCommands::OpenHelp(const char* page, const QString& missingMessage) {
    const std::string path = ShareFilePath(std::string("help/") + page);
    // Named to the user without "../".
    const QString file = QDir::cleanPath(QString::fromStdString(path));
    if (path.empty()) {
        dialogs_.Inform(window_, QStringLiteral("Disctrove"), missingMessage);
    } else if (!dialogs_.OpenHelpPage(file)) {
        // The page is there; what is missing is a program to show it (no browser).
        dialogs_.Inform(window_, QStringLiteral("Disctrove"),
                        tr("No viewer could open the help file %1").arg(file));
    }
}

void HelpCommands::ShowRipLog(const std::string& log) {
    const QString path = QString::fromStdString(log);
    if (path.isEmpty() || !QFileInfo::exists(path)) {
        dialogs_.Inform(window_, QStringLiteral("Disctrove"),
                        path.isEmpty() ? tr("No rip log has been written yet.")
                                       : tr("The rip log %1 is no longer there.").arg(path));
    } else if (!dialogs_.OpenFile(path)) {
        dialogs_.Inform(window_, QStringLiteral("Disctrove"),
                        tr("The rip log %1 could not be opened.").arg(path));
    }
}

void HelpCommands::ShowAbout() {
    QMessageBox about(window_);
    about.setWindowTitle(tr("About Disctrove"));
    about.setIconPixmap(skin::AppIcon().pixmap(64, 64));
    about.setText(tr("Disctrove Version %1").arg(QString::fromUtf8(kProgramVersion)));
    // A message box is as wide as its text; the title bar needs room for the title too, and
    // for the window's own icon and buttons beside it.
    const int titleWidth = about.fontMetrics().horizontalAdvance(about.windowTitle()) + 160;
    if (auto* grid = qobject_cast<QGridLayout*>(about.layout())) {
        grid->addItem(new QSpacerItem(titleWidth, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    about.exec();
}

}  // namespace disctrove::ui
