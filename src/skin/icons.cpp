#include "skin/icons.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>

namespace disctrove::skin {

namespace {

constexpr int kSize = 32;

// Draws an icon on a transparent square of kSize pixels.
template <typename Draw>
QIcon Painted(Draw draw) {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    painter.end();
    return QIcon(pixmap);
}

void Disc(QPainter& p, const QColor& tint) {
    p.setPen(QPen(QColor(90, 90, 110), 1.5));
    QRadialGradient shine(QPointF(12, 12), 18);
    shine.setColorAt(0, QColor(245, 245, 250));
    shine.setColorAt(0.6, tint);
    shine.setColorAt(1, QColor(170, 180, 200));
    p.setBrush(shine);
    p.drawEllipse(QRectF(2, 2, 28, 28));
    p.setBrush(QColor(250, 250, 250));
    p.drawEllipse(QRectF(12, 12, 8, 8));
}

// The desktop theme's icon `name`, else the style's `fallback`.
QIcon Themed(const char* name, QStyle::StandardPixmap fallback) {
    return QIcon::fromTheme(QString::fromLatin1(name),
                            QApplication::style()->standardIcon(fallback));
}

}  // namespace

QIcon AppIcon() {
    return Painted([](QPainter& p) { Disc(p, QColor(150, 190, 235)); });
}

QIcon EncoderIcon(EncoderKind kind) {
    static constexpr const char* kNames[] = {"WAV", "OGG", "MP3", "WMA"};
    static const QColor kColors[] = {QColor(110, 120, 135), QColor(60, 150, 90),
                                     QColor(200, 110, 40), QColor(50, 110, 190)};
    const auto index = static_cast<size_t>(kind) < 4 ? static_cast<size_t>(kind) : 0;
    return Painted([index](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(kColors[index]);
        p.drawRoundedRect(QRectF(1, 6, 30, 20), 5, 5);
        QFont font = p.font();
        font.setPixelSize(11);
        font.setBold(true);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRectF(1, 6, 30, 20), Qt::AlignCenter, QString::fromLatin1(kNames[index]));
    });
}

QIcon IconFor(CommandIcon command) {
    switch (command) {
        case CommandIcon::refresh:
            return Themed("view-refresh", QStyle::SP_BrowserReload);
        case CommandIcon::cddb:
            return Painted([](QPainter& p) {  // a disc with a magnifying glass
                Disc(p, QColor(185, 210, 240));
                p.setPen(QPen(QColor(60, 60, 70), 3));
                p.setBrush(QColor(255, 255, 255, 160));
                p.drawEllipse(QRectF(14, 14, 11, 11));
                p.drawLine(QPointF(23, 23), QPointF(30, 30));
            });
        case CommandIcon::rip:
            return Painted([](QPainter& p) {  // a disc and an arrow to a file
                Disc(p, QColor(185, 210, 240));
                p.setPen(Qt::NoPen);
                p.setBrush(QColor(200, 40, 40));
                QPainterPath arrow;
                arrow.moveTo(16, 31);
                arrow.lineTo(8, 21);
                arrow.lineTo(13, 21);
                arrow.lineTo(13, 14);
                arrow.lineTo(19, 14);
                arrow.lineTo(19, 21);
                arrow.lineTo(24, 21);
                arrow.closeSubpath();
                p.drawPath(arrow);
            });
        case CommandIcon::stop:
            return Themed("process-stop", QStyle::SP_BrowserStop);
        case CommandIcon::trackSettings:
            return Themed("document-properties", QStyle::SP_FileDialogDetailedView);
        case CommandIcon::options:
            return Themed("preferences-system", QStyle::SP_ComputerIcon);
        case CommandIcon::markAll:
            return Painted([](QPainter& p) {  // ticked boxes
                for (int row = 0; row < 2; ++row) {
                    const qreal y = 4 + row * 14;
                    p.setPen(QPen(QColor(80, 80, 90), 1.5));
                    p.setBrush(Qt::white);
                    p.drawRect(QRectF(4, y, 10, 10));
                    p.setPen(QPen(QColor(30, 140, 60), 2.5));
                    p.drawPolyline(QPolygonF({{5.5, y + 5}, {8.5, y + 8}, {13.5, y + 1}}));
                    p.setPen(QPen(QColor(120, 120, 130), 2));
                    p.drawLine(QPointF(18, y + 5), QPointF(29, y + 5));
                }
            });
        case CommandIcon::play:
            return Themed("media-playback-start", QStyle::SP_MediaPlay);
        case CommandIcon::playerStop:
            return Themed("media-playback-stop", QStyle::SP_MediaStop);
        case CommandIcon::previous:
            return Themed("media-skip-backward", QStyle::SP_MediaSkipBackward);
        case CommandIcon::next:
            return Themed("media-skip-forward", QStyle::SP_MediaSkipForward);
        case CommandIcon::eject:
            return Painted([](QPainter& p) {
                p.setPen(Qt::NoPen);
                p.setBrush(QColor(70, 70, 80));
                p.drawPolygon(QPolygonF({{16, 6}, {28, 19}, {4, 19}}));
                p.drawRect(QRectF(4, 22, 24, 4));
            });
        case CommandIcon::browse:
            return Themed("folder-open", QStyle::SP_DirOpenIcon);
        case CommandIcon::startWork:
            return Themed("media-playback-start", QStyle::SP_MediaPlay);
        case CommandIcon::stopWork:
            return Themed("process-stop", QStyle::SP_BrowserStop);
        case CommandIcon::closeDialog:
            return Themed("window-close", QStyle::SP_DialogCloseButton);
    }
    return {};
}

}  // namespace disctrove::skin
