#include "ui/window_place.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QStringList>
#include <QStyle>
#include <QWidget>
#include <algorithm>

namespace disctrove::ui {

namespace {

// `frame` shrunk to `area` where it is larger, and moved into it.
QRect FitInside(QRect frame, const QRect& area) {
    frame.setSize(frame.size().boundedTo(area.size()));
    frame.moveLeft(std::clamp(frame.left(), area.left(), area.right() - frame.width() + 1));
    frame.moveTop(std::clamp(frame.top(), area.top(), area.bottom() - frame.height() + 1));
    return frame;
}

}  // namespace

void RestoreWindowPlace(QWidget& window, const WindowPlace& place, const QSize& fallbackSize) {
    const bool stored = place.Width > 0 && place.Height > 0;
    const QRect saved(place.Left, place.Top, place.Width, place.Height);
    // A place on a screen that is no longer there is not restored: the window would be lost.
    const QScreen* screen = nullptr;
    for (const QScreen* candidate : QGuiApplication::screens()) {
        if (stored && candidate->availableGeometry().intersects(saved)) {
            screen = candidate;
            break;
        }
    }
    const QScreen* shownOn = screen != nullptr ? screen : QGuiApplication::primaryScreen();
    // The place is the frame's corner and the inside's size. The desktop's frame is known only
    // once the window is shown; the style's title bar and border are a fair guess of it.
    const int border = window.style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
    const QMargins margins(border, window.style()->pixelMetric(QStyle::PM_TitleBarHeight), border,
                           border);
    QRect frame(saved.topLeft(), (stored ? saved.size() : fallbackSize).grownBy(margins));
    if (shownOn != nullptr) {
        // A window larger than the screen (saved at another scale, or on a larger screen) would
        // open with its buttons out of reach.
        frame = FitInside(frame, shownOn->availableGeometry());
    }
    window.resize(frame.size().shrunkBy(margins));
    if (screen != nullptr) {
        window.move(frame.topLeft());
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
        // A hidden column (the track artists') has no width of its own: the default stands in.
        widths << QString::number(header.isSectionHidden(column) ? header.defaultSectionSize()
                                                                 : header.sectionSize(column));
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
