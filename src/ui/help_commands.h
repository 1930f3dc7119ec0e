// The Help menu's commands: the help pages and the rip log in the desktop's viewers, the About
// box. Every failure is told to the user in a message owned by the window.
#pragma once

#include <QCoreApplication>
#include <QString>
#include <string>

#include "ui/user_dialogs.h"

class QWidget;

namespace disctrove::ui {

class HelpCommands {
    Q_DECLARE_TR_FUNCTIONS(disctrove::ui::HelpCommands)

  public:
    HelpCommands(UserDialogs& dialogs, QWidget* window) : dialogs_(dialogs), window_(window) {}

    void ShowContents();
    void ShowQuickStart();
    // Opens the log at `path` (the last rip's; "" when none was written).
    void ShowRipLog(const std::string& path);
    void ShowAbout();

  private:
    // Opens help/`page` in the desktop's viewer; `missingMessage` when the page is not there.
    void OpenHelp(const char* page, const QString& missingMessage);

    UserDialogs& dialogs_;
    QWidget* window_;
};

}  // namespace disctrove::ui
