// The main window's track list: a table over the tracks' model whose selection the tracks
// follow (Track settings and Play act on the selected ones), and whose Status column grows for
// a long verdict. Titles and track artists are edited in place: F2, a double click or typing
// starts, Enter goes on to the next row, Tab to the next name, Esc gives up.
#pragma once

#include <QTableView>

#include "disc/disc_state.h"

namespace disctrove::ui {

class TrackTableModel;

class TrackListView : public QTableView {
    Q_OBJECT

  public:
    TrackListView(DiscState& disc, TrackTableModel* model, QWidget* parent);

    // The Status column's width at a refill (the user's, once stored).
    void SetStatusWidth(int width) { statusWidth_ = width; }
    // The list shows the tracks anew: the Status column back at its width, the rows read again,
    // the rows the tracks say are selected selected.
    void Refill();
    // The rows read again, keeping the Status column's width and the selection.
    void Rewrite();
    // The first selected row; -1 when none is.
    int FirstSelectedRow() const;
    // Shows or hides the track artists' column.
    void ShowArtists(bool on);

    // The Status column's width for a percentage or "Completed".
    static constexpr int kStatusWidth = 90;

  signals:
    // The user changed the selection; the tracks' selected flags follow it already.
    void selectionEdited();

  protected:
    // An edit asked for on a cell without a name (time, encoder, status, a hidden column) edits
    // the title.
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles = QList<int>()) override;

  private:
    // The name cell `step` names on from `from` (1: the next, -1: the one before), across the
    // shown name columns and on to the next or previous row; invalid past the ends.
    QModelIndex NextName(const QModelIndex& from, int step) const;
    // Selects the rows whose tracks say they are selected.
    void SelectRowsOfTracks();
    void OnSelectionChanged();

    DiscState& disc_;
    TrackTableModel* model_;
    bool quiet_ = false;  // the window, not the user, is selecting rows
    int statusWidth_ = kStatusWidth;
};

}  // namespace disctrove::ui
