// A bar above the track list that tells one thing in a sentence, with buttons to act on it and
// one to dismiss it. Its colour comes from the palette, so it reads in light and dark themes.
#pragma once

#include <QFrame>

class QHBoxLayout;
class QLabel;
class QPushButton;
class QToolButton;

namespace disctrove::ui {

class NoticeBar : public QFrame {
    Q_OBJECT

  public:
    enum class Tone { good, warning };

    explicit NoticeBar(QWidget* parent);

    QString text() const;
    QToolButton* dismissButton() const { return dismiss_; }

  protected:
    void SetText(const QString& text, Tone tone);
    // A button before the dismiss button.
    QPushButton* AddButton(const QString& text);
    void changeEvent(QEvent* event) override;

  private:
    void Tint();

    Tone tone_ = Tone::good;
    bool tinting_ = false;
    QLabel* text_;
    QHBoxLayout* buttons_;
    QToolButton* dismiss_;
};

}  // namespace disctrove::ui
