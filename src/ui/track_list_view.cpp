#include "ui/track_list_view.h"

#include <QHeaderView>
#include <QScopedValueRollback>
#include <QStyle>
#include <algorithm>

#include "ui/track_table_model.h"

namespace disctrove::ui {

TrackListView::TrackListView(DiscState& disc, TrackTableModel* model, QWidget* parent)
    : QTableView(parent), disc_(disc), model_(model) {
    setModel(model_);
    setAccessibleName(tr("Track list"));
    // Tab leaves the list for the next control, as everywhere else: the arrows move in it.
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    setAlternatingRowColors(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Titles are edited in Track settings; a click on a check box marks the track.
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setWordWrap(false);
    QHeaderView* header = horizontalHeader();
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setSectionResizeMode(TrackTableModel::kTitleColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(TrackTableModel::kTimeColumn, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(TrackTableModel::kEncoderColumn, QHeaderView::ResizeToContents);
    header->resizeSection(TrackTableModel::kStatusColumn, kStatusWidth);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TrackListView::OnSelectionChanged);
}

void TrackListView::Refill() {
    // Rows that go take their selection with them: the tracks' own say what stays selected.
    const QScopedValueRollback quiet(quiet_, true);
    horizontalHeader()->resizeSection(TrackTableModel::kStatusColumn, statusWidth_);
    Rewrite();
}

void TrackListView::Rewrite() {
    model_->Reload();
    SelectRowsOfTracks();
}

int TrackListView::FirstSelectedRow() const {
    int first = -1;
    for (const QModelIndex& row : selectionModel()->selectedRows()) {
        first = first < 0 ? row.row() : std::min(first, row.row());
    }
    return first;
}

void TrackListView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                                const QList<int>& roles) {
    QTableView::dataChanged(topLeft, bottomRight, roles);
    // A verdict is longer than the column was made for: widen it rather than cut the text.
    QHeaderView* header = horizontalHeader();
    const int margins = 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 12;
    for (int row = std::max(topLeft.row(), 0); row <= bottomRight.row() && row < model_->rowCount();
         ++row) {
        const int wanted =
            fontMetrics().horizontalAdvance(model_->Text(row, TrackTableModel::kStatusColumn)) +
            margins;
        if (wanted > header->sectionSize(TrackTableModel::kStatusColumn)) {
            header->resizeSection(TrackTableModel::kStatusColumn, wanted);
        }
    }
}

void TrackListView::SelectRowsOfTracks() {
    const QScopedValueRollback quiet(quiet_, true);
    // The selection is set as a whole: selecting row by row would follow the keyboard's
    // modifiers (Ctrl held for a shortcut toggles rows) and replace the rows selected before.
    QItemSelection selection;
    for (int row = 0; row < model_->rowCount(); ++row) {
        if (static_cast<size_t>(row) < disc_.tracks.size() &&
            disc_.tracks[static_cast<size_t>(row)].selected) {
            selection.select(model_->index(row, 0),
                             model_->index(row, TrackTableModel::kStatusColumn));
        }
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    viewport()->update();
}

void TrackListView::OnSelectionChanged() {
    if (quiet_) {
        return;
    }
    for (int row = 0; row < model_->rowCount(); ++row) {
        if (static_cast<size_t>(row) < disc_.tracks.size()) {
            const bool selected =
                selectionModel()->isSelected(model_->index(row, TrackTableModel::kTitleColumn));
            disc_.tracks[static_cast<size_t>(row)].selected = selected ? 1 : 0;
        }
    }
    emit selectionEdited();
}

}  // namespace disctrove::ui
