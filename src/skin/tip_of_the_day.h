// The tip-of-the-day box: one tip at a time from share/tips.txt, with its own "show at
// start-up" setting kept in tips.ini beside the settings file.
#pragma once

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QLabel;

namespace disctrove::skin {

class TipOfTheDay : public QDialog {
    Q_OBJECT

  public:
    explicit TipOfTheDay(QWidget* parent = nullptr);
    ~TipOfTheDay() override;

    // Whether the box wants to be shown when the program starts (and has tips to show).
    bool ShowAtStartUp() const;

  private:
    void ShowTip();

    QStringList tips_;
    int next_ = 0;
    QLabel* text_ = nullptr;
    QCheckBox* showAtStartUp_ = nullptr;
};

}  // namespace disctrove::skin
