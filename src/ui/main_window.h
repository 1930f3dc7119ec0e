// The main window: drive and encoder boxes, the track list, the command buttons and menus, the
// status bar; it turns commands into work on the disc model and shows what the workers report.
#pragma once

#include <QMainWindow>
#include <QString>
#include <memory>
#include <utility>
#include <vector>

#include "app/settings.h"
#include "disc/disc_lookup.h"
#include "ui/convert/conversion_progress_dialog.h"
#include "ui/notifier.h"
#include "ui/options/options_dialog.h"
#include "ui/player/cd_player.h"
#include "ui/player/volume_slider.h"
#include "ui/user_dialogs.h"
#include "ui/worker_bridge.h"
#include "work/worker_context.h"
#include "work/worker_thread.h"

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QSlider;
class QTableWidget;
class QToolButton;

namespace disctrove::ui {

class CoverPreview;
class DiscWatch;
class RunProgress;

class MainWindow : public QMainWindow {
    Q_OBJECT

  public:
    MainWindow(Settings& settings, UserDialogs& dialogs, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The controls, for tests and for the dialogs that build on this window.
    QTableWidget* trackList() const { return trackList_; }
    // The front cover beside the track list; hidden while none is known for the disc.
    QLabel* coverPicture() const { return cover_; }
    QComboBox* driveBox() const { return driveBox_; }
    QComboBox* encoderBox() const { return encoderBox_; }
    QString statusText() const;
    QString freeSpaceText() const;
    QAction* stopAction() const { return stopAction_; }
    // The menu action whose text (without its "&") is `text`; null when there is none.
    QAction* menuAction(const QString& text) const;
    CdPlayer* player() const { return player_; }
    QSlider* positionSlider() const { return position_; }
    VolumeSlider* volumeSlider() const { return volume_; }
    DiscWatch* discWatch() const { return discWatch_; }
    RunProgress* runProgress() const { return runProgress_; }
    // Where the end of a rip is told when the window is not in front (the desktop's by default).
    void SetNotifier(std::unique_ptr<Notifier> notifier) { notifier_ = std::move(notifier); }

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
    void ShowAbout();
    void ShowHelpContents();
    void ShowQuickStart();
    void ShowRipLog();
    void UpdateFreeSpace();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void BuildMenus();
    QWidget* BuildControls();
    void Refresh();
    void Synchronise();
    void TakeRowStates();
    void RefillList();
    // Shows the cover of the disc's release when it has been fetched, hides the picture otherwise.
    void ShowCover();
    void RewriteRows();
    void WriteRow(int row);
    void ShowStatus(const QString& text);
    void ShowEncoder(int kind);
    void WaitForWorker();
    // Shows as disabled every command that cannot act now (during a rip, without a disc, ...).
    void UpdateCommands();
    // Show rip log acts when a finished rip wrote a log that is still there.
    void UpdateRipLogAction();
    bool Busy() const { return settings_.ripping != 0; }
    int FirstSelectedRow() const;
    // A file conversion: its choice dialog, then, with a source, its progress dialog.
    void ConversionCommand(Conversion conversion);

    void OnTrackProgress(int position, int status);
    void OnWorkFinished();
    void OnLookupDone();
    void OnDiscChanged();
    bool MayRefreshByItself() const;
    void NotifyRipEnd();
    void OnEncoderChosen(int kind);
    void OnRowChanged();
    void OnSelectionChanged();
    void OnDriveChosen(int index);
    void OnContextMenu(const QPoint& point);
    // Opens help/`page` in the desktop's viewer; `missingMessage` when the page is not there.
    void OpenHelp(const char* page, const QString& missingMessage);

    Settings& settings_;
    UserDialogs& dialogs_;
    WorkerBridge bridge_;
    WorkerContext context_;
    DiscLookup lookup_;
    WorkerThread worker_;

    bool lookedUp_ = false;  // a reply was applied (or the disc is unreadable): no CDDB command
    bool refreshOk_ = true;  // the last refresh read the disc
    QString savedStatus_;

    QComboBox* driveBox_ = nullptr;
    QComboBox* encoderBox_ = nullptr;
    QTableWidget* trackList_ = nullptr;
    QLabel* cover_ = nullptr;
    QLabel* statusPane_ = nullptr;
    QLabel* freeSpacePane_ = nullptr;
    QMenu* contextMenu_ = nullptr;
    QAction* stopAction_ = nullptr;
    QAction* ripLogAction_ = nullptr;
    // The commands that are shown disabled when they cannot act, each with its menu action and
    // button (or box).
    enum class Command {
        refresh,
        cddb,
        rip,
        stop,
        trackSettings,
        options,
        marks,
        conversions,
        boxes,
        play,
        player,
    };
    std::vector<std::pair<Command, QWidget*>> commandWidgets_;
    std::vector<std::pair<Command, QAction*>> commandActions_;
    QSlider* position_ = nullptr;
    VolumeSlider* volume_ = nullptr;
    CdPlayer* player_ = nullptr;
    DiscWatch* discWatch_ = nullptr;
    RunProgress* runProgress_ = nullptr;
    std::unique_ptr<Notifier> notifier_;
    CoverPreview* coverPreview_ = nullptr;  // a child: its thread ends with the window
    int statusWidth_ = 0;  // the Status column's width at a refill (the user's, once stored)
};

}  // namespace disctrove::ui
