// The main window's controls and where they sit; what they do is wired in main_window.cpp.
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QShortcut>
#include <QSlider>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "skin/icons.h"
#include "ui/album_panel.h"
#include "ui/lookup_banner.h"
#include "ui/main_window.h"
#include "ui/rip_outcome_bar.h"
#include "ui/run_progress.h"
#include "ui/track_list_view.h"
#include "ui/track_table_model.h"

namespace disctrove::ui {

namespace {

QToolButton* CommandButton(QWidget* parent, skin::CommandIcon icon, const QString& text,
                           const QString& tip) {
    auto* button = new QToolButton(parent);
    button->setIcon(skin::IconFor(icon));
    button->setIconSize(QSize(28, 28));
    button->setText(text);
    button->setToolTip(tip);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    button->setMinimumWidth(78);
    return button;
}

}  // namespace

QWidget* MainWindow::BuildControls() {
    auto* central = new QWidget(this);
    // The controls in the order Tab visits them, as they are laid out.
    std::vector<QWidget*> focusChain;
    QHBoxLayout* boxes = BuildBoxes(central, focusChain);
    albumPanel_ = new AlbumPanel(disc_, *edits_, central);
    for (QWidget* field : albumPanel_->FocusChain()) {
        focusChain.push_back(field);
    }
    actions_->FollowIdle(albumPanel_->fields());
    trackList_ = new TrackListView(disc_, model_, central);
    focusChain.push_back(trackList_);
    connect(albumPanel_, &AlbumPanel::variousArtistsChanged, trackList_,
            &TrackListView::ShowArtists);
    connect(albumPanel_, &AlbumPanel::namesEdited, model_, &TrackTableModel::Reload);
    connect(model_, &TrackTableModel::reloaded, albumPanel_, &AlbumPanel::ShowNames);
    QHBoxLayout* buttons = BuildButtons(central, focusChain);
    QHBoxLayout* player = BuildPlayer(central, focusChain);
    SetTabOrder(focusChain);

    auto* layout = new QVBoxLayout(central);
    layout->addLayout(boxes);
    outcomeBar_ = new RipOutcomeBar(central);
    lookupBanner_ = new LookupBanner(central);
    layout->addWidget(outcomeBar_);
    layout->addWidget(lookupBanner_);
    layout->addWidget(albumPanel_);
    layout->addWidget(trackList_, 1);
    layout->addLayout(buttons);
    layout->addLayout(player);
    return central;
}

QHBoxLayout* MainWindow::BuildBoxes(QWidget* central, std::vector<QWidget*>& focusChain) {
    driveBox_ = new QComboBox(central);
    driveBox_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    driveBox_->setMinimumContentsLength(28);
    // A screen reader would say only the box's value without a name.
    driveBox_->setAccessibleName(tr("Drive"));
    encoderBox_ = new QComboBox(central);
    encoderBox_->setAccessibleName(tr("Encoder"));
    actions_->FollowIdle(driveBox_);
    actions_->FollowIdle(encoderBox_);

    auto* boxes = new QHBoxLayout;
    auto* driveLabel = new QLabel(tr("&Drive:"), central);
    driveLabel->setBuddy(driveBox_);
    boxes->addWidget(driveLabel);
    boxes->addWidget(driveBox_, 1);
    boxes->addSpacing(12);
    // Alt+E is the Edit menu's.
    auto* encoderLabel = new QLabel(tr("E&ncoder:"), central);
    encoderLabel->setBuddy(encoderBox_);
    boxes->addWidget(encoderLabel);
    boxes->addWidget(encoderBox_);
    focusChain.push_back(driveBox_);
    focusChain.push_back(encoderBox_);
    return boxes;
}

QHBoxLayout* MainWindow::BuildButtons(QWidget* central, std::vector<QWidget*>& focusChain) {
    auto* buttons = new QHBoxLayout;
    const auto button = [&](skin::CommandIcon icon, const QString& text, const QString& tip,
                            QAction* action) {
        QToolButton* b = CommandButton(central, icon, text, tip);
        WindowActions::Bind(b, action);
        buttons->addWidget(b);
        focusChain.push_back(b);
    };
    button(skin::CommandIcon::refresh, tr("Refresh"), tr("Refresh CD"), actions_->refresh);
    button(skin::CommandIcon::cddb, QStringLiteral("CDDB"), tr("Get CDDB info"), actions_->cddb);
    button(skin::CommandIcon::rip, tr("Rip"), tr("Rip marked tracks"), actions_->rip);
    button(skin::CommandIcon::stop, tr("Stop"), tr("Stop ripping"), actions_->stop);
    button(skin::CommandIcon::markAll, tr("Mark all"), tr("Select/Unselect All"),
           actions_->markAll);
    buttons->addStretch(1);
    button(skin::CommandIcon::trackSettings, tr("Track"), tr("Track settings"),
           actions_->trackSettings);
    button(skin::CommandIcon::options, tr("Options"), tr("Global options"),
           actions_->options.front().first);
    return buttons;
}

QHBoxLayout* MainWindow::BuildPlayer(QWidget* central, std::vector<QWidget*>& focusChain) {
    auto* player = new QHBoxLayout;
    // Icons without text: the name is what a screen reader says ("Stop" alone would be the
    // rip's Stop).
    const auto playerButton = [&](skin::CommandIcon icon, const QString& tip, const QString& name,
                                  QAction* action) {
        auto* b = new QToolButton(central);
        b->setIcon(skin::IconFor(icon));
        b->setIconSize(QSize(20, 20));
        b->setToolTip(tip);
        b->setAccessibleName(name);
        b->setAutoRaise(true);
        WindowActions::Bind(b, action);
        player->addWidget(b);
        focusChain.push_back(b);
    };
    playerButton(skin::CommandIcon::play, tr("Play track"), tr("Play track"), actions_->play);
    playerButton(skin::CommandIcon::playerStop, tr("Stop"), tr("Stop playing"),
                 actions_->playerStop);
    playerButton(skin::CommandIcon::previous, tr("Previous track"), tr("Previous track"),
                 actions_->previous);
    playerButton(skin::CommandIcon::next, tr("Next track"), tr("Next track"), actions_->next);
    playerButton(skin::CommandIcon::eject, tr("Eject"), tr("Eject"), actions_->eject);
    position_->setAccessibleName(tr("Position"));
    player->addWidget(position_, 3);
    player->addSpacing(12);
    auto* volumeLabel = new QLabel(tr("Volume:"), central);
    player->addWidget(volumeLabel);
    volume_ = new VolumeSlider(central);
    volume_->setAccessibleName(tr("Volume"));
    volumeLabel->setBuddy(volume_);
    player->addWidget(volume_, 1);
    focusChain.push_back(position_);
    focusChain.push_back(volume_);
    return player;
}

void MainWindow::SetTabOrder(const std::vector<QWidget*>& focusChain) {
    for (size_t i = 1; i < focusChain.size(); ++i) {
        setTabOrder(focusChain[i - 1], focusChain[i]);
    }
    // Ctrl+Tab and Ctrl+Shift+Tab move on as Tab and Shift+Tab do, from every control. They are
    // shortcuts, as a box given the key would take the Tab for a letter to search for.
    const std::pair<QKeyCombination, bool> focusKeys[] = {
        {Qt::CTRL | Qt::Key_Tab, true},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_Tab, false},
        {Qt::CTRL | Qt::Key_Backtab, false},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab, false},
    };
    for (const auto& [key, forward] : focusKeys) {
        connect(new QShortcut(QKeySequence(key), this), &QShortcut::activated, this,
                [this, forward = forward] { focusNextPrevChild(forward); });
    }
}

void MainWindow::BuildStatusBar() {
    statusBar()->addWidget(statusPane_, 1);
    statusBar()->addWidget(freeSpacePane_, 1);
    runProgress_ = new RunProgress(this);
    statusBar()->addPermanentWidget(runProgress_);
}

void MainWindow::ShowCover() {
    albumPanel_->ShowCover();
}

QLabel* MainWindow::coverPicture() const {
    return albumPanel_->coverPicture();
}

QString MainWindow::statusText() const {
    return statusPane_->text();
}

QString MainWindow::freeSpaceText() const {
    return freeSpacePane_->text();
}

void MainWindow::ShowStatus(const QString& text) {
    statusPane_->setText(text);
}

void MainWindow::ShowEncoder(int kind) {
    const QSignalBlocker quiet(encoderBox_);
    encoderBox_->setCurrentIndex(kind >= 0 && kind < encoderBox_->count() ? kind : -1);
}

}  // namespace disctrove::ui
