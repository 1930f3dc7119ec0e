#include "ui/notice_bar.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

#include "skin/icons.h"

namespace disctrove::ui {

namespace {

QColor Mix(const QColor& base, const QColor& tint, double share) {
    return QColor::fromRgbF(static_cast<float>(base.redF() * (1 - share) + tint.redF() * share),
                            static_cast<float>(base.greenF() * (1 - share) + tint.greenF() * share),
                            static_cast<float>(base.blueF() * (1 - share) + tint.blueF() * share));
}

}  // namespace

NoticeBar::NoticeBar(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    text_ = new QLabel(this);
    text_->setWordWrap(true);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    text_->setTextFormat(Qt::PlainText);
    dismiss_ = new QToolButton(this);
    dismiss_->setIcon(skin::IconFor(skin::CommandIcon::dismiss));
    dismiss_->setAutoRaise(true);
    dismiss_->setToolTip(tr("Dismiss"));
    dismiss_->setAccessibleName(tr("Dismiss"));
    buttons_ = new QHBoxLayout;
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 4, 4, 4);
    layout->addWidget(text_, 1);
    layout->addLayout(buttons_);
    layout->addWidget(dismiss_);
    connect(dismiss_, &QToolButton::clicked, this, &QWidget::hide);
    hide();
}

QString NoticeBar::text() const {
    return text_->text();
}

void NoticeBar::SetText(const QString& text, Tone tone) {
    text_->setText(text);
    tone_ = tone;
    Tint();
}

QPushButton* NoticeBar::AddButton(const QString& text) {
    auto* button = new QPushButton(text, this);
    buttons_->addWidget(button);
    return button;
}

void NoticeBar::changeEvent(QEvent* event) {
    if (!tinting_ &&
        (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)) {
        Tint();
    }
    QFrame::changeEvent(event);
}

void NoticeBar::Tint() {
    // A light wash of the theme's highlight, or of amber for a warning, over the window colour:
    // the text keeps the theme's own colour and stays readable on either.
    const QPalette theme = parentWidget() != nullptr ? parentWidget()->palette() : palette();
    const QColor base = theme.color(QPalette::Window);
    const QColor tint =
        tone_ == Tone::good ? theme.color(QPalette::Highlight) : QColor(230, 150, 20);
    QPalette own = palette();
    own.setColor(QPalette::Window, Mix(base, tint, 0.22));
    tinting_ = true;  // setPalette tells this bar of its own change
    setPalette(own);
    tinting_ = false;
}

}  // namespace disctrove::ui
