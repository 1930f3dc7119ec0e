#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QSlider>
#include <QTableView>
#include <QTimer>
#include <optional>

#include "disc/disc.h"
#include "disc/name_choice.h"
#include "front/outcome_texts.h"
#include "platform/audio/volume_mixer.h"
#include "platform/system/single_instance.h"
#include "rip/naming.h"
#include "rip/rip_worker.h"
#include "skin/icons.h"
#include "ui/convert/conversion_progress_dialog.h"
#include "ui/convert/convert_files_dialog.h"
#include "ui/core_texts.h"
#include "ui/cover_preview.h"
#include "ui/disc_watch.h"
#include "ui/lookup_banner.h"
#include "ui/name_edits.h"
#include "ui/options/page_controls.h"
#include "ui/rip_outcome_bar.h"
#include "ui/run_progress.h"
#include "ui/track_list_view.h"
#include "ui/track_table_model.h"
#include "ui/window_place.h"

namespace disctrove::ui {

namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

MainWindow::MainWindow(ProgramState& state, UserDialogs& dialogs, QWidget* parent)
    : QMainWindow(parent),
      options_(state.options),
      disc_(state.disc),
      found_(state.lookup),
      lastRip_(state.lastRip),
      session_(state.session),
      run_(state.run),
      dialogs_(dialogs),
      lookup_(options_, disc_, session_.lookupSource, found_, run_),
      rip_(options_, session_, disc_, lastRip_, run_, dialogs, this),
      help_(dialogs, this),
      offsetOffer_(options_, dialogs) {
    setWindowTitle(QStringLiteral("Disctrove"));
    setWindowIcon(skin::AppIcon());
    statusPane_ = new QLabel(this);
    freeSpacePane_ = new QLabel(this);
    position_ = new QSlider(Qt::Horizontal, this);
    position_->setRange(0, 100);
    position_->setToolTip(tr("Position"));
    player_ = new CdPlayer(
        options_, disc_, run_,
        {statusPane_, &savedStatus_, position_, [this] { return trackList_->FirstSelectedRow(); }},
        this);
    // The tracks are the running rip's until its worker has gone.
    edits_ = new NameEdits(
        disc_, [this] { return !rip_.Running(); }, this);
    model_ = new TrackTableModel(
        disc_, lastRip_, [this] { return !rip_.Running(); }, *edits_, this);
    actions_ = new WindowActions(*this);
    setCentralWidget(BuildControls());
    volume_->Attach(platform::OpenSpeakerVolume());
    BuildStatusBar();
    notifier_ = MakeDesktopNotifier();
    opener_ = MakeDesktopOpener();
    coverPreview_ = new CoverPreview(this);
    discWatch_ = new DiscWatch([this] { return MayRefreshByItself(); }, this);
    const std::vector<int> widths = ColumnWidths(options_.window);
    if (widths.size() > TrackTableModel::kStatusColumn) {
        trackList_->SetStatusWidth(widths[TrackTableModel::kStatusColumn]);
    }
    WireActions();
    WireWork();

    // Opening: the boxes, then the disc (no message for a missing one at start-up).
    AddEncoderEntries(encoderBox_, kEncoderWav);
    ShowEncoder(options_.Encoder);
    for (Drive& drive : disc_.drives) {
        driveBox_->addItem(Text(drive.name));
        drive.discId = kNoDiscId;
    }
    if (options_.Cdrom >= 0 && options_.Cdrom < driveBox_->count()) {
        driveBox_->setCurrentIndex(options_.Cdrom);
    }
    Refresh();
    if (options_.Autocddb && refreshOk_) {
        CddbCommand();
    }
    UpdateFreeSpace();
    auto* freeSpaceTimer = new QTimer(this);
    connect(freeSpaceTimer, &QTimer::timeout, this, &MainWindow::UpdateFreeSpace);
    freeSpaceTimer->start(2000);
    RestoreWindowPlace(*this, options_.window, QSize(820, 560));
}

MainWindow::~MainWindow() {
    // A rip still running is stopped and waited for by rip_'s destructor, the look-up by
    // lookup_'s; the look-up is told first.
    lookup_.Cancel();
}

void MainWindow::WireActions() {
    const WindowActions& a = *actions_;
    connect(a.refresh, &QAction::triggered, this, &MainWindow::RefreshCommand);
    connect(a.rip, &QAction::triggered, this, &MainWindow::RipCommand);
    connect(a.stop, &QAction::triggered, this, &MainWindow::StopCommand);
    connect(a.cddb, &QAction::triggered, this, &MainWindow::CddbCommand);
    connect(a.encodeWav, &QAction::triggered, this, &MainWindow::EncodeWavCommand);
    connect(a.decodeFile, &QAction::triggered, this, &MainWindow::DecodeFileCommand);
    connect(a.convertFiles, &QAction::triggered, this, &MainWindow::ConvertFilesCommand);
    connect(a.exit, &QAction::triggered, this, &QWidget::close);
    connect(a.undo, &QAction::triggered, edits_, &NameEdits::Undo);
    connect(a.trackSettings, &QAction::triggered, this, &MainWindow::TrackSettingsCommand);
    connect(a.markAll, &QAction::triggered, this, &MainWindow::MarkAll);
    connect(a.unmarkAll, &QAction::triggered, this, &MainWindow::UnmarkAll);
    connect(a.reverseMarks, &QAction::triggered, this, &MainWindow::ReverseMarks);
    connect(a.selectAll, &QAction::triggered, this, &MainWindow::SelectAllRows);
    connect(a.markSelected, &QAction::triggered, this, &MainWindow::MarkSelected);
    for (const auto& [action, tab] : a.options) {
        connect(action, &QAction::triggered, this, [this, tab = tab] { OptionsCommand(tab); });
    }
    connect(a.helpContents, &QAction::triggered, this, &MainWindow::ShowHelpContents);
    connect(a.quickStart, &QAction::triggered, this, &MainWindow::ShowQuickStart);
    connect(a.ripLog, &QAction::triggered, this, &MainWindow::ShowRipLog);
    connect(a.about, &QAction::triggered, this, &MainWindow::ShowAbout);
    // The log may have been deleted since the rip: look again whenever the menu opens.
    connect(a.helpMenu, &QMenu::aboutToShow, this, [this] {
        state_.ripLog = RipLogThere();
        actions_->Update(state_);
    });
    connect(a.contextTrackSettings, &QAction::triggered, this, &MainWindow::TrackSettingsCommand);
    connect(a.toggleMark, &QAction::triggered, this, &MainWindow::ToggleCurrentMark);
    connect(a.play, &QAction::triggered, player_, &CdPlayer::PlayTrack);
    connect(a.playerStop, &QAction::triggered, player_, &CdPlayer::StopPlayback);
    connect(a.previous, &QAction::triggered, player_, &CdPlayer::PreviousTrack);
    connect(a.next, &QAction::triggered, player_, &CdPlayer::NextTrack);
    connect(a.eject, &QAction::triggered, player_, &CdPlayer::EjectDisc);

    connect(driveBox_, &QComboBox::activated, this, &MainWindow::OnDriveChosen);
    connect(encoderBox_, &QComboBox::activated, this, &MainWindow::OnEncoderChosen);
    connect(trackList_, &TrackListView::selectionEdited, this, &MainWindow::OnRowChanged);
    connect(model_, &TrackTableModel::edited, this, &MainWindow::OnRowChanged);
    connect(trackList_, &QWidget::customContextMenuRequested, this, &MainWindow::OnContextMenu);
}

void MainWindow::WireWork() {
    connect(position_, &QSlider::sliderMoved, player_, &CdPlayer::Seek);
    // The keys and the wheel move it too (a drag is the sliderMoved above). During an action
    // the new position is not yet the value.
    connect(position_, &QSlider::actionTriggered, player_, [this](int action) {
        if (action != QAbstractSlider::SliderMove) {
            player_->Seek(position_->sliderPosition());
        }
    });
    connect(coverPreview_, &CoverPreview::fetched, this, [this] {
        std::optional<CoverArt> cover = coverPreview_->Take();
        // A rip keeps its own cover in the record; this one only waits for the next.
        if (cover && !run_.ripping && disc_.release.releaseId == cover->releaseId) {
            disc_.cover = std::move(*cover);
            ShowCover();
        }
    });
    connect(discWatch_, &DiscWatch::discChanged, this, &MainWindow::OnDiscChanged);
    connect(&rip_, &RipController::trackProgress, this, &MainWindow::OnTrackProgress);
    connect(&rip_, &RipController::finished, this, &MainWindow::OnRipFinished);
    connect(&lookup_, &LookupController::ended, this, &MainWindow::OnLookupEnded);
    connect(outcomeBar_, &RipOutcomeBar::openFolder, this,
            [this](const QString& folder) { opener_->OpenFolder(folder); });
    connect(outcomeBar_, &RipOutcomeBar::showLog, this, &MainWindow::ShowRipLog);
    connect(lookupBanner_, &LookupBanner::addToMusicBrainz, this,
            [this](const QUrl& page) { opener_->OpenPage(page); });
}

// The list.

void MainWindow::Synchronise() {
    if (driveBox_->currentIndex() >= 0) {
        options_.Cdrom = driveBox_->currentIndex();
    }
    // The marks and the selection reach the tracks as the user changes them.
    run_.currentTrack = 0;
    for (const Track& track : disc_.tracks) {
        if (track.selected) {
            run_.currentTrack = track.index;
            break;
        }
    }
}

// The disc and its look-up.

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
    lookupBanner_->hide();  // it spoke of the disc read before
    const bool read = RefreshDisc(options_, disc_, found_, run_) == RefreshResult::ready;
    edits_->DiscRead();  // the same disc gets back the names typed for it
    if (!read) {
        refreshOk_ = false;
        lookedUp_ = true;  // nothing to look up until a disc is read
    }
    savedStatus_ = CoreText(!read                  ? kNoAudioCdText
                            : disc_.tracks.empty() ? kNoAudioTracksText
                                                   : kReadyText);
    ShowStatus(savedStatus_);
    trackList_->Refill();
    ShowCover();
    UpdateCommands();
    // The watch starts afresh from the disc just read (or the drive found empty).
    const auto drive = static_cast<size_t>(options_.Cdrom);
    if (options_.Cdrom >= 0 && drive < disc_.drives.size()) {
        discWatch_->Watch(disc_.drives[drive].handleRequest);
    } else {
        discWatch_->Unwatch();
    }
}

bool MainWindow::MayRefreshByItself() const {
    // What F5 would refuse, and what a refresh would disturb: a look-up, a dialog, a menu.
    // A run the window has not yet seen end counts as running, however far its worker got.
    return !rip_.Running() && !runProgress_->running() && !lookup_.Running() &&
           !offsetOffer_.Busy() && QApplication::activeModalWidget() == nullptr &&
           QApplication::activePopupWidget() == nullptr;
}

void MainWindow::OnDiscChanged() {
    if (!MayRefreshByItself()) {
        return;
    }
    // As F5, but a disc taken out is no error worth a message: the list shows it.
    Synchronise();
    Refresh();
    if (refreshOk_ && options_.Autocddb) {
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
    } else if (options_.Autocddb) {
        CddbCommand();
    }
    refreshOk_ = false;
}

void MainWindow::CddbCommand() {
    if (lookedUp_ || Busy() || lookup_.Waiting()) {
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

void MainWindow::OnLookupEnded(bool taken) {
    if (!taken) {
        // A look-up cancelled by a refresh, or made for a disc no longer in the list.
        UpdateCommands();
        return;
    }
    ShowStatus(savedStatus_);
    if (!found_.lookupUnanswered.empty()) {
        QStringList services;
        for (const std::string& service : found_.lookupUnanswered) {
            services.push_back(QString::fromStdString(service));
        }
        // Short enough for the status pane: no connection, a timeout or an answer cut short.
        ShowStatus(tr("No whole answer from %1").arg(services.join(tr(" and "))));
    }
    ApplyLookup();
    TellNothingFound();
    ShowCover();
    UpdateCommands();
}

void MainWindow::TellNothingFound() {
    const std::string sentence = NotFoundSentence(found_, options_.musicBrainz.Use != 0);
    const Drive* drive = DriveAt(disc_, options_.Cdrom);
    if (sentence.empty() || drive == nullptr) {
        lookupBanner_->hide();
        return;
    }
    lookupBanner_->Show(sentence, *drive);
}

void MainWindow::ApplyLookup() {
    const std::vector<NameChoice> choices =
        NameChoicesFor(found_, disc_, DriveAt(disc_, options_.Cdrom));
    if (choices.empty()) {
        return;  // nothing found: the disc keeps the names it was read with
    }
    std::optional<size_t> choice = 0;
    if (choices.size() > 1) {
        UpdateCommands();  // no command may start another look-up while the user chooses
        choice = dialogs_.ChooseRelease(this, choices);
    }
    // Cancel keeps the disc as it was.
    if (choice && *choice < choices.size()) {
        ApplyNameChoice(disc_, found_, choices[*choice]);
        edits_->LookupApplied();  // what the user typed wins
        ShowEncoder(options_.Encoder);
        trackList_->Refill();
        coverPreview_->Start(options_, disc_);  // a release's cover; nothing without a release
    }
    lookedUp_ = true;
}

// The rip.

void MainWindow::RipCommand() {
    if (rip_.Running()) {
        return;
    }
    player_->StopPlayback();
    if (DiscChanged(disc_, options_.Cdrom)) {
        dialogs_.Inform(this, QStringLiteral("Disctrove"), CoreText(kDiscChangedMessage));
        lookedUp_ = true;
        UpdateCommands();
        return;
    }
    Synchronise();
    if (disc_.tracks.empty()) {
        return;
    }
    offsetOffer_.BeforeRip(DriveAt(disc_, options_.Cdrom), this);
    std::string problem;
    switch (rip_.StartRip(problem)) {
        case RipController::Start::folderRefused:
            trackList_->Refill();
            UpdateCommands();
            dialogs_.ShowError(this, QStringLiteral("Disctrove"), Text(problem));
            return;
        case RipController::Start::notStarted:
            trackList_->Refill();
            savedStatus_ = statusText();
            break;
        case RipController::Start::started:
            outcomeBar_->hide();  // it told of the rip before
            trackList_->Refill();
            savedStatus_ = statusText();
            ShowStatus(CoreText(kRippingText));
            runProgress_->Start(disc_);
            break;
    }
    UpdateCommands();
}

void MainWindow::StopCommand() {
    lookup_.StopWaiting();
    if (!Busy()) {
        return;  // nothing runs: no track is stopped
    }
    rip_.Stop();
    trackList_->Refill();
    ShowStatus(CoreText(kWaitingForWorkerText));
    rip_.Wait();
    runProgress_->Finish();
    trackList_->Rewrite();  // the verdicts of the tracks finished before the stop
    ShowStatus(savedStatus_);
    UpdateCommands();
}

void MainWindow::OnTrackProgress(int row) {
    model_->ReloadRow(row);
    runProgress_->Update(disc_);
}

void MainWindow::OnRipFinished() {
    // The verdicts arrive with the end of the run, after the tracks' last progress notices.
    trackList_->Rewrite();
    ShowCover();  // the rip may have fetched it
    ShowStatus(savedStatus_);
    UpdateCommands();
    if (runProgress_->running()) {
        runProgress_->Finish();
        TellRipEnd();
    }
}

void MainWindow::TellRipEnd() {
    const RipOutcome outcome = DescribeRip(lastRip_.run, RipBaseFolder(options_));
    outcomeBar_->Show(outcome, RipLogThere());
    NotifyRipEnd(outcome);
    if (outcome.wellEnded && options_.EjectWhenDone) {
        player_->EjectDisc();
    }
}

// The marks.

void MainWindow::MarkAll() {
    if (!Busy()) {
        model_->MarkRows([](const Track&) { return true; });
    }
}

void MainWindow::UnmarkAll() {
    if (!Busy()) {
        model_->MarkRows([](const Track&) { return false; });
    }
}

void MainWindow::ReverseMarks() {
    if (Busy()) {
        return;
    }
    Synchronise();
    model_->MarkRows([](const Track& track) { return !track.marked; });
}

void MainWindow::SelectAllRows() {
    trackList_->selectAll();
}

void MainWindow::MarkSelected() {
    model_->MarkRows([](const Track& track) { return track.selected != 0; });
}

void MainWindow::ToggleCurrentMark() {
    const int current = run_.currentTrack;
    if (current < 0 || static_cast<size_t>(current) >= disc_.tracks.size()) {
        return;
    }
    model_->SetMark(current, !disc_.tracks[static_cast<size_t>(current)].marked);
}

void MainWindow::OnEncoderChosen(int kind) {
    if (Busy()) {
        ShowEncoder(options_.Encoder);
        return;
    }
    // The tracks are the running rip's until its worker has gone.
    if (!rip_.Running() &&
        ApplyEncoderToAllTracks(options_, disc_, run_, static_cast<EncoderKind>(kind))) {
        model_->Reload();
    }
}

void MainWindow::UpdateCommands() {
    state_.ripping = Busy();
    state_.disc = !disc_.tracks.empty();
    state_.mayLookUp = !lookedUp_ && !lookup_.Running();
    state_.ripLog = RipLogThere();
    actions_->Update(state_);
}

bool MainWindow::RipLogThere() const {
    // The run's result reaches lastRip_ once its worker is gone.
    return !rip_.Running() && !lastRip_.run.log.empty() &&
           QFileInfo::exists(Text(lastRip_.run.log));
}

QTableView* MainWindow::trackList() const {
    return trackList_;
}

QAction* MainWindow::menuAction(const QString& text) const {
    return actions_->MenuAction(text);
}

void MainWindow::OnContextMenu(const QPoint& point) {
    if (disc_.tracks.empty()) {
        return;
    }
    run_.currentTrack = trackList_->rowAt(point.y());
    actions_->contextMenu->popup(trackList_->viewport()->mapToGlobal(point));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (convertFiles_ != nullptr && convertFiles_->Running()) {
        if (!dialogs_.AskYesNo(this, tr("Exit confirmation"),
                               tr("Files are being converted.\nDo you want to stop the "
                                  "conversion and exit anyway?"))) {
            event->ignore();
            return;
        }
        convertFiles_->StopAndWait();
    }
    if (Busy()) {
        if (!dialogs_.AskYesNo(this, tr("Exit confirmation"),
                               tr("You are currently ripping.\nDo you want to stop "
                                  "and exit anyway?"))) {
            event->ignore();
            return;
        }
        ShowStatus(CoreText(kWaitingForWorkerText));
        rip_.Abandon();
        rip_.Wait();
        runProgress_->Finish();
    } else {
        player_->StopPlayback();
    }
    options_.window = TakeWindowPlace(*this, *trackList_->horizontalHeader());
    event->accept();
}

// The boxes and the free space.

void MainWindow::NotifyRipEnd(const RipOutcome& outcome) {
    // The user looking at the window sees the end there; a stopped rip was ended on purpose.
    if (isActiveWindow() || !notifier_) {
        return;
    }
    for (const Track& track : disc_.tracks) {
        if (track.marked && track.status == kStatusStopped) {
            return;
        }
    }
    notifier_->Notify(RipNotice::Summary(outcome.wellEnded),
                      RipNotice::Body(disc_, lastRip_.run, outcome.sentence));
}

void MainWindow::OnDriveChosen(int index) {
    if (Busy()) {
        // The list must belong to the drive a running rip reads.
        const QSignalBlocker quiet(driveBox_);
        driveBox_->setCurrentIndex(options_.Cdrom);
        return;
    }
    if (index != options_.Cdrom) {
        RefreshCommand();  // the list now shows the disc of the chosen drive, as F5 would
    }
}

void MainWindow::OnRowChanged() {
    const int row = trackList_->currentIndex().row();
    if (row >= 0 && static_cast<size_t>(row) < disc_.tracks.size()) {
        ShowEncoder(disc_.tracks[static_cast<size_t>(row)].encoder);
    }
}

void MainWindow::UpdateFreeSpace() {
    const long long bytes = platform::FreeBytes(options_.Outfolder);
    // "." and other relative folders are told as the absolute path they are.
    const QString folder = QDir::cleanPath(QFileInfo(Text(options_.Outfolder)).absoluteFilePath());
    freeSpacePane_->setText(CoreText(FreeSpaceWords(bytes, folder.toStdString())));
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
