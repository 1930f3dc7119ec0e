#include "ui/options/page_controls.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

#include "app/genres.h"
#include "skin/icons.h"
#include "ui/core_texts.h"
#include "ui/options/format_pages.h"

namespace disctrove::ui {

QComboBox* ChoiceList(const QStringList& texts, int32_t index, QWidget* parent) {
    auto* list = new QComboBox(parent);
    list->addItems(texts);
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
    return list;
}

int32_t ChosenIndex(const QComboBox* list, int32_t fallback) {
    return list->currentIndex() >= 0 ? list->currentIndex() : fallback;
}

QStringList GenreTexts() {
    QStringList texts{QString()};  // position 0: no genre
    for (size_t i = 0; i < GenreNames.size(); ++i) {
        const std::string_view name = StandardGenreName(i);
        texts << QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
    }
    return texts;
}

QStringList KbpsTexts(std::span<const int32_t> rates) {
    QStringList texts;
    for (const int32_t rate : rates) {
        texts << FormatPage::tr("%1 kbps").arg(rate);
    }
    return texts;
}

QStringList SampleRateTexts() {
    QStringList texts{FormatPage::tr("Same as input")};
    for (size_t i = 1; i < kSampleRates.size(); ++i) {
        texts << FormatPage::tr("%1 Hz").arg(kSampleRates[i]);
    }
    return texts;
}

QStringList Texts(std::span<const std::string_view> names) {
    QStringList texts;
    for (const std::string_view name : names) {
        texts << CoreText(name);
    }
    return texts;
}

QLabel* TitleLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

void AddEncoderEntries(QComboBox* list, EncoderKind first) {
    list->setIconSize(QSize(28, 20));
    for (int kind = first; kind < static_cast<int>(kEncoderKinds); ++kind) {
        const std::string_view name = kEncoderNames[static_cast<size_t>(kind)];
        list->addItem(skin::EncoderIcon(static_cast<EncoderKind>(kind)),
                      QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
    }
}

QToolButton* BrowseButton(const QString& tip, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setIcon(skin::IconFor(skin::CommandIcon::browse));
    button->setToolTip(tip);
    return button;
}

QHBoxLayout* WithButton(QWidget* field, QToolButton* button) {
    auto* row = new QHBoxLayout;
    row->addWidget(field, 1);
    row->addWidget(button);
    return row;
}

}  // namespace disctrove::ui
