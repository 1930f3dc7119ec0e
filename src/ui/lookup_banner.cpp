#include "ui/lookup_banner.h"

#include <QPushButton>

namespace disctrove::ui {

LookupBanner::LookupBanner(QWidget* parent) : NoticeBar(parent) {
    setAccessibleName(tr("Look-up"));
    add_ = AddButton(tr("Add it to MusicBrainz\u2026"));
    add_->setToolTip(tr("Opens the MusicBrainz page on which this disc is added to a release"));
    connect(add_, &QPushButton::clicked, this, [this] { emit addToMusicBrainz(submission_); });
}

void LookupBanner::Show(const QString& sentence, const QString& cdText, const QUrl& submission) {
    submission_ = submission;
    QString text = sentence + QLatin1Char('.');
    if (!cdText.isEmpty()) {
        text +=
            QLatin1Char(' ') + tr("The names shown are the disc's own (CD-Text): %1.").arg(cdText);
    }
    SetText(text, Tone::warning);
    add_->setVisible(!submission.isEmpty());
    show();
}

}  // namespace disctrove::ui
