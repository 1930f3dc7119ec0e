#include "skin/tip_of_the_day.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextStream>
#include <QVBoxLayout>
#include <filesystem>

#include "app/settings_path.h"
#include "app/share_path.h"
#include "platform/profile/profile_document.h"
#include "skin/icons.h"

namespace disctrove::skin {

namespace {

std::string TipsSettingsPath() {
    return std::filesystem::path(SettingsPath()).replace_filename("tips.ini").string();
}

}  // namespace

TipOfTheDay::TipOfTheDay(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Tip of the Day"));
    QFile file(QString::fromStdString(ShareFilePath("tips.txt")));
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QTextStream in(&file);
        while (!in.atEnd()) {
            const QString line = in.readLine().trimmed();
            if (!line.isEmpty() && !line.startsWith('#')) {
                tips_.push_back(line);
            }
        }
    }
    const auto settings = platform::ProfileDocument::Load(TipsSettingsPath());
    next_ = std::atoi(settings.ReadString("Tips", "Next", "0").c_str());

    auto* icon = new QLabel(this);
    icon->setPixmap(AppIcon().pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop);
    text_ = new QLabel(this);
    text_->setWordWrap(true);
    text_->setMinimumSize(360, 90);
    text_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addWidget(text_, 1);

    showAtStartUp_ = new QCheckBox(tr("&Show tips at start-up"), this);
    showAtStartUp_->setChecked(settings.ReadString("Tips", "ShowAtStartUp", "True") == "True");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* next = buttons->addButton(tr("&Next tip"), QDialogButtonBox::ActionRole);
    connect(next, &QPushButton::clicked, this, &TipOfTheDay::ShowTip);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(showAtStartUp_);
    layout->addWidget(buttons);
    ShowTip();
}

TipOfTheDay::~TipOfTheDay() {
    const std::string path = TipsSettingsPath();
    auto settings = platform::ProfileDocument::Load(path);
    settings.WriteString("Tips", "ShowAtStartUp", showAtStartUp_->isChecked() ? "True" : "False");
    settings.WriteString("Tips", "Next", std::to_string(next_));
    settings.Save(path);
}

bool TipOfTheDay::ShowAtStartUp() const {
    return showAtStartUp_->isChecked() && !tips_.isEmpty();
}

void TipOfTheDay::ShowTip() {
    if (tips_.isEmpty()) {
        text_->setText(tr("No tips today."));
        return;
    }
    next_ = (next_ % static_cast<int>(tips_.size()) + static_cast<int>(tips_.size())) %
            static_cast<int>(tips_.size());
    text_->setText(tr("<b>Did you know...</b><p>") + tips_[next_].toHtmlEscaped());
    ++next_;
}

}  // namespace disctrove::skin
