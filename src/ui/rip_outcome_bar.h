// The bar above the track list after a rip: what the rip did in a sentence, "Open folder",
// "Show log" and dismiss.
#pragma once

#include "front/outcome_texts.h"
#include "ui/notice_bar.h"

namespace disctrove::ui {

class RipOutcomeBar : public NoticeBar {
    Q_OBJECT

  public:
    explicit RipOutcomeBar(QWidget* parent);

    // Shows `outcome`; Show log acts when `logThere`.
    void Show(const RipOutcome& outcome, bool logThere);

    QPushButton* openFolderButton() const { return openFolder_; }
    QPushButton* showLogButton() const { return showLog_; }

  signals:
    void openFolder(const QString& folder);
    void showLog();

  private:
    QString folder_;
    QPushButton* openFolder_;
    QPushButton* showLog_;
};

}  // namespace disctrove::ui
