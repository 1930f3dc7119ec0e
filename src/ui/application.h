// The desktop program from start to end: the single-instance guard, the settings, the drive
// list, the main window, and the settings saved again at the end.
#pragma once

#include <QStringList>

#include "ui/user_dialogs.h"

namespace disctrove::ui {

inline constexpr const char* kInstanceName = "Disctrove mutex";

// Runs the program with `arguments` (--settings FILE, --image FILE...); returns its exit code.
int RunDisctrove(const QStringList& arguments, UserDialogs& dialogs);

}  // namespace disctrove::ui
