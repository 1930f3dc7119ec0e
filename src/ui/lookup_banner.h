// The bar above the track list when a look-up found nothing: it says so, offers to add the disc
// to MusicBrainz, and tells where the names shown come from (the disc's CD-Text).
#pragma once

#include <QUrl>

#include "ui/notice_bar.h"

namespace disctrove::ui {

class LookupBanner : public NoticeBar {
    Q_OBJECT

  public:
    explicit LookupBanner(QWidget* parent);

    // Shows `sentence`, with `cdText` (the disc's own names, "" when it has none) after it;
    // "Add it to MusicBrainz…" opens `submission` (hidden when it is empty).
    void Show(const QString& sentence, const QString& cdText, const QUrl& submission);

    QPushButton* addButton() const { return add_; }

  signals:
    void addToMusicBrainz(const QUrl& page);

  private:
    QUrl submission_;
    QPushButton* add_;
};

}  // namespace disctrove::ui
