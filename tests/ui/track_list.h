// Using the main window's track list as a user does: with the mouse, in its own selection mode.
#pragma once

#include <QTableView>
#include <QtTest>
#include <algorithm>

namespace disctrove::testing {

// Clicks `row` of `list` (shown on screen) with `modifiers` held.
inline void ClickRow(QTableView* list, int row, Qt::KeyboardModifiers modifiers = {}) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers,
                      list->visualRect(list->model()->index(row, 1)).center());
}

inline QList<int> SelectedRows(const QTableView* list) {
    QList<int> rows;
    for (const QModelIndex& index : list->selectionModel()->selectedRows()) {
        rows << index.row();
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

inline int RowCount(const QTableView* list) {
    return list->model()->rowCount();
}

// The text at `row` and `column` of `list`; empty where there is no such cell.
inline QString CellText(const QTableView* list, int row, int column) {
    return list->model()->index(row, column).data().toString();
}

// The check box of `row`, as a click on it would set it or as it shows.
inline void SetCheckState(QTableView* list, int row, Qt::CheckState state) {
    list->model()->setData(list->model()->index(row, 0), state, Qt::CheckStateRole);
}
inline Qt::CheckState CheckState(const QTableView* list, int row) {
    return list->model()->index(row, 0).data(Qt::CheckStateRole).value<Qt::CheckState>();
}

}  // namespace disctrove::testing
