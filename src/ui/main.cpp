// disctrove: the desktop program.
#include <QApplication>

#include "skin/icons.h"
#include "ui/application.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Disctrove"));
    QApplication::setWindowIcon(disctrove::skin::AppIcon());
    disctrove::ui::DesktopDialogs dialogs;
    return disctrove::ui::RunDisctrove(QApplication::arguments(), dialogs);
}
