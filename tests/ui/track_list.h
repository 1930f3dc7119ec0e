// Using the main window's track list as a user does: with the mouse, in its own selection mode.
#pragma once

#include <QTableWidget>
#include <QtTest>
#include <algorithm>

namespace disctrove::testing {

// Clicks `row` of `list` (shown on screen) with `modifiers` held.
inline void ClickRow(QTableWidget* list, int row, Qt::KeyboardModifiers modifiers = {}) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers,
                      list->visualRect(list->model()->index(row, 1)).center());
}

inline QList<int> SelectedRows(const QTableWidget* list) {
    QList<int> rows;
    for (const QModelIndex& index : list->selectionModel()->selectedRows()) {
        rows << index.row();
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

}  // namespace disctrove::testing
