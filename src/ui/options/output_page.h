// The "Output" page: the encoder, the output and temporary folders, the file name template, and
// whether a rip writes one file for the whole disc.
#pragma once

#include "disc/disc_state.h"
#include "ui/options/options_page.h"
#include "ui/user_dialogs.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QToolButton;

namespace disctrove::ui {

class HistoryBox;

class OutputPage : public OptionsPage {
    Q_OBJECT

  public:
    // The preview of the next file name is of `disc`'s names (a sample disc's without tracks).
    OutputPage(const Options& options, const DiscState& disc, UserDialogs& dialogs,
               QWidget* parent);
    // The chosen folder goes to the front of the folder history: rips write into the first
    // entry, and the settings file keeps it as the output folder.
    void Store(OptionsEdit& edit) const override;

    QComboBox* encoderList() const { return encoder_; }
    HistoryBox* folderBox() const { return folder_; }
    QLineEdit* temporaryEdit() const { return temporary_; }
    HistoryBox* templateBox() const { return template_; }
    QCheckBox* imageFileBox() const { return imageFile_; }
    // "Next file: /music/Artist/Album/01-Title.flac", as the page's choices would name it.
    QLabel* previewLabel() const { return preview_; }
    QToolButton* folderBrowseButton() const { return browseFolder_; }
    QToolButton* temporaryBrowseButton() const { return browseTemporary_; }

  private:
    void UpdatePreview();

    const Options& options_;
    const DiscState& disc_;
    UserDialogs& dialogs_;
    QComboBox* encoder_;
    HistoryBox* folder_;
    QToolButton* browseFolder_;
    QLineEdit* temporary_;
    QToolButton* browseTemporary_;
    HistoryBox* template_;
    QCheckBox* imageFile_;
    QLabel* preview_;
};

}  // namespace disctrove::ui
