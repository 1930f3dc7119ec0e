// The album above the track list: its cover (with the release it belongs to), and its names,
// each edited in place: album artist, title, year, genre, which disc of a set; and the switch
// that shows the tracks' own artists in the list.
#pragma once

#include <QWidget>
#include <vector>

#include "disc/disc_state.h"
#include "ui/name_edits.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace disctrove::ui {

class AlbumPanel : public QWidget {
    Q_OBJECT

  public:
    AlbumPanel(DiscState& disc, NameEdits& edits, QWidget* parent);

    // The fields show the disc's names again (after a refresh, a look-up, the options, Undo).
    void ShowNames();
    // Shows the cover of the disc's release when it has been fetched, with the release's title,
    // date and country under it; hides both otherwise.
    void ShowCover();

    // The controls in the order Tab visits them.
    std::vector<QWidget*> FocusChain() const;
    // The fields, which no one edits while a rip reads the names.
    QWidget* fields() const { return fields_; }

    QLabel* coverPicture() const { return cover_; }
    QLabel* coverCaption() const { return caption_; }
    QLineEdit* artistEdit() const { return artist_; }
    QLineEdit* albumEdit() const { return album_; }
    QLineEdit* yearEdit() const { return year_; }
    QComboBox* genreBox() const { return genre_; }
    QSpinBox* discNumberBox() const { return discNumber_; }
    QSpinBox* discTotalBox() const { return discTotal_; }
    QCheckBox* variousArtistsBox() const { return various_; }

    // The side of the cover, in device-independent pixels.
    static constexpr int kCoverSide = 112;

  signals:
    // The user changed a name here (the list's rows show the album artist where a track has
    // none of its own).
    void namesEdited();
    // The track-artist column is to be shown or hidden.
    void variousArtistsChanged(bool on);

  private:
    void BuildFields();
    // Writes a field's change through `write`, as one Undo step per field typed into.
    template <typename Write>
    void Edit(NameEdits::Field field, Write write);

    DiscState& disc_;
    NameEdits& edits_;
    bool quiet_ = false;     // the panel, not the user, is filling the fields
    std::string shownDisc_;  // the disc the switch was last set for

    QLabel* cover_ = nullptr;
    QLabel* caption_ = nullptr;
    QWidget* fields_ = nullptr;
    QLineEdit* artist_ = nullptr;
    QLineEdit* album_ = nullptr;
    QLineEdit* year_ = nullptr;
    QComboBox* genre_ = nullptr;
    QSpinBox* discNumber_ = nullptr;
    QSpinBox* discTotal_ = nullptr;
    QCheckBox* various_ = nullptr;
};

}  // namespace disctrove::ui
