// The "Secure" page: how carefully a rip reads (read offset, retries, Test & Copy) and what
// proves it afterwards (AccurateRip, the rip log, the CUE sheet).
#pragma once

#include "ui/options/options_page.h"

class QCheckBox;
class QLineEdit;
class QSpinBox;

namespace disctrove::ui {

class SecurePage : public OptionsPage {
    Q_OBJECT

  public:
    SecurePage(const Options& options, QWidget* parent);
    void Store(OptionsEdit& edit) const override;

    QSpinBox* offsetBox() const { return offset_; }
    QSpinBox* retriesBox() const { return retries_; }
    QCheckBox* testAndCopyBox() const { return testAndCopy_; }
    QCheckBox* accurateRipBox() const { return accurateRip_; }
    QLineEdit* serverEdit() const { return server_; }
    QSpinBox* portBox() const { return port_; }
    QCheckBox* logBox() const { return writeLog_; }
    QCheckBox* cueBox() const { return writeCue_; }

  private:
    // The server fields are editable exactly when the look-up is on.
    void ApplyServerEnabling();

    QSpinBox* offset_;
    QSpinBox* retries_;
    QCheckBox* testAndCopy_;
    QCheckBox* accurateRip_;
    QLineEdit* server_;
    QSpinBox* port_;
    QCheckBox* writeLog_;
    QCheckBox* writeCue_;
};

}  // namespace disctrove::ui
