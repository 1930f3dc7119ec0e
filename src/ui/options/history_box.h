// An editable combo box over a history list (output folders, file name templates): a typed
// text joins the front of the list when the list drops down or the box loses the focus, a
// browsed folder when it is chosen.
#pragma once

#include <QComboBox>
#include <string>
#include <vector>

#include "ui/user_dialogs.h"

namespace disctrove::ui {

class HistoryBox : public QComboBox {
    Q_OBJECT

  public:
    HistoryBox(const std::vector<std::string>& history, QWidget* parent);

    // The list as the box holds it, front first.
    std::vector<std::string> history() const;
    std::string text() const;

    // A path chosen with the folder picker: it becomes the text and, when the list does not
    // hold it yet, joins the front of the list (a list of more than eight entries loses its
    // last one first).
    void TakeBrowsed(const QString& path);
    // The typed text joins the front of the list when the list does not hold it yet and is
    // chosen; the list then keeps at most eight entries.
    void TakeTyped();
    // Asks for a folder with the folder picker, starting at the box's text; a chosen one is
    // taken as TakeBrowsed takes it.
    void Browse(UserDialogs& dialogs);

  protected:
    void showPopup() override;
    void focusOutEvent(QFocusEvent* event) override;
};

// `history` with `first` moved (or added) to the front.
std::vector<std::string> WithFirst(std::vector<std::string> history, const std::string& first);

}  // namespace disctrove::ui
