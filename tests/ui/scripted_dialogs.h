// The user's side of the desktop program's message boxes and pickers, answered from a script
// and recorded for the tests to check.
#pragma once

#include <QList>
#include <QStringList>
#include <QWidget>
#include <functional>

#include "ui/user_dialogs.h"

namespace disctrove::testing {

class ScriptedDialogs : public ui::UserDialogs {
  public:
    void Inform(QWidget*, const QString& caption, const QString& text) override {
        captions << caption;
        informed << text;
    }
    void ShowError(QWidget*, const QString& caption, const QString& text) override {
        captions << caption;
        errors << text;
    }
    ConfirmAnswer Confirm(QWidget*, const QString& text) override {
        asked << text;
        if (onConfirm) {
            onConfirm();
        }
        return confirms.isEmpty() ? ConfirmAnswer::no : confirms.takeFirst();
    }
    bool AskYesNo(QWidget*, const QString&, const QString& text) override {
        asked << text;
        return yesNo.isEmpty() ? false : yesNo.takeFirst();
    }
    bool OpenHelpPage(const QString& path) override {
        opened << path;
        return viewer;
    }
    bool OpenFile(const QString& path) override {
        opened << path;
        return true;
    }
    void ShowTipOfTheDay(QWidget* owner) override {
        tipsOver << (owner != nullptr && owner->isVisible() ? owner->windowTitle() : QString());
    }
    // The next scripted path, or a cancelled picker when the script has none.
    QString PickFolder(QWidget*, const QString&) override {
        return folders.isEmpty() ? QString() : folders.takeFirst();
    }
    QString PickFile(QWidget*, const QString&, const QStringList& filters,
                     const QString& suffix) override {
        fileFilters << filters.join(QStringLiteral(";")) + QStringLiteral(" +") + suffix;
        return files.isEmpty() ? QString() : files.takeFirst();
    }
    // The next scripted list of files, or a cancelled picker.
    QStringList PickFiles(QWidget*, const QStringList&) override {
        return fileLists.isEmpty() ? QStringList() : fileLists.takeFirst();
    }

    // Records the choices offered; answers from `releaseChoices` (nothing: Cancel).
    std::optional<size_t> ChooseRelease(QWidget*, const std::vector<NameChoice>& choices) override {
        releasesOffered.push_back(choices.size());
        lastOffered = choices;
        return releaseChoices.isEmpty() ? std::nullopt : releaseChoices.takeFirst();
    }

    // Runs while a worker waits for the answer to a Confirm question.
    std::function<void()> onConfirm;

    QStringList captions;
    QStringList informed;
    QStringList errors;
    QStringList asked;
    QStringList opened;
    bool viewer = true;    // false: no program opens a help page
    QStringList tipsOver;  // per tip of the day, the title of the window it showed over
    QStringList fileFilters;
    QList<ConfirmAnswer> confirms;
    QList<bool> yesNo;
    QStringList folders;
    QStringList files;
    QList<QStringList> fileLists;
    QList<std::optional<size_t>> releaseChoices;
    std::vector<size_t> releasesOffered;
    std::vector<NameChoice> lastOffered;
};

}  // namespace disctrove::testing
