#include "ui/convert/conversion_list_view.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QStyleOptionProgressBar>
#include <QUrl>

#include "ui/convert/conversion_list_model.h"

namespace disctrove::ui {

ConversionListView::ConversionListView(QWidget* parent) : QTreeView(parent) {
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragDropMode(QAbstractItemView::DropOnly);
    setItemDelegateForColumn(ConversionListModel::percentColumn, new PercentDelegate(this));
}

QStringList ConversionListView::LocalPaths(const QList<QUrl>& urls) {
    QStringList paths;
    for (const QUrl& url : urls) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty()) {
            paths << url.toLocalFile();
        }
    }
    return paths;
}

bool ConversionListView::Takes(const QMimeData* data) const {
    return dropsTaken_ && data != nullptr && data->hasUrls() && !LocalPaths(data->urls()).isEmpty();
}

// The list takes the drop itself rather than through the model: a drop adds paths, it never
// moves rows.
void ConversionListView::dragEnterEvent(QDragEnterEvent* event) {
    if (Takes(event->mimeData())) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void ConversionListView::dragMoveEvent(QDragMoveEvent* event) {
    if (Takes(event->mimeData())) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void ConversionListView::dropEvent(QDropEvent* event) {
    if (!Takes(event->mimeData())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit pathsDropped(LocalPaths(event->mimeData()->urls()));
}

void PercentDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    const int percent = index.data(ConversionListModel::kPercentRole).toInt();
    if (percent < 0) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionProgressBar bar;
    bar.rect = option.rect.adjusted(2, 2, -2, -2);
    bar.minimum = 0;
    bar.maximum = 100;
    bar.progress = percent;
    bar.text = index.data(Qt::DisplayRole).toString();
    bar.textVisible = true;
    bar.textAlignment = Qt::AlignCenter;
    bar.state = option.state | QStyle::State_Horizontal;
    bar.palette = option.palette;
    bar.fontMetrics = option.fontMetrics;
    const QWidget* widget = option.widget;
    QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ProgressBar, &bar, painter, widget);
}

}  // namespace disctrove::ui
