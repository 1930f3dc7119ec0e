#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPixmap>
#include <QShortcut>
#include <QSlider>
#include <QStatusBar>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <optional>

#include "app/share_path.h"
#include "app/version.h"
#include "disc/cddb_reply_parser.h"
#include "disc/disc.h"
#include "disc/release_apply.h"
#include "disc/track_texts.h"
#include "platform/audio/volume_mixer.h"
#include "platform/system/files.h"
#include "platform/system/single_instance.h"
#include "rip/naming.h"
#include "rip/rip_worker.h"
#include "skin/icons.h"
#include "ui/convert/conversion_progress_dialog.h"
#include "ui/convert/decode_file_dialog.h"
#include "ui/convert/encode_wav_dialog.h"
#include "ui/core_texts.h"
#include "ui/cover_preview.h"
#include "ui/disc_watch.h"
#include "ui/options/page_controls.h"
#include "ui/run_progress.h"
#include "ui/track_settings_dialog.h"
#include "ui/window_place.h"

namespace disctrove::ui {

namespace {

enum Column { kTitleColumn, kTimeColumn, kEncoderColumn, kStatusColumn };
// The Status column's width for a percentage or "Completed"; it grows for a verdict.
constexpr int kStatusWidth = 90;
// The side of the cover picture beside the track list, in device-independent pixels.
constexpr int kCoverSide = 180;

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

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

MainWindow::MainWindow(Settings& settings, UserDialogs& dialogs, QWidget* parent)
    : QMainWindow(parent),
      settings_(settings),
      dialogs_(dialogs),
      bridge_(dialogs, this),
      context_{settings, bridge_, bridge_, {}},
      lookup_(settings, bridge_),
      worker_(settings) {
    setWindowTitle(QStringLiteral("Disctrove"));
    setWindowIcon(skin::AppIcon());
    statusPane_ = new QLabel(this);
    freeSpacePane_ = new QLabel(this);
    position_ = new QSlider(Qt::Horizontal, this);
    position_->setRange(0, 100);
    position_->setToolTip(tr("Position"));
    player_ = new CdPlayer(
        settings_, {statusPane_, &savedStatus_, position_, [this] { return FirstSelectedRow(); }},
        this);
    connect(position_, &QSlider::sliderMoved, player_, &CdPlayer::Seek);
    // The keys and the wheel move it too (a drag is the sliderMoved above). During an action
    // the new position is not yet the value.
    connect(position_, &QSlider::actionTriggered, player_, [this](int action) {
        if (action != QAbstractSlider::SliderMove) {
            player_->Seek(position_->sliderPosition());
        }
    });
    BuildMenus();
    setCentralWidget(BuildControls());
    volume_->Attach(platform::OpenSpeakerVolume());

    statusBar()->addWidget(statusPane_, 1);
    statusBar()->addWidget(freeSpacePane_, 1);
    runProgress_ = new RunProgress(this);
    statusBar()->addPermanentWidget(runProgress_);
    notifier_ = MakeDesktopNotifier();
    coverPreview_ = new CoverPreview(this);
    connect(coverPreview_, &CoverPreview::fetched, this, [this] {
        std::optional<CoverArt> cover = coverPreview_->Take();
        // A rip keeps its own cover in the record; this one only waits for the next.
        if (cover && !settings_.ripping && settings_.release.releaseId == cover->releaseId) {
            settings_.cover = std::move(*cover);
            ShowCover();
        }
    });
    discWatch_ = new DiscWatch([this] { return MayRefreshByItself(); }, this);
    connect(discWatch_, &DiscWatch::discChanged, this, &MainWindow::OnDiscChanged);
    statusWidth_ = kStatusWidth;
    const std::vector<int> widths = ColumnWidths(settings_.window);
    if (widths.size() > kStatusColumn) {
        statusWidth_ = widths[kStatusColumn];
    }

    connect(&bridge_, &WorkerBridge::trackProgress, this, &MainWindow::OnTrackProgress);
    connect(&bridge_, &WorkerBridge::workFinished, this, &MainWindow::OnWorkFinished);
    connect(&bridge_, &WorkerBridge::lookupDone, this, &MainWindow::OnLookupDone);

    // Opening: the boxes, then the disc (no message for a missing one at start-up).
    AddEncoderEntries(encoderBox_, kEncoderWav);
    ShowEncoder(settings_.Encoder);
    for (Drive& drive : settings_.drives) {
        driveBox_->addItem(Text(drive.name));
        drive.discId = kNoDiscId;
    }
    if (settings_.Cdrom >= 0 && settings_.Cdrom < driveBox_->count()) {
        driveBox_->setCurrentIndex(settings_.Cdrom);
    }
    Refresh();
    if (settings_.Autocddb && refreshOk_) {
        CddbCommand();
    }
    UpdateFreeSpace();
    auto* freeSpaceTimer = new QTimer(this);
    connect(freeSpaceTimer, &QTimer::timeout, this, &MainWindow::UpdateFreeSpace);
    freeSpaceTimer->start(2000);
    RestoreWindowPlace(*this, settings_.window, QSize(820, 560));
}

MainWindow::~MainWindow() {
    // A worker still running is stopped and waited for by the members' destructors.
    lookup_.Cancel();
}

void MainWindow::BuildMenus() {
    const auto add = [this](QMenu* menu, const QString& text, const QKeySequence& key, auto slot,
                            std::optional<Command> command = std::nullopt) {
        QAction* action = menu->addAction(text);
        action->setShortcut(key);
        connect(action, &QAction::triggered, this, slot);
        if (command) {
            commandActions_.emplace_back(*command, action);
        }
        return action;
    };
    QMenu* file = menuBar()->addMenu(tr("&File"));
    add(file, tr("&Refresh CD-ROM"), QKeySequence(Qt::Key_F5), &MainWindow::RefreshCommand,
        Command::refresh);
    add(file, tr("Ri&p marked tracks"), QKeySequence(Qt::CTRL | Qt::Key_R), &MainWindow::RipCommand,
        Command::rip);
    stopAction_ = add(file, tr("&Stop ripping"), QKeySequence(Qt::CTRL | Qt::Key_S),
                      &MainWindow::StopCommand, Command::stop);
    add(file, tr("&Get CDDB Info"), QKeySequence(Qt::CTRL | Qt::Key_I), &MainWindow::CddbCommand,
        Command::cddb);
    file->addSeparator();
    add(file, tr("&Encode WAV file..."), QKeySequence(), &MainWindow::EncodeWavCommand,
        Command::conversions);
    add(file, tr("&Decode file..."), QKeySequence(), &MainWindow::DecodeFileCommand,
        Command::conversions);
    file->addSeparator();
    QAction* exit = file->addAction(tr("E&xit"));
    exit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    add(edit, tr("&Track settings..."), QKeySequence(Qt::CTRL | Qt::Key_T),
        &MainWindow::TrackSettingsCommand, Command::trackSettings);
    edit->addSeparator();
    add(edit, tr("&Mark all tracks"), QKeySequence(Qt::CTRL | Qt::Key_M), &MainWindow::MarkAll,
        Command::marks);
    add(edit, tr("&Unmark all tracks"), QKeySequence(Qt::CTRL | Qt::Key_U), &MainWindow::UnmarkAll,
        Command::marks);
    add(edit, tr("Re&verse marks"), QKeySequence(Qt::CTRL | Qt::Key_V), &MainWindow::ReverseMarks,
        Command::marks);
    edit->addSeparator();
    add(edit, tr("Select &all tracks"), QKeySequence(Qt::CTRL | Qt::Key_A),
        &MainWindow::SelectAllRows);
    add(edit, tr("Mark &selected"), QKeySequence(), &MainWindow::MarkSelected);

    QMenu* options = menuBar()->addMenu(tr("&Options"));
    const auto openOn = [this](OptionsTab tab) { return [this, tab] { OptionsCommand(tab); }; };
    add(options, tr("&Global..."), QKeySequence(Qt::CTRL | Qt::Key_O), openOn(OptionsTab::misc),
        Command::options);
    options->addSeparator();
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
        add(options, tr(text), QKeySequence(), openOn(tab), Command::options);
    }

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    add(help, tr("&Contents"), QKeySequence(), &MainWindow::ShowHelpContents);
    add(help, tr("&Quick start guide"), QKeySequence(), &MainWindow::ShowQuickStart);
    help->addSeparator();
    ripLogAction_ = add(help, tr("Show rip &log"), QKeySequence(), &MainWindow::ShowRipLog);
    // The log may have been deleted since the rip: look again whenever the menu opens.
    connect(help, &QMenu::aboutToShow, this, &MainWindow::UpdateRipLogAction);
    help->addSeparator();
    add(help, tr("About Disctrove..."), QKeySequence(), &MainWindow::ShowAbout);

    contextMenu_ = new QMenu(this);
    const auto addContext = [this](const QString& text, auto* receiver, auto slot,
                                   Command command) {
        QAction* action = contextMenu_->addAction(text);
        connect(action, &QAction::triggered, receiver, slot);
        commandActions_.emplace_back(command, action);
    };
    addContext(tr("Track settings..."), this, &MainWindow::TrackSettingsCommand,
               Command::trackSettings);
    contextMenu_->addSeparator();
    connect(contextMenu_->addAction(tr("Mark/unmark track")), &QAction::triggered, this,
            &MainWindow::ToggleCurrentMark);
    addContext(tr("Play"), player_, &CdPlayer::PlayTrack, Command::play);
    addContext(tr("Stop"), player_, &CdPlayer::StopPlayback, Command::player);
}

QWidget* MainWindow::BuildControls() {
    auto* central = new QWidget(this);
    driveBox_ = new QComboBox(central);
    driveBox_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    driveBox_->setMinimumContentsLength(28);
    connect(driveBox_, &QComboBox::activated, this, &MainWindow::OnDriveChosen);
    // A screen reader would say only the box's value without a name.
    driveBox_->setAccessibleName(tr("Drive"));
    encoderBox_ = new QComboBox(central);
    encoderBox_->setAccessibleName(tr("Encoder"));
    connect(encoderBox_, &QComboBox::activated, this, &MainWindow::OnEncoderChosen);
    commandWidgets_.emplace_back(Command::boxes, driveBox_);
    commandWidgets_.emplace_back(Command::boxes, encoderBox_);

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

    trackList_ = new QTableWidget(0, 4, central);
    trackList_->setAccessibleName(tr("Track list"));
    // Tab leaves the list for the next control, as everywhere else: the arrows move in it.
    trackList_->setTabKeyNavigation(false);
    trackList_->setHorizontalHeaderLabels(
        {tr("Track name"), tr("Time"), tr("Encoder"), tr("Status")});
    trackList_->verticalHeader()->hide();
    trackList_->verticalHeader()->setDefaultSectionSize(trackList_->fontMetrics().height() + 8);
    trackList_->setAlternatingRowColors(true);
    trackList_->setSelectionBehavior(QAbstractItemView::SelectRows);
    trackList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    trackList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    trackList_->setShowGrid(true);
    trackList_->setContextMenuPolicy(Qt::CustomContextMenu);
    trackList_->setWordWrap(false);
    QHeaderView* header = trackList_->horizontalHeader();
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setSectionResizeMode(kTitleColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(kTimeColumn, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(kEncoderColumn, QHeaderView::ResizeToContents);
    header->resizeSection(kStatusColumn, kStatusWidth);
    connect(trackList_, &QTableWidget::itemSelectionChanged, this, &MainWindow::OnSelectionChanged);
    connect(trackList_, &QTableWidget::itemChanged, this, &MainWindow::OnRowChanged);
    connect(trackList_, &QWidget::customContextMenuRequested, this, &MainWindow::OnContextMenu);

    // The controls in the order Tab visits them, as they are laid out.
    std::vector<QWidget*> focusChain = {driveBox_, encoderBox_, trackList_};
    auto* buttons = new QHBoxLayout;
    const auto button = [&](skin::CommandIcon icon, const QString& text, const QString& tip,
                            auto slot, Command command) {
        QToolButton* b = CommandButton(central, icon, text, tip);
        connect(b, &QToolButton::clicked, this, slot);
        buttons->addWidget(b);
        commandWidgets_.emplace_back(command, b);
        focusChain.push_back(b);
    };
    button(skin::CommandIcon::refresh, tr("Refresh"), tr("Refresh CD"), &MainWindow::RefreshCommand,
           Command::refresh);
    button(skin::CommandIcon::cddb, QStringLiteral("CDDB"), tr("Get CDDB info"),
           &MainWindow::CddbCommand, Command::cddb);
    button(skin::CommandIcon::rip, tr("Rip"), tr("Rip marked tracks"), &MainWindow::RipCommand,
           Command::rip);
    button(skin::CommandIcon::stop, tr("Stop"), tr("Stop ripping"), &MainWindow::StopCommand,
           Command::stop);
    button(skin::CommandIcon::markAll, tr("Mark all"), tr("Select/Unselect All"),
           &MainWindow::MarkAll, Command::marks);
    buttons->addStretch(1);
    button(skin::CommandIcon::trackSettings, tr("Track"), tr("Track settings"),
           &MainWindow::TrackSettingsCommand, Command::trackSettings);
    button(
        skin::CommandIcon::options, tr("Options"), tr("Global options"),
        [this] { OptionsCommand(OptionsTab::misc); }, Command::options);

    // The CD player and the volume.
    auto* player = new QHBoxLayout;
    // Icons without text: the name is what a screen reader says ("Stop" alone would be the
    // rip's Stop).
    const auto playerButton = [&](skin::CommandIcon icon, const QString& tip, const QString& name,
                                  void (CdPlayer::*slot)(), Command command) {
        auto* b = new QToolButton(central);
        b->setIcon(skin::IconFor(icon));
        b->setIconSize(QSize(20, 20));
        b->setToolTip(tip);
        b->setAccessibleName(name);
        b->setAutoRaise(true);
        connect(b, &QToolButton::clicked, player_, slot);
        player->addWidget(b);
        commandWidgets_.emplace_back(command, b);
        focusChain.push_back(b);
    };
    playerButton(skin::CommandIcon::play, tr("Play track"), tr("Play track"), &CdPlayer::PlayTrack,
                 Command::play);
    playerButton(skin::CommandIcon::playerStop, tr("Stop"), tr("Stop playing"),
                 &CdPlayer::StopPlayback, Command::player);
    playerButton(skin::CommandIcon::previous, tr("Previous track"), tr("Previous track"),
                 &CdPlayer::PreviousTrack, Command::player);
    playerButton(skin::CommandIcon::next, tr("Next track"), tr("Next track"), &CdPlayer::NextTrack,
                 Command::player);
    playerButton(skin::CommandIcon::eject, tr("Eject"), tr("Eject"), &CdPlayer::EjectDisc,
                 Command::player);
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

    cover_ = new QLabel(central);
    cover_->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    cover_->setFixedWidth(kCoverSide);
    cover_->hide();
    auto* listAndCover = new QHBoxLayout;
    listAndCover->addWidget(trackList_, 1);
    listAndCover->addWidget(cover_);

    auto* layout = new QVBoxLayout(central);
    layout->addLayout(boxes);
    layout->addLayout(listAndCover, 1);
    layout->addLayout(buttons);
    layout->addLayout(player);
    return central;
}

void MainWindow::ShowCover() {
    const CoverArt& cover = settings_.cover;
    QPixmap picture;
    if (!cover.jpeg.empty() && cover.releaseId == settings_.release.releaseId &&
        picture.loadFromData(cover.jpeg.data(), static_cast<uint>(cover.jpeg.size()))) {
        const qreal scale = devicePixelRatioF();
        picture = picture.scaled(QSize(kCoverSide, kCoverSide) * scale, Qt::KeepAspectRatio,
                                 Qt::SmoothTransformation);
        picture.setDevicePixelRatio(scale);
        cover_->setPixmap(picture);
        cover_->show();
    } else {
        cover_->clear();
        cover_->hide();
    }
}

int MainWindow::FirstSelectedRow() const {
    int first = -1;
    for (const QModelIndex& row : trackList_->selectionModel()->selectedRows()) {
        first = first < 0 ? row.row() : std::min(first, row.row());
    }
    return first;
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

void MainWindow::Synchronise() {
    if (driveBox_->currentIndex() >= 0) {
        settings_.Cdrom = driveBox_->currentIndex();
    }
    TakeRowStates();
    settings_.currentTrack = 0;
    for (const Track& track : settings_.tracks) {
        if (track.selected) {
            settings_.currentTrack = track.index;
            break;
        }
    }
}

void MainWindow::TakeRowStates() {
    for (int row = 0; row < trackList_->rowCount(); ++row) {
        if (static_cast<size_t>(row) >= settings_.tracks.size()) {
            break;
        }
        Track& track = settings_.tracks[static_cast<size_t>(row)];
        const QTableWidgetItem* item = trackList_->item(row, kTitleColumn);
        track.marked = item != nullptr && item->checkState() == Qt::Checked ? 1 : 0;
        track.selected = item != nullptr && item->isSelected() ? 1 : 0;
    }
}

void MainWindow::WriteRow(int row) {
    const QSignalBlocker quiet(trackList_);
    const Track& track = settings_.tracks[static_cast<size_t>(row)];
    const QString texts[] = {Text(track.title), Text(TrackTimeText(track)),
                             CoreText(TrackEncoderText(track)), CoreText(TrackStatusText(track))};
    for (int column = 0; column < 4; ++column) {
        QTableWidgetItem* item = trackList_->item(row, column);
        if (item == nullptr) {
            item = new QTableWidgetItem;
            trackList_->setItem(row, column, item);
        }
        item->setText(texts[column]);
    }
    QTableWidgetItem* title = trackList_->item(row, kTitleColumn);
    title->setFlags(title->flags() | Qt::ItemIsUserCheckable);
    title->setCheckState(track.marked ? Qt::Checked : Qt::Unchecked);
    trackList_->item(row, kEncoderColumn)->setIcon(skin::EncoderIcon(track.encoder));
    // A verdict is longer than the column was made for: widen it rather than cut the text.
    QHeaderView* header = trackList_->horizontalHeader();
    const int wanted = trackList_->fontMetrics().horizontalAdvance(texts[kStatusColumn]) +
                       2 * trackList_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 12;
    if (wanted > header->sectionSize(kStatusColumn)) {
        header->resizeSection(kStatusColumn, wanted);
    }
}

void MainWindow::RewriteRows() {
    const QSignalBlocker quiet(trackList_);
    // The selection is set as a whole: selecting row by row would follow the keyboard's
    // modifiers (Ctrl held for a shortcut toggles rows) and replace the rows selected before.
    QItemSelection selection;
    for (int row = 0; row < trackList_->rowCount(); ++row) {
        WriteRow(row);
        if (settings_.tracks[static_cast<size_t>(row)].selected) {
            selection.select(trackList_->model()->index(row, 0),
                             trackList_->model()->index(row, kStatusColumn));
        }
    }
    trackList_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    trackList_->viewport()->update();
}

void MainWindow::RefillList() {
    const QSignalBlocker quiet(trackList_);
    trackList_->clearContents();
    trackList_->horizontalHeader()->resizeSection(kStatusColumn, statusWidth_);
    trackList_->setRowCount(static_cast<int>(settings_.tracks.size()));
    trackList_->clearSelection();
    // Stop refills the list while the worker still reads the indexes, which have not changed
    // then: only a changed one is written.
    for (size_t i = 0; i < settings_.tracks.size(); ++i) {
        if (settings_.tracks[i].index != static_cast<int32_t>(i)) {
            settings_.tracks[i].index = static_cast<int32_t>(i);
        }
    }
    RewriteRows();
}

void MainWindow::Refresh() {
    if (Busy()) {
        return;
    }
    player_->StopPlayback();
    player_->ResetTrack();
    ShowStatus(CoreText(kRefreshingText));
    // A look-up still on its way was made for the disc read before: its reply names nothing now.
    lookup_.Cancel();
    coverPreview_->Cancel();
    refreshOk_ = true;
    lookedUp_ = false;
    const bool read = RefreshDisc(settings_) == RefreshResult::ready;
    if (!read) {
        refreshOk_ = false;
        lookedUp_ = true;  // nothing to look up until a disc is read
    }
    savedStatus_ = CoreText(!read                      ? kNoAudioCdText
                            : settings_.tracks.empty() ? kNoAudioTracksText
                                                       : kReadyText);
    ShowStatus(savedStatus_);
    RefillList();
    ShowCover();
    UpdateCommands();
    // The watch starts afresh from the disc just read (or the drive found empty).
    const auto drive = static_cast<size_t>(settings_.Cdrom);
    if (settings_.Cdrom >= 0 && drive < settings_.drives.size()) {
        discWatch_->Watch(settings_.drives[drive].handleRequest);
    } else {
        discWatch_->Unwatch();
    }
}

bool MainWindow::MayRefreshByItself() const {
    // What F5 would refuse, and what a refresh would disturb: a look-up, a dialog, a menu.
    // A run the window has not yet seen end counts as running, however far its worker got.
    return !Busy() && !worker_.Running() && !runProgress_->running() &&
           settings_.cddbRunning == 0 && lookup_.CanStart() &&
           QApplication::activeModalWidget() == nullptr &&
           QApplication::activePopupWidget() == nullptr;
}

void MainWindow::OnDiscChanged() {
    if (!MayRefreshByItself()) {
        return;
    }
    // As F5, but a disc taken out is no error worth a message: the list shows it.
    Synchronise();
    Refresh();
    if (refreshOk_ && settings_.Autocddb) {
        CddbCommand();
    }
    refreshOk_ = false;
}

void MainWindow::RefreshCommand() {
    if (Busy()) {
        return;
    }
    Synchronise();
    Refresh();
    if (!refreshOk_) {
        dialogs_.Inform(this, QStringLiteral("Disctrove"), CoreText(kTocErrorMessage));
    } else if (settings_.Autocddb) {
        CddbCommand();
    }
    refreshOk_ = false;
}

void MainWindow::CddbCommand() {
    if (lookedUp_ || Busy() || settings_.cddbRunning) {
        return;
    }
    player_->StopPlayback();
    savedStatus_ = statusText();
    ShowStatus(CoreText(kContactingCddbText));
    if (!lookup_.Start()) {
        ShowStatus(savedStatus_);  // an earlier look-up is still on its way
    }
    UpdateCommands();
}

void MainWindow::OnLookupDone() {
    if (!lookup_.TakeReply()) {
        // A look-up cancelled by a refresh, or made for a disc no longer in the list.
        UpdateCommands();
        return;
    }
    settings_.cddbRunning = 0;
    ShowStatus(savedStatus_);
    if (!settings_.lookupUnanswered.empty()) {
        QStringList services;
        for (const std::string& service : settings_.lookupUnanswered) {
            services.push_back(QString::fromStdString(service));
        }
        // Short enough for the status pane: no connection, a timeout or an answer cut short.
        ShowStatus(tr("No whole answer from %1").arg(services.join(tr(" and "))));
    }
    if (settings_.lookupAnswer == LookupAnswer::musicBrainz &&
        !settings_.releaseCandidates.empty()) {
        const std::vector<MusicBrainzRelease>& releases = settings_.releaseCandidates;
        std::optional<size_t> choice = 0;
        if (releases.size() > 1) {
            UpdateCommands();  // no command may start another look-up while the user chooses
            choice = dialogs_.ChooseRelease(this, releases);
        }
        // Cancel keeps the disc as it was.
        if (choice && *choice < releases.size()) {
            ApplyRelease(settings_, releases[*choice]);
            ShowEncoder(settings_.Encoder);
            RefillList();
            coverPreview_->Start(settings_);
        }
        lookedUp_ = true;
    } else if (!settings_.cddbReply.empty()) {
        ParseCddbReply(settings_.cddbReply, settings_);
        ShowEncoder(settings_.Encoder);
        RefillList();
        lookedUp_ = true;
    }
    ShowCover();
    UpdateCommands();
}

void MainWindow::RipCommand() {
    if (Busy() || worker_.Running()) {
        return;
    }
    player_->StopPlayback();
    if (DiscChanged(settings_)) {
        dialogs_.Inform(this, QStringLiteral("Disctrove"), CoreText(kDiscChangedMessage));
        lookedUp_ = true;
        UpdateCommands();
        return;
    }
    Synchronise();
    if (settings_.tracks.empty()) {
        return;
    }
    // A folder typed in the options is made now; one that cannot hold files ends the rip here.
    const std::string problem = MakeRipFolder(settings_);
    if (!problem.empty()) {
        FailRipAtStart(settings_);
        RefillList();
        UpdateCommands();
        dialogs_.ShowError(this, QStringLiteral("Disctrove"), Text(problem));
        return;
    }
    PrepareRip(settings_);
    RefillList();
    savedStatus_ = statusText();
    ShowStatus(CoreText(kRippingText));
    if (!worker_.Start([this] { return RunRipWorker(context_); })) {
        // Nothing started: nothing may claim to run.
        settings_.ripping = 0;
        settings_.finished = 1;
        for (Track& track : settings_.tracks) {
            if (track.marked) {
                track.status = kStatusNone;
            }
        }
        RefillList();
        ShowStatus(savedStatus_);
    } else {
        runProgress_->Start(settings_);
    }
    UpdateCommands();
}

void MainWindow::StopCommand() {
    settings_.cddbRunning = 0;
    if (!Busy()) {
        return;  // nothing runs: no track is stopped
    }
    StopRip(settings_);
    RefillList();
    ShowStatus(CoreText(kWaitingForWorkerText));
    WaitForWorker();
    runProgress_->Finish();
    RewriteRows();  // the verdicts of the tracks finished before the stop
    ShowStatus(savedStatus_);
    UpdateCommands();
}

void MainWindow::WaitForWorker() {
    bridge_.WaitUntilFinished(settings_);
    worker_.Join();
}

void MainWindow::OnTrackProgress(int position, int status) {
    (void)status;  // the track holds it too, and may be newer
    if (position >= 0 && position < trackList_->rowCount() &&
        static_cast<size_t>(position) < settings_.tracks.size()) {
        WriteRow(position);
    }
    runProgress_->Update(settings_);
}

void MainWindow::OnWorkFinished() {
    if (!settings_.finished) {
        // The last word of a run that Stop already waited for, arriving after the next run
        // began: that run is not over.
        return;
    }
    settings_.ripping = 0;
    worker_.Join();  // the worker has posted its last word: the next Rip starts a new one
    // The verdicts arrive with the end of the run, after the tracks' last progress notices.
    RewriteRows();
    ShowCover();  // the rip may have fetched it
    ShowStatus(savedStatus_);
    UpdateCommands();
    if (runProgress_->running()) {
        runProgress_->Finish();
        NotifyRipEnd();
    }
}

void MainWindow::NotifyRipEnd() {
    // The user looking at the window sees the end there; a stopped rip was ended on purpose.
    if (isActiveWindow() || !notifier_) {
        return;
    }
    for (const Track& track : settings_.tracks) {
        if (track.marked && track.status == kStatusStopped) {
            return;
        }
    }
    notifier_->Notify(RipNotice::Summary(), RipNotice::Body(settings_));
}

void MainWindow::MarkAll() {
    if (Busy()) {
        return;
    }
    for (Track& track : settings_.tracks) {
        track.marked = 1;
    }
    RewriteRows();
}

void MainWindow::UnmarkAll() {
    if (Busy()) {
        return;
    }
    for (Track& track : settings_.tracks) {
        track.marked = 0;
    }
    RewriteRows();
}

void MainWindow::ReverseMarks() {
    if (Busy()) {
        return;
    }
    Synchronise();
    for (Track& track : settings_.tracks) {
        track.marked = track.marked ? 0 : 1;
    }
    RewriteRows();
}

void MainWindow::SelectAllRows() {
    trackList_->selectAll();
}

void MainWindow::MarkSelected() {
    TakeRowStates();
    for (Track& track : settings_.tracks) {
        track.marked = track.selected;
    }
    RewriteRows();
}

void MainWindow::ToggleCurrentMark() {
    const int current = settings_.currentTrack;
    if (current < 0 || static_cast<size_t>(current) >= settings_.tracks.size()) {
        return;
    }
    TakeRowStates();  // check boxes clicked since the last synchronisation stay as clicked
    Track& track = settings_.tracks[static_cast<size_t>(current)];
    track.marked = track.marked ? 0 : 1;
    RewriteRows();
}

void MainWindow::OnEncoderChosen(int kind) {
    if (Busy()) {
        ShowEncoder(settings_.Encoder);
        return;
    }
    TakeRowStates();
    ApplyEncoderToAllTracks(settings_, static_cast<EncoderKind>(kind));
    RewriteRows();
}

void MainWindow::OnSelectionChanged() {
    // The model follows the list's selection, so rewriting the rows keeps what the user chose.
    for (int row = 0; row < trackList_->rowCount(); ++row) {
        if (static_cast<size_t>(row) < settings_.tracks.size()) {
            const QTableWidgetItem* item = trackList_->item(row, kTitleColumn);
            settings_.tracks[static_cast<size_t>(row)].selected =
                item != nullptr && item->isSelected() ? 1 : 0;
        }
    }
    OnRowChanged();
}

void MainWindow::OnDriveChosen(int index) {
    if (Busy()) {
        // The list must belong to the drive a running rip reads.
        const QSignalBlocker quiet(driveBox_);
        driveBox_->setCurrentIndex(settings_.Cdrom);
        return;
    }
    if (index != settings_.Cdrom) {
        RefreshCommand();  // the list now shows the disc of the chosen drive, as F5 would
    }
}

void MainWindow::UpdateCommands() {
    const bool ripping = Busy();
    const bool disc = !settings_.tracks.empty();
    const bool lookupRuns = settings_.cddbRunning != 0 || !lookup_.CanStart();
    const auto enabled = [&](Command command) {
        switch (command) {
            case Command::stop:
                return ripping;
            case Command::cddb:
                return !ripping && disc && !lookedUp_ && !lookupRuns;
            case Command::rip:
            case Command::trackSettings:
            case Command::marks:
            case Command::play:
                return !ripping && disc;
            case Command::refresh:
            case Command::options:
            case Command::conversions:
            case Command::boxes:
            case Command::player:
                return !ripping;
        }
        return true;
    };
    for (const auto& [command, widget] : commandWidgets_) {
        widget->setEnabled(enabled(command));
    }
    for (const auto& [command, action] : commandActions_) {
        action->setEnabled(enabled(command));
    }
    UpdateRipLogAction();
}

void MainWindow::UpdateRipLogAction() {
    // The worker writes lastRipLog as it ends: it is read only once the worker is gone.
    ripLogAction_->setEnabled(!Busy() && !worker_.Running() && !settings_.lastRipLog.empty() &&
                              QFileInfo::exists(Text(settings_.lastRipLog)));
}

QAction* MainWindow::menuAction(const QString& text) const {
    for (QAction* action : menuBar()->findChildren<QAction*>()) {
        if (action->text().remove(QLatin1Char('&')) == text) {
            return action;
        }
    }
    return nullptr;
}

void MainWindow::OnRowChanged() {
    const int row = trackList_->currentRow();
    if (row >= 0 && static_cast<size_t>(row) < settings_.tracks.size()) {
        ShowEncoder(settings_.tracks[static_cast<size_t>(row)].encoder);
    }
}

void MainWindow::OnContextMenu(const QPoint& point) {
    if (settings_.tracks.empty()) {
        return;
    }
    settings_.currentTrack = trackList_->rowAt(point.y());
    contextMenu_->popup(trackList_->viewport()->mapToGlobal(point));
}

void MainWindow::OptionsCommand(OptionsTab first) {
    Synchronise();
    if (Busy()) {
        return;
    }
    settings_.pageFormats = settings_.formats;
    AssignSettings(editCopy, settings_);
    OptionsDialog dialog(settings_, editCopy, dialogs_, first, this);
    dialog.exec();
    // Apply may have changed the settings even when the dialog was cancelled afterwards.
    RefillList();
    ShowEncoder(settings_.Encoder);
    UpdateFreeSpace();
    UpdateCommands();
}

void MainWindow::TrackSettingsCommand() {
    Synchronise();
    if (Busy() || settings_.tracks.empty()) {
        return;
    }
    settings_.pageFormats = settings_.formats;
    for (const Track& track : settings_.tracks) {
        if (track.selected) {
            StoreTrackFormat(settings_.pageFormats, track.encoder, track.format);
            break;
        }
    }
    AssignSettings(editCopy, settings_);
    TrackSettingsDialog dialog(settings_, this);
    if (dialog.exec() == QDialog::Accepted) {
        RewriteRows();  // the encoders of the selected rows, and the current track's title
    }
}

void MainWindow::EncodeWavCommand() {
    ConversionCommand(Conversion::encodeWav);
}

void MainWindow::DecodeFileCommand() {
    ConversionCommand(Conversion::decodeFile);
}

void MainWindow::ConversionCommand(Conversion conversion) {
    if (Busy()) {
        return;
    }
    AssignSettings(editCopy, settings_);
    const bool encode = conversion == Conversion::encodeWav;
    std::unique_ptr<FileChoiceDialog> choice;
    if (encode) {
        choice = std::make_unique<EncodeWavDialog>(settings_, dialogs_, this);
    } else {
        choice = std::make_unique<DecodeFileDialog>(settings_, dialogs_, this);
    }
    const std::string& source = encode ? settings_.wavSourcePath : settings_.oggSourcePath;
    if (choice->exec() == QDialog::Accepted && !source.empty()) {
        ConversionProgressDialog progress(settings_, dialogs_, conversion, this);
        progress.exec();
    }
    UpdateFreeSpace();
}

void MainWindow::ShowAbout() {
    QMessageBox about(this);
    about.setWindowTitle(tr("About Disctrove"));
    about.setIconPixmap(skin::AppIcon().pixmap(64, 64));
    about.setText(tr("Disctrove Version %1").arg(QString::fromUtf8(kProgramVersion)));
    // A message box is as wide as its text; the title bar needs room for the title too, and
    // for the window's own icon and buttons beside it.
    const int titleWidth = about.fontMetrics().horizontalAdvance(about.windowTitle()) + 160;
    if (auto* grid = qobject_cast<QGridLayout*>(about.layout())) {
        grid->addItem(new QSpacerItem(titleWidth, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    about.exec();
}

void MainWindow::OpenHelp(const char* page, const QString& missingMessage) {
    const std::string path = ShareFilePath(std::string("help/") + page);
    const QString file = QDir::cleanPath(Text(path));  // named to the user without "../"
    if (path.empty()) {
        dialogs_.Inform(this, QStringLiteral("Disctrove"), missingMessage);
    } else if (!dialogs_.OpenHelpPage(file)) {
        // The page is there; what is missing is a program to show it (no browser).
        dialogs_.Inform(this, QStringLiteral("Disctrove"),
                        tr("No viewer could open the help file %1").arg(file));
    }
}

void MainWindow::ShowHelpContents() {
    OpenHelp("index.htm", tr("Cannot locate HTML Help file for Disctrove"));
}

void MainWindow::ShowQuickStart() {
    OpenHelp("start.htm",
             tr("Cannot locate HTML Help file %1").arg(QString::fromLatin1("help/start.htm")));
}

void MainWindow::ShowRipLog() {
    if (Busy() || worker_.Running()) {
        return;
    }
    const QString path = Text(settings_.lastRipLog);
    if (path.isEmpty() || !QFileInfo::exists(path)) {
        dialogs_.Inform(this, QStringLiteral("Disctrove"),
                        path.isEmpty() ? tr("No rip log has been written yet.")
                                       : tr("The rip log %1 is no longer there.").arg(path));
    } else if (!dialogs_.OpenFile(path)) {
        dialogs_.Inform(this, QStringLiteral("Disctrove"),
                        tr("The rip log %1 could not be opened.").arg(path));
    }
    UpdateRipLogAction();
}

void MainWindow::UpdateFreeSpace() {
    const long long bytes = platform::FreeBytes(settings_.Outfolder);
    freeSpacePane_->setText(bytes < 0 ? QString()
                                      : tr("%1M free disk space of %2")
                                            .arg(static_cast<double>(bytes) / 1048576.0, 0, 'f', 2)
                                            .arg(Text(settings_.Outfolder)));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (Busy()) {
        if (!dialogs_.AskYesNo(this, tr("Exit confirmation"),
                               tr("You are currently ripping.\nDo you want to stop "
                                  "and exit anyway?"))) {
            event->ignore();
            return;
        }
        ShowStatus(CoreText(kWaitingForWorkerText));
        settings_.ripping = 0;
        WaitForWorker();
        runProgress_->Finish();
    } else {
        player_->StopPlayback();
    }
    settings_.window = TakeWindowPlace(*this, *trackList_->horizontalHeader());
    event->accept();
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    // Escape and Enter do nothing here: the window closes only on purpose.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

}  // namespace disctrove::ui
