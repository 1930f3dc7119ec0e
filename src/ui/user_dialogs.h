// The message boxes and dialogs the desktop program shows, behind one interface so that tests
// can answer them from a script.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "disc/name_choice.h"

#include "work/worker_interfaces.h"

class QWidget;

namespace disctrove::ui {

class UserDialogs {
  public:
    virtual ~UserDialogs() = default;
    // An information box with an OK button.
    virtual void Inform(QWidget* owner, const QString& caption, const QString& text) = 0;
    // An error box (the error icon) with an OK button.
    virtual void ShowError(QWidget* owner, const QString& caption, const QString& text) = 0;
    // The Confirm box: "Yes", "All", "No".
    virtual ConfirmAnswer Confirm(QWidget* owner, const QString& text) = 0;
    // A question with "Yes" and "No"; true for Yes.
    virtual bool AskYesNo(QWidget* owner, const QString& caption, const QString& text) = 0;
    // Opens a help page in the desktop's browser; false when that cannot be done.
    virtual bool OpenHelpPage(const QString& path) = 0;
    // Opens a file in the desktop's viewer for its type; false when that cannot be done.
    virtual bool OpenFile(const QString& path) = 0;
    // The tip of the day, when the user wants it at start-up.
    virtual void ShowTipOfTheDay(QWidget* owner) = 0;
    // The folder picker titled "Select a Folder", starting at `start`; empty when cancelled.
    virtual QString PickFolder(QWidget* owner, const QString& start) = 0;
    // The open-file dialog: an existing file, `initial` chosen at first, `filters` as
    // "WAV files (*.wav)" lines, `suffix` added to a name typed without one; empty when
    // cancelled.
    virtual QString PickFile(QWidget* owner, const QString& initial, const QStringList& filters,
                             const QString& suffix) = 0;
    // The open-file dialog for several existing files; empty when cancelled.
    virtual QStringList PickFiles(QWidget* owner, const QStringList& filters) = 0;
    // "Choose the release" among the choices a look-up offers (two or more: releases, the CDDB
    // entry, the disc's CD-Text); the index chosen, nothing when cancelled.
    virtual std::optional<size_t> ChooseRelease(QWidget* owner,
                                                const std::vector<NameChoice>& choices) = 0;
};

// The real dialogs.
class DesktopDialogs : public UserDialogs {
  public:
    void Inform(QWidget* owner, const QString& caption, const QString& text) override;
    void ShowError(QWidget* owner, const QString& caption, const QString& text) override;
    ConfirmAnswer Confirm(QWidget* owner, const QString& text) override;
    bool AskYesNo(QWidget* owner, const QString& caption, const QString& text) override;
    bool OpenHelpPage(const QString& path) override;
    bool OpenFile(const QString& path) override;
    void ShowTipOfTheDay(QWidget* owner) override;
    QString PickFolder(QWidget* owner, const QString& start) override;
    QString PickFile(QWidget* owner, const QString& initial, const QStringList& filters,
                     const QString& suffix) override;
    QStringList PickFiles(QWidget* owner, const QStringList& filters) override;
    std::optional<size_t> ChooseRelease(QWidget* owner,
                                        const std::vector<NameChoice>& choices) override;
};

}  // namespace disctrove::ui
