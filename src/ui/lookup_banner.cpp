#include "ui/lookup_banner.h"

#include <QPushButton>

#include "disc/musicbrainz_id.h"
#include "ui/core_texts.h"

namespace disctrove::ui {

LookupBanner::LookupBanner(QWidget* parent) : NoticeBar(parent) {
    setAccessibleName(tr("Look-up"));
    add_ = AddButton(tr("Add it to MusicBrainz\u2026"));
    add_->setToolTip(tr("Opens the MusicBrainz page on which this disc is added to a release"));
    connect(add_, &QPushButton::clicked, this, [this] { emit addToMusicBrainz(submission_); });
}

void LookupBanner::Show(const std::string& sentence, const Drive& drive) {
    submission_ = QUrl(QString::fromStdString(MusicBrainzSubmissionUrl(drive.toc)));
    const QString performer = QString::fromStdString(drive.cdText.performer);
    const QString title = QString::fromStdString(drive.cdText.title);
    const QString names = performer.isEmpty() || title.isEmpty()
                              ? performer + title
                              : QStringLiteral("%1 \u2014 %2").arg(performer, title);
    QString text = CoreText(sentence) + QLatin1Char('.');
    if (!names.isEmpty()) {
        text +=
            QLatin1Char(' ') + tr("The names shown are the disc's own (CD-Text): %1.").arg(names);
    }
    SetText(text, Tone::warning);
    add_->setVisible(!submission_.isEmpty());
    show();
}

}  // namespace disctrove::ui
