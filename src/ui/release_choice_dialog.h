// "Choose the release": which of the MusicBrainz releases found for a disc names it, or, when
// the disc carries names of its own, whether the look-up's answer or its CD-Text does.
#pragma once

#include <QDialog>
#include <vector>

#include "disc/name_choice.h"

class QTableWidget;

namespace disctrove::ui {

class ReleaseChoiceDialog : public QDialog {
    Q_OBJECT

  public:
    ReleaseChoiceDialog(const std::vector<NameChoice>& choices, QWidget* parent);

    // The choice made (an index into the list given), the first until the user picks another.
    int chosen() const;

    QTableWidget* table() const { return table_; }

  private:
    QTableWidget* table_ = nullptr;
};

// The text of the Format column: "CD", "CD 2/3" for the second of three media.
QString ReleaseFormatText(const MusicBrainzRelease& release);

}  // namespace disctrove::ui
