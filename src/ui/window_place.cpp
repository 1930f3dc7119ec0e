#include "ui/window_place.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QStringList>
#include <QWidget>

namespace disctrove::ui {

void RestoreWindowPlace(QWidget& window, const WindowPlace& place, const QSize& fallbackSize) {
    if (place.Width <= 0 || place.Height <= 0) {
        window.resize(fallbackSize);
        return;
    }
    window.resize(place.Width, place.Height);
    // A place on a screen that is no longer there is not restored: the window would be lost.
    const QRect frame(place.Left, place.Top, place.Width, place.Height);
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->availableGeometry().intersects(frame)) {
            window.move(place.Left, place.Top);
            break;
        }
    }
    if (place.Maximized) {
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
    }
}

WindowPlace TakeWindowPlace(const QWidget& window, const QHeaderView& header) {
    WindowPlace place;
    const bool maximized = window.isMaximized();
    // A maximized window keeps the place it returns to when it is restored.
    const QRect normal = maximized ? window.normalGeometry() : QRect(window.pos(), window.size());
    place.Left = normal.x();
    place.Top = normal.y();
    place.Width = normal.width();
    place.Height = normal.height();
    place.Maximized = maximized ? 1 : 0;
    QStringList widths;
    for (int column = 0; column < header.count(); ++column) {
        widths << QString::number(header.sectionSize(column));
    }
    place.Columns = widths.join(QLatin1Char(',')).toStdString();
    return place;
}

std::vector<int> ColumnWidths(const WindowPlace& place) {
    std::vector<int> widths;
    const QString text = QString::fromStdString(place.Columns);
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int width = part.trimmed().toInt(&ok);
        if (!ok || width <= 0) {
            return {};
        }
        widths.push_back(width);
    }
    return widths;
}

}  // namespace disctrove::ui
