// What the two conversion dialogs share: a source file with a browse button, and an output
// folder list (starting as the folder history) with one.
#pragma once

#include <QDialog>
#include <QStringList>

#include "front/program_state.h"
#include "ui/user_dialogs.h"

class QFormLayout;
class QLineEdit;
class QToolButton;

namespace disctrove::ui {

class HistoryBox;

// How a dialog browses for its source file.
struct SourceChoice {
    QString label;  // the label of the source field
    QString tip;    // the tooltip of its browse button
    QStringList filters;
    QString suffix;   // added to a name typed without one
    QString missing;  // what OK says when no file is named
};

class FileChoiceDialog : public QDialog {
    Q_OBJECT

  public:
    QLineEdit* sourceEdit() const { return source_; }
    HistoryBox* folderBox() const { return folder_; }
    QToolButton* sourceBrowseButton() const { return browseSource_; }
    QToolButton* folderBrowseButton() const { return browseFolder_; }

  protected:
    FileChoiceDialog(Options& options, SessionChoices& session, UserDialogs& dialogs,
                     const std::string& source, const SourceChoice& choice, QWidget* parent);
    // The form the fields are in; the dialogs add their own rows.
    QFormLayout* form() const { return form_; }
    // Adds the OK button (named `okText`) and Cancel below `extra` (may be null).
    void FinishLayout(const QString& okText, QWidget* extra);
    // What OK does before it closes.
    virtual void Store() = 0;

    Options& options_;
    SessionChoices& session_;

  private:
    UserDialogs& dialogs_;
    SourceChoice choice_;
    QFormLayout* form_;
    QLineEdit* source_;
    QToolButton* browseSource_;
    HistoryBox* folder_;
    QToolButton* browseFolder_;
};

}  // namespace disctrove::ui
