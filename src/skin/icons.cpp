#include "skin/icons.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>
#include <array>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

namespace disctrove::skin {

namespace {

constexpr int kSize = 32;

// Draws an icon on a transparent square of kSize logical pixels, once for each scale a screen
// may have: at 200 % the icon is drawn with twice the pixels, not enlarged from the small one.
template <typename Draw>
QIcon Painted(Draw draw) {
    QIcon icon;
    for (const qreal ratio : {1.0, 1.25, 1.5, 2.0, 3.0}) {
        const int side = qRound(kSize * ratio);
        QPixmap pixmap(side, side);
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        draw(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
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
    static constexpr std::array<const char*, kEncoderKinds> kNames = {"WAV", "OGG",  "MP3",
                                                                      "WMA", "FLAC", "OPUS"};
    static const std::array<QColor, kEncoderKinds> kColors = {
        QColor(110, 120, 135), QColor(60, 150, 90),  QColor(200, 110, 40),
        QColor(50, 110, 190),  QColor(150, 60, 150), QColor(170, 50, 70)};
    const auto index = static_cast<size_t>(kind) < kEncoderKinds ? static_cast<size_t>(kind) : 0;
    return Painted([index](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(kColors[index]);
        p.drawRoundedRect(QRectF(1, 6, 30, 20), 5, 5);
        QFont font = p.font();
        // Four letters fit the badge only a size smaller.
        font.setPixelSize(std::strlen(kNames[index]) > 3 ? 9 : 11);
        font.setBold(true);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRectF(1, 6, 30, 20), Qt::AlignCenter, QString::fromLatin1(kNames[index]));
    });
}

namespace {

// The player's glyphs, on the same square as the commands, painted whenever they are shown in
// the text colour of the palette then in use: they stand out on a light theme and a dark one
// alike, and follow a change of theme.
class GlyphEngine : public QIconEngine {
  public:
    explicit GlyphEngine(std::vector<QPolygonF> shapes) : shapes_(std::move(shapes)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        const QPalette::ColorGroup group =
            mode == QIcon::Disabled ? QPalette::Disabled : QPalette::Active;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(rect.topLeft());
        painter->scale(rect.width() / static_cast<qreal>(kSize),
                       rect.height() / static_cast<qreal>(kSize));
        painter->setPen(Qt::NoPen);
        painter->setBrush(QApplication::palette().color(group, QPalette::WindowText));
        for (const QPolygonF& shape : shapes_) {
            painter->drawPolygon(shape);
        }
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return pixmap;
    }

    QIconEngine* clone() const override { return new GlyphEngine(shapes_); }  // Qt owns it

  private:
    std::vector<QPolygonF> shapes_;
};

QIcon Glyphs(std::vector<QPolygonF> shapes) {
    return QIcon(new GlyphEngine(std::move(shapes)));  // the icon owns its engine
}

QIcon RefreshIcon() {
    return Painted([](QPainter& p) {  // two arrows chasing each other round a circle
        const QColor blue(40, 110, 190);
        p.setPen(QPen(blue, 3.5, Qt::SolidLine, Qt::FlatCap));
        p.setBrush(Qt::NoBrush);
        const QRectF ring(6, 6, 20, 20);
        p.drawArc(ring, 20 * 16, 140 * 16);
        p.drawArc(ring, 200 * 16, 140 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(blue);
        p.drawPolygon(QPolygonF({{3, 11}, {11, 11}, {7, 18}}));
        p.drawPolygon(QPolygonF({{29, 21}, {21, 21}, {25, 14}}));
    });
}

QIcon StopIcon() {
    return Painted([](QPainter& p) {  // a red octagon with a white bar
        QPolygonF octagon;
        for (int i = 0; i < 8; ++i) {
            const double angle = (22.5 + 45.0 * i) * 3.14159265358979 / 180.0;
            octagon << QPointF(16 + 14 * std::cos(angle), 16 + 14 * std::sin(angle));
        }
        p.setPen(QPen(QColor(150, 20, 20), 1.5));
        p.setBrush(QColor(210, 45, 45));
        p.drawPolygon(octagon);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(8, 14, 16, 4));
    });
}

QIcon TrackSettingsIcon() {
    return Painted([](QPainter& p) {  // a page with lines and a small note on it
        p.setPen(QPen(QColor(90, 90, 110), 1.5));
        p.setBrush(QColor(250, 250, 252));
        p.drawRect(QRectF(6, 3, 20, 26));
        p.setPen(QPen(QColor(120, 120, 135), 2));
        for (int line = 0; line < 4; ++line) {
            p.drawLine(QPointF(10, 9 + line * 5), QPointF(22, 9 + line * 5));
        }
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(200, 110, 40));
        p.drawEllipse(QRectF(17, 20, 7, 6));
        p.drawRect(QRectF(22, 12, 2, 11));
    });
}

QIcon OptionsIcon() {
    return Painted([](QPainter& p) {  // a gear
        QPainterPath gear;
        constexpr int kTeeth = 8;
        for (int i = 0; i < kTeeth * 2; ++i) {
            const double radius = i % 2 == 0 ? 14.0 : 10.5;
            for (const double step : {-0.17, 0.17}) {
                const double angle = (i + 0.5 + step) * 3.14159265358979 / kTeeth;
                const QPointF point(16 + radius * std::cos(angle), 16 + radius * std::sin(angle));
                if (gear.elementCount() == 0) {
                    gear.moveTo(point);
                } else {
                    gear.lineTo(point);
                }
            }
        }
        gear.closeSubpath();
        gear.addEllipse(QRectF(11, 11, 10, 10));
        p.setPen(QPen(QColor(60, 60, 75), 1.2));
        p.setBrush(QColor(140, 150, 170));
        p.drawPath(gear);
    });
}

QIcon LookupIcon() {
    return Painted([](QPainter& p) {  // a disc with a magnifying glass
        Disc(p, QColor(185, 210, 240));
        p.setPen(QPen(QColor(60, 60, 70), 3));
        p.setBrush(QColor(255, 255, 255, 160));
        p.drawEllipse(QRectF(14, 14, 11, 11));
        p.drawLine(QPointF(23, 23), QPointF(30, 30));
    });
}

QIcon RipIcon() {
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
}

QIcon MarkAllIcon() {
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
}

}  // namespace

QIcon IconFor(CommandIcon command) {
    switch (command) {
        case CommandIcon::refresh:
            return RefreshIcon();
        case CommandIcon::cddb:
            return LookupIcon();
        case CommandIcon::rip:
            return RipIcon();
        case CommandIcon::stop:
        case CommandIcon::stopWork:
            return StopIcon();
        case CommandIcon::trackSettings:
            return TrackSettingsIcon();
        case CommandIcon::options:
            return OptionsIcon();
        case CommandIcon::markAll:
            return MarkAllIcon();
        case CommandIcon::play:
        case CommandIcon::startWork:
            return Glyphs({QPolygonF({{9, 5}, {27, 16}, {9, 27}})});
        case CommandIcon::playerStop:
            return Glyphs({QPolygonF(QRectF(7, 7, 18, 18))});
        case CommandIcon::previous:
            return Glyphs(
                {QPolygonF(QRectF(5, 7, 4, 18)), QPolygonF({{26, 7}, {10, 16}, {26, 25}})});
        case CommandIcon::next:
            return Glyphs(
                {QPolygonF({{6, 7}, {22, 16}, {6, 25}}), QPolygonF(QRectF(23, 7, 4, 18))});
        case CommandIcon::eject:
            return Glyphs(
                {QPolygonF({{16, 6}, {28, 19}, {4, 19}}), QPolygonF(QRectF(4, 22, 24, 4))});
        case CommandIcon::browse:
            return Themed("folder-open", QStyle::SP_DirOpenIcon);
        case CommandIcon::closeDialog:
            return Themed("window-close", QStyle::SP_DialogCloseButton);
    }
    return {};
}

}  // namespace disctrove::skin
