#include "ui/rip_outcome_bar.h"

#include <QPushButton>

#include "ui/core_texts.h"

namespace disctrove::ui {

RipOutcomeBar::RipOutcomeBar(QWidget* parent) : NoticeBar(parent) {
    setAccessibleName(tr("Rip outcome"));
    openFolder_ = AddButton(tr("Open folder"));
    showLog_ = AddButton(tr("Show log"));
    connect(openFolder_, &QPushButton::clicked, this, [this] { emit openFolder(folder_); });
    connect(showLog_, &QPushButton::clicked, this, &RipOutcomeBar::showLog);
}

void RipOutcomeBar::Show(const RipOutcome& outcome, bool logThere) {
    folder_ = QString::fromStdString(outcome.folder);
    SetText(CoreText(outcome.sentence), outcome.wellEnded ? Tone::good : Tone::warning);
    openFolder_->setVisible(!folder_.isEmpty());
    showLog_->setVisible(logThere);
    show();
}

}  // namespace disctrove::ui
