// The main window's commands as actions: the menu bar's, the track list's context menu and the
// ones the buttons trigger, and the one place that says which of them can act now.
#pragma once

#include <QObject>
#include <utility>
#include <vector>

#include "ui/options/options_dialog.h"

class QAbstractButton;
class QAction;
class QMainWindow;
class QMenu;
class QWidget;

namespace disctrove::ui {

// What decides which commands can act.
struct WindowState {
    bool ripping = false;    // a rip runs (or has not yet been seen to end)
    bool disc = false;       // the list holds tracks
    bool mayLookUp = false;  // no look-up runs, and the disc has not been named yet
    bool ripLog = false;     // a finished rip wrote a log that is still there
};

class WindowActions : public QObject {
    Q_OBJECT

  public:
    // Builds the menus in `window`'s menu bar and the track list's context menu.
    explicit WindowActions(QMainWindow& window);

    // The menu bar's commands.
    QAction* refresh = nullptr;
    QAction* rip = nullptr;
    QAction* stop = nullptr;
    QAction* cddb = nullptr;
    QAction* encodeWav = nullptr;
    QAction* decodeFile = nullptr;
    QAction* convertFiles = nullptr;
    QAction* exit = nullptr;
    QAction* undo = nullptr;  // the last name typed in the window taken back
    QAction* trackSettings = nullptr;
    QAction* markAll = nullptr;
    QAction* unmarkAll = nullptr;
    QAction* reverseMarks = nullptr;
    QAction* selectAll = nullptr;
    QAction* markSelected = nullptr;
    std::vector<std::pair<QAction*, OptionsTab>> options;  // Global... first
    QAction* helpContents = nullptr;
    QAction* quickStart = nullptr;
    QAction* ripLog = nullptr;
    QAction* about = nullptr;
    QMenu* helpMenu = nullptr;
    // The context menu's; Play and Stop are the player's buttons' too.
    QMenu* contextMenu = nullptr;
    QAction* contextTrackSettings = nullptr;
    QAction* toggleMark = nullptr;
    QAction* play = nullptr;
    QAction* playerStop = nullptr;
    // The player's other buttons.
    QAction* previous = nullptr;
    QAction* next = nullptr;
    QAction* eject = nullptr;

    // `button` triggers `action` and is enabled with it.
    static void Bind(QAbstractButton* button, QAction* action);
    // `widget` (a box) can act when the commands that need no disc can.
    void FollowIdle(QWidget* widget) { idleWidgets_.push_back(widget); }

    // Enables the commands that can act in `state` and disables the others.
    void Update(const WindowState& state);

    // The menu bar's action whose text (without its "&") is `text`; null when there is none.
    QAction* MenuAction(const QString& text) const;

  private:
    void BuildFileMenu(QMenu* file);
    void BuildEditMenu(QMenu* edit);
    void BuildOptionsMenu(QMenu* menu);
    void BuildHelpMenu(QMenu* help);
    void BuildContextMenu(QWidget* window);

    QMainWindow& window_;
    std::vector<QWidget*> idleWidgets_;
};

}  // namespace disctrove::ui
