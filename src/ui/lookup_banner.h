// The bar above the track list when a look-up found nothing: it says so, offers to add the disc
// to MusicBrainz, and tells where the names shown come from (the disc's CD-Text).
#pragma once

#include <QUrl>
#include <string>

#include "disc/disc_model.h"

#include "ui/notice_bar.h"

namespace disctrove::ui {

class LookupBanner : public NoticeBar {
    Q_OBJECT

  public:
    explicit LookupBanner(QWidget* parent);

    // Shows `sentence` (NotFoundSentence's) of the disc in `drive`, with the names of its
    // CD-Text when it has any; "Add it to MusicBrainz…" opens the page for adding that disc.
    void Show(const std::string& sentence, const Drive& drive);

    QPushButton* addButton() const { return add_; }

  signals:
    void addToMusicBrainz(const QUrl& page);

  private:
    QUrl submission_;
    QPushButton* add_;
};

}  // namespace disctrove::ui
