#include "ui/window_actions.h"

#include <QAbstractButton>
#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace disctrove::ui {

namespace {

QAction* Add(QMenu* menu, const QString& text, const QKeySequence& key = {}) {
    QAction* action = menu->addAction(text);
    action->setShortcut(key);
    return action;
}

}  // namespace

WindowActions::WindowActions(QMainWindow& window) : QObject(&window), window_(window) {
    QMenuBar* bar = window.menuBar();
    BuildFileMenu(bar->addMenu(tr("&File")));
    BuildEditMenu(bar->addMenu(tr("&Edit")));
    BuildOptionsMenu(bar->addMenu(tr("&Options")));
    helpMenu = bar->addMenu(tr("&Help"));
    BuildHelpMenu(helpMenu);
    BuildContextMenu(&window);
    // Buttons without a menu entry: the actions live with this object.
    previous = new QAction(this);
    next = new QAction(this);
    eject = new QAction(this);
}

void WindowActions::BuildFileMenu(QMenu* file) {
    refresh = Add(file, tr("&Refresh CD-ROM"), QKeySequence(Qt::Key_F5));
    rip = Add(file, tr("Ri&p marked tracks"), QKeySequence(Qt::CTRL | Qt::Key_R));
    stop = Add(file, tr("&Stop ripping"), QKeySequence(Qt::CTRL | Qt::Key_S));
    cddb = Add(file, tr("&Get CDDB Info"), QKeySequence(Qt::CTRL | Qt::Key_I));
    file->addSeparator();
    encodeWav = Add(file, tr("&Encode WAV file..."));
    decodeFile = Add(file, tr("&Decode file..."));
    convertFiles = Add(file, tr("&Convert files..."));
    file->addSeparator();
    exit = Add(file, tr("E&xit"), QKeySequence(Qt::ALT | Qt::Key_F4));
}

void WindowActions::BuildEditMenu(QMenu* edit) {
    undo = Add(edit, tr("Und&o name change"), QKeySequence::Undo);
    edit->addSeparator();
    trackSettings = Add(edit, tr("&Track settings..."), QKeySequence(Qt::CTRL | Qt::Key_T));
    edit->addSeparator();
    markAll = Add(edit, tr("&Mark all tracks"), QKeySequence(Qt::CTRL | Qt::Key_M));
    unmarkAll = Add(edit, tr("&Unmark all tracks"), QKeySequence(Qt::CTRL | Qt::Key_U));
    reverseMarks = Add(edit, tr("Re&verse marks"), QKeySequence(Qt::CTRL | Qt::Key_V));
    edit->addSeparator();
    selectAll = Add(edit, tr("Select &all tracks"), QKeySequence(Qt::CTRL | Qt::Key_A));
    markSelected = Add(edit, tr("Mark &selected"));
}

void WindowActions::BuildOptionsMenu(QMenu* menu) {
    options.emplace_back(Add(menu, tr("&Global..."), QKeySequence(Qt::CTRL | Qt::Key_O)),
                         OptionsTab::misc);
    menu->addSeparator();
    const std::pair<const char*, OptionsTab> pages[] = {
        {QT_TR_NOOP("&Secure settings..."), OptionsTab::secure},
        {QT_TR_NOOP("O&utput..."), OptionsTab::output},  // Alt+O is OGG's
        {QT_TR_NOOP("WA&V format settings..."), OptionsTab::wav},
        {QT_TR_NOOP("&OGG format settings..."), OptionsTab::ogg},
        {QT_TR_NOOP("&MP3 format settings..."), OptionsTab::mp3},
        {QT_TR_NOOP("&WMA format settings..."), OptionsTab::wma},
        {QT_TR_NOOP("&FLAC format settings..."), OptionsTab::flac},
        {QT_TR_NOOP("O&PUS format settings..."), OptionsTab::opus},
        {QT_TR_NOOP("&CDDB settings..."), OptionsTab::cddb}};
    for (const auto& [text, tab] : pages) {
        options.emplace_back(Add(menu, tr(text)), tab);
    }
}

void WindowActions::BuildHelpMenu(QMenu* help) {
    helpContents = Add(help, tr("&Contents"));
    quickStart = Add(help, tr("&Quick start guide"));
    help->addSeparator();
    ripLog = Add(help, tr("Show rip &log"));
    help->addSeparator();
    about = Add(help, tr("About Disctrove..."));
}

void WindowActions::BuildContextMenu(QWidget* window) {
    contextMenu = new QMenu(window);
    contextTrackSettings = contextMenu->addAction(tr("Track settings..."));
    contextMenu->addSeparator();
    toggleMark = contextMenu->addAction(tr("Mark/unmark track"));
    play = contextMenu->addAction(tr("Play"));
    playerStop = contextMenu->addAction(tr("Stop"));
}

void WindowActions::Bind(QAbstractButton* button, QAction* action) {
    connect(button, &QAbstractButton::clicked, action, &QAction::trigger);
    connect(action, &QAction::enabledChanged, button, &QWidget::setEnabled);
    button->setEnabled(action->isEnabled());
}

void WindowActions::Update(const WindowState& state) {
    const bool idle = !state.ripping;
    const bool withDisc = idle && state.disc;
    stop->setEnabled(state.ripping);
    cddb->setEnabled(withDisc && state.mayLookUp);
    for (QAction* action :
         {rip, trackSettings, contextTrackSettings, markAll, unmarkAll, reverseMarks, play}) {
        action->setEnabled(withDisc);
    }
    for (QAction* action :
         {refresh, encodeWav, decodeFile, playerStop, previous, next, eject, undo}) {
        action->setEnabled(idle);
    }
    for (const auto& [action, tab] : options) {
        action->setEnabled(idle);
    }
    for (QWidget* widget : idleWidgets_) {
        widget->setEnabled(idle);
    }
    ripLog->setEnabled(state.ripLog);
}

QAction* WindowActions::MenuAction(const QString& text) const {
    for (QAction* entry : window_.menuBar()->actions()) {
        if (entry->text().remove(QLatin1Char('&')) == text) {
            return entry;  // a menu's own title
        }
        if (entry->menu() == nullptr) {
            continue;
        }
        for (QAction* action : entry->menu()->actions()) {
            if (action->text().remove(QLatin1Char('&')) == text) {
                return action;
            }
        }
    }
    return nullptr;
}

}  // namespace disctrove::ui
