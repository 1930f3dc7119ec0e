#include "ui/options/options_page.h"

#include <QLineEdit>

namespace disctrove::ui {

std::optional<FieldProblem> CheckInteger(QLineEdit* field, int minimum, int maximum) {
    bool ok = false;
    const int value = field->text().trimmed().toInt(&ok, 10);
    if (!ok) {
        return FieldProblem{OptionsPage::tr("Please enter an integer."), field};
    }
    if (value < minimum || value > maximum) {
        return FieldProblem{
            OptionsPage::tr("Please enter an integer between %1 and %2.").arg(minimum).arg(maximum),
            field};
    }
    return std::nullopt;
}

std::optional<FieldProblem> CheckLength(QLineEdit* field, int maximum) {
    if (field->text().size() > maximum) {
        return FieldProblem{
            OptionsPage::tr("Please enter no more than %1 characters.").arg(maximum), field};
    }
    return std::nullopt;
}

int32_t IntegerOf(const QLineEdit* field) {
    return field->text().trimmed().toInt(nullptr, 10);
}

}  // namespace disctrove::ui
