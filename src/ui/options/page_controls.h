// Building blocks of the option pages and the dialogs that embed them: choice lists with their
// texts, reading a choice back, and the encoder list with its icons.
#pragma once

#include <QStringList>
#include <cstdint>
#include <span>
#include <string_view>

#include "app/formats.h"

class QComboBox;
class QHBoxLayout;
class QLabel;
class QToolButton;
class QWidget;

namespace disctrove::ui {

// A drop-down list of `texts` with entry `index` chosen (none when `index` lies outside it).
QComboBox* ChoiceList(const QStringList& texts, int32_t index, QWidget* parent);

// The chosen entry of `list`; `fallback` when none is chosen.
int32_t ChosenIndex(const QComboBox* list, int32_t fallback);

// The genres a disc may have: none first, then the standard list (a disc's Genre indexes it).
QStringList GenreTexts();

// "%d kbps" for each rate.
QStringList KbpsTexts(std::span<const int32_t> rates);

// The sample-rate list every format page has: "Same as input", then the rates in Hz.
QStringList SampleRateTexts();

QStringList Texts(std::span<const std::string_view> names);

// A bold line naming the encoder at the top of a format page.
QLabel* TitleLabel(const QString& text, QWidget* parent);

// Adds the encoder names from `first` to the last kind to `list`, each with its icon.
void AddEncoderEntries(QComboBox* list, EncoderKind first);

// The bitmap button beside a path field: a folder icon and the tooltip `tip`.
QToolButton* BrowseButton(const QString& tip, QWidget* parent);

// A row of `field` with `button` at its right.
QHBoxLayout* WithButton(QWidget* field, QToolButton* button);

}  // namespace disctrove::ui
