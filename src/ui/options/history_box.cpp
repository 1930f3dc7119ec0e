#include "ui/options/history_box.h"

#include <QLineEdit>
#include <algorithm>

namespace disctrove::ui {

namespace {

constexpr int kKeptEntries = 8;

}  // namespace

HistoryBox::HistoryBox(const std::vector<std::string>& history, QWidget* parent)
    : QComboBox(parent) {
    setEditable(true);
    // New texts join the list by the rules below, not by Qt's insert policy.
    setInsertPolicy(QComboBox::NoInsert);
    for (const std::string& entry : history) {
        addItem(QString::fromStdString(entry));
    }
    setCurrentIndex(count() > 0 ? 0 : -1);
}

std::vector<std::string> HistoryBox::history() const {
    std::vector<std::string> entries;
    entries.reserve(static_cast<size_t>(count()));
    for (int i = 0; i < count(); ++i) {
        entries.push_back(itemText(i).toStdString());
    }
    return entries;
}

std::string HistoryBox::text() const {
    return currentText().toStdString();
}

void HistoryBox::TakeBrowsed(const QString& path) {
    if (findText(path, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0) {
        if (count() > kKeptEntries) {
            removeItem(count() - 1);
        }
        insertItem(0, path);
    }
    setEditText(path);
}

void HistoryBox::Browse(UserDialogs& dialogs) {
    const QString path = dialogs.PickFolder(this, currentText());
    if (!path.isEmpty()) {
        TakeBrowsed(path);
    }
}

void HistoryBox::TakeTyped() {
    const QString typed = currentText();
    if (typed.isEmpty() || findText(typed, Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0) {
        return;
    }
    insertItem(0, typed);
    setCurrentIndex(0);
    while (count() > kKeptEntries) {
        removeItem(count() - 1);
    }
}

void HistoryBox::showPopup() {
    TakeTyped();
    QComboBox::showPopup();
}

void HistoryBox::focusOutEvent(QFocusEvent* event) {
    TakeTyped();
    QComboBox::focusOutEvent(event);
}

std::vector<std::string> WithFirst(std::vector<std::string> history, const std::string& first) {
    const auto found = std::find(history.begin(), history.end(), first);
    if (found != history.end()) {
        history.erase(found);
    }
    history.insert(history.begin(), first);
    return history;
}

}  // namespace disctrove::ui
