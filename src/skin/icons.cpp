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
#include <functional>
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

void Disc(QPainter& p, const QColor& tint, const QColor& rim = QColor(90, 90, 110)) {
    p.setPen(QPen(rim, 1.5));
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

using InkDraw = std::function<void(QPainter&, const QPalette&)>;

// Command icons painted whenever they are shown, from the palette then in use: their lines take
// the text colour and their paper the base colour, so that they stand out on a light theme and a
// dark one alike and follow a change of theme. Their own colours (a red stop, a green tick) stay.
class InkEngine : public QIconEngine {
  public:
    // `fade`: a disabled icon is drawn fainter, its own colours too (glyphs drawn in the text
    // colour alone take the disabled text colour instead).
    InkEngine(InkDraw draw, bool fade) : draw_(std::move(draw)), fade_(fade) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        QPalette palette = QApplication::palette();
        palette.setCurrentColorGroup(mode == QIcon::Disabled ? QPalette::Disabled
                                                             : QPalette::Active);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        if (mode == QIcon::Disabled && fade_) {
            painter->setOpacity(0.45);
        }
        painter->translate(rect.topLeft());
        painter->scale(rect.width() / static_cast<qreal>(kSize),
                       rect.height() / static_cast<qreal>(kSize));
        draw_(*painter, palette);
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return pixmap;
    }

    QIconEngine* clone() const override { return new InkEngine(draw_, fade_); }  // Qt owns it

  private:
    InkDraw draw_;
    bool fade_;
};

QIcon Inked(InkDraw draw, bool fade = true) {
    return QIcon(new InkEngine(std::move(draw), fade));  // the icon owns its engine
}

bool DarkTheme(const QPalette& palette) {
    return palette.color(QPalette::Window).lightness() < 128;
}

// The text colour, a little lighter for secondary lines.
QColor Ink(const QPalette& palette, int alpha = 255) {
    QColor ink = palette.color(QPalette::WindowText);
    ink.setAlpha(alpha);
    return ink;
}

QColor Paper(const QPalette& palette, int alpha = 255) {
    QColor paper = palette.color(QPalette::Base);
    paper.setAlpha(alpha);
    return paper;
}

// A colour of the icon's own, brighter on a dark theme.
QColor Own(const QPalette& palette, const QColor& onLight, const QColor& onDark) {
    return DarkTheme(palette) ? onDark : onLight;
}

// The player's glyphs: filled shapes in the text colour.
QIcon Glyphs(std::vector<QPolygonF> shapes) {
    return Inked(
        [shapes = std::move(shapes)](QPainter& p, const QPalette& palette) {
            p.setPen(Qt::NoPen);
            p.setBrush(Ink(palette));
            for (const QPolygonF& shape : shapes) {
                p.drawPolygon(shape);
            }
        },
        false);
}

QIcon RefreshIcon() {
    return Inked([](QPainter& p, const QPalette& palette) {  // two arrows round a circle
        const QColor blue = Own(palette, QColor(40, 110, 190), QColor(100, 170, 245));
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
    return Inked([](QPainter& p, const QPalette&) {  // a red octagon with a white bar
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
    return Inked([](QPainter& p, const QPalette& palette) {  // a page with lines and a note
        p.setPen(QPen(Ink(palette, 190), 1.5));
        p.setBrush(Paper(palette));
        p.drawRect(QRectF(6, 3, 20, 26));
        p.setPen(QPen(Ink(palette, 140), 2));
        for (int line = 0; line < 4; ++line) {
            p.drawLine(QPointF(10, 9 + line * 5), QPointF(22, 9 + line * 5));
        }
        p.setPen(Qt::NoPen);
        p.setBrush(Own(palette, QColor(200, 110, 40), QColor(240, 150, 70)));
        p.drawEllipse(QRectF(17, 20, 7, 6));
        p.drawRect(QRectF(22, 12, 2, 11));
    });
}

QIcon OptionsIcon() {
    return Inked([](QPainter& p, const QPalette& palette) {  // a gear
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
        p.setPen(QPen(Ink(palette, 220), 1.2));
        p.setBrush(Ink(palette, 110));
        p.drawPath(gear);
    });
}

QIcon LookupIcon() {
    return Inked([](QPainter& p, const QPalette& palette) {  // a disc with a magnifying glass
        Disc(p, QColor(185, 210, 240), Ink(palette, 170));
        p.setPen(QPen(Ink(palette), 3));
        p.setBrush(Paper(palette, 160));
        p.drawEllipse(QRectF(14, 14, 11, 11));
        p.drawLine(QPointF(23, 23), QPointF(30, 30));
    });
}

QIcon RipIcon() {
    return Inked([](QPainter& p, const QPalette& palette) {  // a disc and an arrow to a file
        Disc(p, QColor(185, 210, 240), Ink(palette, 170));
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
    return Inked([](QPainter& p, const QPalette& palette) {  // ticked boxes
        for (int row = 0; row < 2; ++row) {
            const qreal y = 4 + row * 14;
            p.setPen(QPen(Ink(palette, 200), 1.5));
            p.setBrush(Paper(palette));
            p.drawRect(QRectF(4, y, 10, 10));
            p.setPen(QPen(Own(palette, QColor(30, 140, 60), QColor(80, 200, 110)), 2.5));
            p.drawPolyline(QPolygonF({{5.5, y + 5}, {8.5, y + 8}, {13.5, y + 1}}));
            p.setPen(QPen(Ink(palette, 150), 2));
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
        case CommandIcon::dismiss:
            return Inked([](QPainter& p, const QPalette& palette) {  // a cross
                p.setPen(QPen(Ink(palette, 200), 3, Qt::SolidLine, Qt::RoundCap));
                p.drawLine(QPointF(9, 9), QPointF(23, 23));
                p.drawLine(QPointF(23, 9), QPointF(9, 23));
            });
        case CommandIcon::closeDialog:
            return Themed("window-close", QStyle::SP_DialogCloseButton);
    }
    return {};
}

}  // namespace disctrove::skin
