#include "ui/user_dialogs.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include "skin/tip_of_the_day.h"
#include "ui/release_choice_dialog.h"

namespace disctrove::ui {

void DesktopDialogs::Inform(QWidget* owner, const QString& caption, const QString& text) {
    QMessageBox::information(owner, caption, text);
}

void DesktopDialogs::ShowError(QWidget* owner, const QString& caption, const QString& text) {
    QMessageBox::critical(owner, caption, text);
}

ConfirmAnswer DesktopDialogs::Confirm(QWidget* owner, const QString& text) {
    QMessageBox box(QMessageBox::Question,
                    QCoreApplication::translate("disctrove::ui::DesktopDialogs", "Confirm"), text,
                    QMessageBox::NoButton, owner);
    QPushButton* yes = box.addButton(
        QCoreApplication::translate("disctrove::ui::DesktopDialogs", "Yes"), QMessageBox::YesRole);
    QPushButton* all =
        box.addButton(QCoreApplication::translate("disctrove::ui::DesktopDialogs", "All"),
                      QMessageBox::AcceptRole);
    QPushButton* no = box.addButton(
        QCoreApplication::translate("disctrove::ui::DesktopDialogs", "No"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    if (box.clickedButton() == all) {
        return ConfirmAnswer::all;
    }
    return box.clickedButton() == no ? ConfirmAnswer::no : ConfirmAnswer::yes;
}

bool DesktopDialogs::AskYesNo(QWidget* owner, const QString& caption, const QString& text) {
    return QMessageBox::question(owner, caption, text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

bool DesktopDialogs::OpenHelpPage(const QString& path) {
    return QFileInfo::exists(path) && QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool DesktopDialogs::OpenFile(const QString& path) {
    return QFileInfo::exists(path) && QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void DesktopDialogs::ShowTipOfTheDay(QWidget* owner) {
    skin::TipOfTheDay tips(owner);
    if (tips.ShowAtStartUp()) {
        tips.exec();
    }
}

QString DesktopDialogs::PickFolder(QWidget* owner, const QString& start) {
    return QFileDialog::getExistingDirectory(
        owner, QCoreApplication::translate("disctrove::ui::DesktopDialogs", "Select a Folder"),
        start, QFileDialog::ShowDirsOnly);
}

QString DesktopDialogs::PickFile(QWidget* owner, const QString& initial, const QStringList& filters,
                                 const QString& suffix) {
    QFileDialog dialog(owner);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(suffix);
    if (!initial.isEmpty()) {
        dialog.selectFile(initial);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

QStringList DesktopDialogs::PickFiles(QWidget* owner, const QStringList& filters) {
    QFileDialog dialog(owner);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters(filters);
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return dialog.selectedFiles();
}

std::optional<size_t> DesktopDialogs::ChooseRelease(QWidget* owner,
                                                    const std::vector<NameChoice>& choices) {
    ReleaseChoiceDialog dialog(choices, owner);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return static_cast<size_t>(dialog.chosen());
}

}  // namespace disctrove::ui
