// A page of "Global options" that edits settings of the record itself (Misc, Output, CDDB), and
// the checks its fields go through before anything is stored.
#pragma once

#include <QString>
#include <QWidget>
#include <optional>

#include "app/options.h"
#include "front/program_state.h"

class QLineEdit;

namespace disctrove::ui {

// A field whose text is not acceptable, and what to tell the user about it.
// What "Global options" edits until OK or Apply: a copy of the stored options, the disc's names
// (the Misc page) and the session's choices (the naming template, the format pages' groups).
struct OptionsEdit {
    Options options;
    DiscNames names;
    SessionChoices session;
};

struct FieldProblem {
    QString message;
    QWidget* field = nullptr;
};

class OptionsPage : public QWidget {
    Q_OBJECT

  public:
    using QWidget::QWidget;
    // The first field that is not acceptable, if any.
    virtual std::optional<FieldProblem> Check() const { return std::nullopt; }
    // Writes the page's values into `edit`.
    virtual void Store(OptionsEdit& edit) const = 0;
};

// "Please enter an integer." / "Please enter an integer between MIN and MAX." when the text of
// `field` is not a whole number in that range (blanks around it are allowed).
std::optional<FieldProblem> CheckInteger(QLineEdit* field, int minimum, int maximum);

// "Please enter no more than MAX characters." when the text of `field` is longer.
std::optional<FieldProblem> CheckLength(QLineEdit* field, int maximum);

// The number in a text that CheckInteger accepted.
int32_t IntegerOf(const QLineEdit* field);

}  // namespace disctrove::ui
