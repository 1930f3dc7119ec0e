// The main window's place on the screen and its list's column widths, kept in the settings
// file's WINDOW section from one session to the next.
#pragma once

#include <vector>

#include "app/options.h"

class QHeaderView;
class QSize;
class QWidget;

namespace disctrove::ui {

// Puts `window` where `place` says, inside the screen's available area; a place never stored
// gives `fallbackSize`'s size.
void RestoreWindowPlace(QWidget& window, const WindowPlace& place, const QSize& fallbackSize);

// Where `window` is now, and the widths of `header`'s columns.
WindowPlace TakeWindowPlace(const QWidget& window, const QHeaderView& header);

// The column widths of `place` (none when not stored or not readable).
std::vector<int> ColumnWidths(const WindowPlace& place);

}  // namespace disctrove::ui
