// The "Output" page: the encoder, the output and temporary folders, the file name template, and
// whether a rip writes one file for the whole disc.
#pragma once

#include "ui/options/options_page.h"
#include "ui/user_dialogs.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QToolButton;

namespace disctrove::ui {

class HistoryBox;

class OutputPage : public OptionsPage {
    Q_OBJECT

  public:
    OutputPage(const Options& options, UserDialogs& dialogs, QWidget* parent);
    // The chosen folder goes to the front of the folder history: rips write into the first
    // entry, and the settings file keeps it as the output folder.
    void Store(OptionsEdit& edit) const override;

    QComboBox* encoderList() const { return encoder_; }
    HistoryBox* folderBox() const { return folder_; }
    QLineEdit* temporaryEdit() const { return temporary_; }
    HistoryBox* templateBox() const { return template_; }
    QCheckBox* imageFileBox() const { return imageFile_; }
    QToolButton* folderBrowseButton() const { return browseFolder_; }
    QToolButton* temporaryBrowseButton() const { return browseTemporary_; }

  private:
    UserDialogs& dialogs_;
    QComboBox* encoder_;
    HistoryBox* folder_;
    QToolButton* browseFolder_;
    QLineEdit* temporary_;
    QToolButton* browseTemporary_;
    HistoryBox* template_;
    QCheckBox* imageFile_;
};

}  // namespace disctrove::ui
