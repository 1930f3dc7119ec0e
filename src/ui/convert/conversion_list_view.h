// The list of the "Convert files" dialog: files and folders dropped on it from a file manager
// are offered to the dialog, and each row's percentage shows as a bar.
#pragma once

#include <QStringList>
#include <QStyledItemDelegate>
#include <QTreeView>

namespace disctrove::ui {

class ConversionListView : public QTreeView {
    Q_OBJECT

  public:
    explicit ConversionListView(QWidget* parent = nullptr);

    // Whether drops are taken (not while a batch runs).
    void SetDropsTaken(bool taken) { dropsTaken_ = taken; }

    // The local files and folders that `urls` name; what is not a local file is left out.
    static QStringList LocalPaths(const QList<QUrl>& urls);

  signals:
    void pathsDropped(const QStringList& paths);

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    bool Takes(const QMimeData* data) const;

    bool dropsTaken_ = true;
};

// Paints the percentage of ConversionListModel::kPercentRole as a progress bar.
class PercentDelegate : public QStyledItemDelegate {
    Q_OBJECT

  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

}  // namespace disctrove::ui
