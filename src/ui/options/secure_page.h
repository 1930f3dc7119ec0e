// The "Secure" page: how carefully a rip reads (read offsets, retries, Test & Copy) and what
// proves it afterwards (AccurateRip, the CTDB, the rip log, the CUE sheet).
#pragma once

#include <optional>
#include <string>

#include "disc/disc_state.h"
#include "ui/options/options_page.h"
#include "ui/user_dialogs.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace disctrove::ui {

class SecurePage : public OptionsPage {
    Q_OBJECT

  public:
    // `disc` gives the chosen drive (the options' Cdrom), whose saved offset the page shows
    // and which Detect reads; `dialogs` asks the search's questions.
    SecurePage(const Options& options, const DiscState& disc, UserDialogs& dialogs,
               QWidget* parent);
    void Store(OptionsEdit& edit) const override;

    QSpinBox* offsetBox() const { return offset_; }
    QSpinBox* retriesBox() const { return retries_; }
    QCheckBox* testAndCopyBox() const { return testAndCopy_; }
    QCheckBox* accurateRipBox() const { return accurateRip_; }
    QLineEdit* serverEdit() const { return server_; }
    QSpinBox* portBox() const { return port_; }
    QCheckBox* logBox() const { return writeLog_; }
    QCheckBox* cueBox() const { return writeCue_; }
    QCheckBox* ctdbBox() const { return ctdb_; }
    QLineEdit* ctdbServerEdit() const { return ctdbServer_; }
    QLabel* driveOffsetLabel() const { return driveOffset_; }
    QPushButton* detectButton() const { return detect_; }

  signals:
    // Detect found the chosen drive's offset and saved it under `key` in the settings file.
    void driveOffsetSaved(const std::string& key, const disctrove::DriveReadOffset& offset);

  private:
    // The server fields are editable exactly when their look-up is on.
    void ApplyServerEnabling();
    // Says what the chosen drive reads with, and whether Detect can find its offset.
    void ShowDriveOffset();
    // Searches the drive's offset with the disc in it, and saves what it finds.
    void Detect();

    const Options& options_;
    const DiscState& disc_;
    UserDialogs& dialogs_;
    std::optional<DriveReadOffset> saved_;  // the chosen drive's own offset

    QSpinBox* offset_;
    QSpinBox* retries_;
    QCheckBox* testAndCopy_;
    QCheckBox* accurateRip_;
    QLineEdit* server_;
    QSpinBox* port_;
    QCheckBox* writeLog_;
    QCheckBox* writeCue_;
    QCheckBox* ctdb_;
    QLineEdit* ctdbServer_;
    QLabel* driveOffset_;
    QPushButton* detect_;
};

}  // namespace disctrove::ui
