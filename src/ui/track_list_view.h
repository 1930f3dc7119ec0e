// The main window's track list: a table over the tracks' model whose selection the tracks
// follow (Track settings and Play act on the selected ones), and whose Status column grows for
// a long verdict.
#pragma once

#include <QTableView>

#include "front/settings.h"

namespace disctrove::ui {

class TrackTableModel;

class TrackListView : public QTableView {
    Q_OBJECT

  public:
    TrackListView(Settings& settings, TrackTableModel* model, QWidget* parent);

    // The Status column's width at a refill (the user's, once stored).
    void SetStatusWidth(int width) { statusWidth_ = width; }
    // The list shows the tracks anew: the Status column back at its width, the rows read again,
    // the rows the tracks say are selected selected.
    void Refill();
    // The rows read again, keeping the Status column's width and the selection.
    void Rewrite();
    // The first selected row; -1 when none is.
    int FirstSelectedRow() const;

    // The Status column's width for a percentage or "Completed".
    static constexpr int kStatusWidth = 90;

  signals:
    // The user changed the selection; the tracks' selected flags follow it already.
    void selectionEdited();

  protected:
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles = QList<int>()) override;

  private:
    // Selects the rows whose tracks say they are selected.
    void SelectRowsOfTracks();
    void OnSelectionChanged();

    Settings& settings_;
    TrackTableModel* model_;
    bool quiet_ = false;  // the window, not the user, is selecting rows
    int statusWidth_ = kStatusWidth;
};

}  // namespace disctrove::ui
