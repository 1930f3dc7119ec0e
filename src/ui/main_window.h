// The main window: it lays out the drive and encoder boxes, the track list, the command buttons
// and the status bar, and wires the commands (WindowActions) to the track list's model
// (TrackTableModel), the rip (RipController) and the look-ups (LookupController).
#pragma once

#include <QMainWindow>
#include <QString>
#include <memory>
#include <utility>
#include <vector>

#include "front/program_state.h"
#include "ui/convert/conversion_progress_dialog.h"
#include "ui/desktop_opener.h"
#include "ui/drive_offset_offer.h"
#include "ui/help_commands.h"
#include "ui/lookup_controller.h"
#include "ui/notifier.h"
#include "ui/options/options_dialog.h"
#include "ui/player/cd_player.h"
#include "ui/player/volume_slider.h"
#include "ui/rip_controller.h"
#include "ui/user_dialogs.h"
#include "ui/window_actions.h"

class QAction;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QSlider;
class QTableView;

namespace disctrove {
struct RipOutcome;
}

namespace disctrove::ui {

class AlbumPanel;
class ConvertFilesDialog;
class CoverPreview;
class DiscWatch;
class LookupBanner;
class RipOutcomeBar;
class NameEdits;
class RunProgress;
class TrackListView;
class TrackTableModel;

class MainWindow : public QMainWindow {
    Q_OBJECT

  public:
    MainWindow(ProgramState& state, UserDialogs& dialogs, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The controls, for tests and for the dialogs that build on this window.
    QTableView* trackList() const;
    // The front cover above the track list; hidden while none is known for the disc.
    QLabel* coverPicture() const;
    // The album's names above the track list.
    AlbumPanel* albumPanel() const { return albumPanel_; }
    QComboBox* driveBox() const { return driveBox_; }
    QComboBox* encoderBox() const { return encoderBox_; }
    QString statusText() const;
    QString freeSpaceText() const;
    QAction* stopAction() const { return actions_->stop; }
    // The menu action whose text (without its "&") is `text`; null when there is none.
    QAction* menuAction(const QString& text) const;
    CdPlayer* player() const { return player_; }
    QSlider* positionSlider() const { return position_; }
    VolumeSlider* volumeSlider() const { return volume_; }
    DiscWatch* discWatch() const { return discWatch_; }
    RunProgress* runProgress() const { return runProgress_; }
    // Where the end of a rip is told when the window is not in front (the desktop's by default).
    void SetNotifier(std::unique_ptr<Notifier> notifier) { notifier_ = std::move(notifier); }
    // Where folders and web pages are opened (the desktop's file manager and browser by default).
    void SetOpener(std::unique_ptr<DesktopOpener> opener) { opener_ = std::move(opener); }
    // The bars above the track list: after a rip, and after a look-up that found nothing.
    RipOutcomeBar* ripOutcomeBar() const { return outcomeBar_; }
    LookupBanner* lookupBanner() const { return lookupBanner_; }

  public slots:
    void RefreshCommand();
    void CddbCommand();
    void RipCommand();
    void StopCommand();
    void MarkAll();
    void UnmarkAll();
    void ReverseMarks();
    void SelectAllRows();
    void MarkSelected();
    void ToggleCurrentMark();
    void OptionsCommand(OptionsTab first);
    void TrackSettingsCommand();
    void EncodeWavCommand();
    void DecodeFileCommand();
    // Opens the "Convert files" dialog (one per window, kept while the window lives).
    void ConvertFilesCommand();
    void ShowAbout() { help_.ShowAbout(); }
    void ShowHelpContents() { help_.ShowContents(); }
    void ShowQuickStart() { help_.ShowQuickStart(); }
    void ShowRipLog();
    void UpdateFreeSpace();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // The layout, top to bottom; each adds its controls to `focusChain` in the order Tab visits
    // them.
    QHBoxLayout* BuildBoxes(QWidget* central, std::vector<QWidget*>& focusChain);
    QHBoxLayout* BuildButtons(QWidget* central, std::vector<QWidget*>& focusChain);
    QHBoxLayout* BuildPlayer(QWidget* central, std::vector<QWidget*>& focusChain);
    QWidget* BuildControls();
    void BuildStatusBar();
    void SetTabOrder(const std::vector<QWidget*>& focusChain);
    // Connects the commands to what carries them out.
    void WireActions();
    void WireWork();

    void Refresh();
    // Takes the chosen drive and the track the commands act on (the first selected).
    void Synchronise();
    // Shows the cover of the disc's release when it has been fetched, hides the picture otherwise.
    void ShowCover();
    void ShowStatus(const QString& text);
    void ShowEncoder(int kind);
    // Shows as disabled every command that cannot act now (during a rip, without a disc, ...).
    void UpdateCommands();
    // Show rip log acts when a finished rip wrote a log that is still there.
    bool RipLogThere() const;
    bool Busy() const { return rip_.Busy(); }
    // A file conversion: its choice dialog, then, with a source, its progress dialog.
    void ConversionCommand(Conversion conversion);
    // Applies the names a look-up found.
    void ApplyLookup();

    void OnTrackProgress(int row);
    void OnRipFinished();
    void OnLookupEnded(bool taken);
    void OnDiscChanged();
    bool MayRefreshByItself() const;
    void NotifyRipEnd(const RipOutcome& outcome);
    // The bar after a rip, the notice and, after a rip that ended well, the eject.
    void TellRipEnd();
    // Says so above the list when the look-up found nothing.
    void TellNothingFound();
    void OnEncoderChosen(int kind);
    void OnRowChanged();
    void OnDriveChosen(int index);
    void OnContextMenu(const QPoint& point);

    // One reference per record of the program's state.
    Options& options_;
    DiscState& disc_;
    LookupResult& found_;  // the last look-up's answer
    LastRip& lastRip_;
    SessionChoices& session_;
    RunState& run_;
    UserDialogs& dialogs_;
    LookupController lookup_;
    RipController rip_;  // after the look-up: a rip is stopped first as the window goes
    HelpCommands help_;
    DriveOffsetOffer offsetOffer_;  // the drive list's offset, offered once per drive
    NameEdits* edits_ = nullptr;    // the names typed in the window, for Undo and a refresh
    TrackTableModel* model_ = nullptr;
    WindowActions* actions_ = nullptr;
    WindowState state_;  // as the commands were last enabled

    bool lookedUp_ = false;  // a reply was applied (or the disc is unreadable): no CDDB command
    bool refreshOk_ = true;  // the last refresh read the disc
    QString savedStatus_;

    QComboBox* driveBox_ = nullptr;
    QComboBox* encoderBox_ = nullptr;
    TrackListView* trackList_ = nullptr;
    AlbumPanel* albumPanel_ = nullptr;
    QLabel* statusPane_ = nullptr;
    QLabel* freeSpacePane_ = nullptr;
    QSlider* position_ = nullptr;
    VolumeSlider* volume_ = nullptr;
    CdPlayer* player_ = nullptr;
    DiscWatch* discWatch_ = nullptr;
    RunProgress* runProgress_ = nullptr;
    std::unique_ptr<Notifier> notifier_;
    std::unique_ptr<DesktopOpener> opener_;
    RipOutcomeBar* outcomeBar_ = nullptr;
    LookupBanner* lookupBanner_ = nullptr;
    CoverPreview* coverPreview_ = nullptr;        // a child: its thread ends with the window
    ConvertFilesDialog* convertFiles_ = nullptr;  // a child, made when first asked for
};

}  // namespace disctrove::ui
