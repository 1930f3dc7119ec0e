#include "ui/track_list_view.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScopedValueRollback>
#include <QStyle>
#include <QStyledItemDelegate>
#include <algorithm>
#include <vector>

#include "ui/track_table_model.h"

namespace disctrove::ui {

namespace {

// The cells' editor. Enter writes the name at once and tells the list to go on to the next row
// (Qt's own delegate writes it later, then stops).
class NameDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

  protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        auto* editor = qobject_cast<QWidget*>(object);
        if (editor != nullptr && event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                emit commitData(editor);
                emit closeEditor(editor, QAbstractItemDelegate::SubmitModelCache);
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }
};

bool NameColumn(int column) {
    return column == TrackTableModel::kTitleColumn || column == TrackTableModel::kArtistColumn;
}

}  // namespace

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
    // A click on a check box marks the track; a click elsewhere only selects, so that several
    // rows can be chosen for Track settings.
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setItemDelegate(new NameDelegate(this));
    setShowGrid(true);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setWordWrap(false);
    QHeaderView* header = horizontalHeader();
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setSectionResizeMode(TrackTableModel::kTitleColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(TrackTableModel::kTimeColumn, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(TrackTableModel::kEncoderColumn, QHeaderView::ResizeToContents);
    header->resizeSection(TrackTableModel::kStatusColumn, kStatusWidth);
    // The track's artist beside its title, shown for a disc of various artists.
    header->moveSection(TrackTableModel::kArtistColumn, TrackTableModel::kTitleColumn + 1);
    header->resizeSection(TrackTableModel::kArtistColumn, 180);
    setColumnHidden(TrackTableModel::kArtistColumn, true);
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

void TrackListView::ShowArtists(bool on) {
    setColumnHidden(TrackTableModel::kArtistColumn, !on);
}

bool TrackListView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    QModelIndex target = index;
    // Space marks the track, as a click on its check box does, from any cell.
    const bool space = event != nullptr && event->type() == QEvent::KeyPress &&
                       static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space;
    if (index.isValid() &&
        (!NameColumn(index.column()) || isColumnHidden(index.column()) || space) &&
        (trigger == DoubleClicked || trigger == EditKeyPressed || trigger == AnyKeyPressed)) {
        target = index.siblingAtColumn(TrackTableModel::kTitleColumn);
    }
    if (target != index && target.isValid() && !space) {
        // The cursor follows the name being edited, for Enter and Tab to go on from it.
        selectionModel()->setCurrentIndex(target, QItemSelectionModel::NoUpdate);
    }
    return QTableView::edit(target, trigger, event);
}

void TrackListView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    const QModelIndex from = currentIndex();
    QModelIndex next;
    switch (hint) {
        case QAbstractItemDelegate::SubmitModelCache:  // Enter: the same name of the next row
            next = from.siblingAtRow(from.row() + 1);
            break;
        case QAbstractItemDelegate::EditNextItem:
            next = NextName(from, 1);
            break;
        case QAbstractItemDelegate::EditPreviousItem:
            next = NextName(from, -1);
            break;
        default:
            QTableView::closeEditor(editor, hint);
            return;
    }
    QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    if (next.isValid()) {
        // The row moved to becomes the selected one, as the arrows would make it.
        selectionModel()->setCurrentIndex(
            next, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        QTableView::edit(next, EditKeyPressed, nullptr);
    }
}

QModelIndex TrackListView::NextName(const QModelIndex& from, int step) const {
    if (!from.isValid()) {
        return {};
    }
    // The name columns in the order the list shows them.
    std::vector<int> columns;
    for (int visual = 0; visual < horizontalHeader()->count(); ++visual) {
        const int column = horizontalHeader()->logicalIndex(visual);
        if (NameColumn(column) && !isColumnHidden(column)) {
            columns.push_back(column);
        }
    }
    const auto at = std::find(columns.begin(), columns.end(), from.column());
    if (at == columns.end()) {
        return {};
    }
    const auto count = static_cast<int>(columns.size());
    const int place = static_cast<int>(at - columns.begin()) + step;
    const int row = from.row() + (place >= count ? 1 : place < 0 ? -1 : 0);
    const int column = columns[static_cast<size_t>((place + count) % count)];
    return row >= 0 && row < model_->rowCount() ? model_->index(row, column) : QModelIndex();
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
                             model_->index(row, TrackTableModel::kColumnCount - 1));
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
