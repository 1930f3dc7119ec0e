// "Convert files": a list of files and folders (added by button or dropped from a file manager),
// the format and output folder, and a batch that converts them on its own thread while the
// dialog shows each row's status, the overall progress and, at the end, a summary. The dialog is
// not modal: the main window stays usable while a batch runs.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>
#include <utility>

#include "app/options.h"
#include "convert/conversion_batch.h"
#include "ui/user_dialogs.h"
#include "ui/worker_bridge.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace disctrove::ui {

class ConversionListModel;
class ConversionListView;

// What runs a batch: RunConversion, or a stand-in in tests.
using ConversionRunner =
    std::function<ConversionSummary(const Options&, const ConversionRequest&, ConversionObserver&,
                                    WorkerQuestions&, std::stop_token)>;

class ConvertFilesDialog : public QDialog, private ConversionObserver {
    Q_OBJECT

  public:
    // A batch reads its formats, ReplayGain and Overwrite from `options` as it starts; the
    // dialog's own choices are kept in `options`' convert section.
    ConvertFilesDialog(Options& options, UserDialogs& dialogs, QWidget* parent);
    // Stops a running batch and waits for it.
    ~ConvertFilesDialog() override;

    ConversionListModel* model() const { return model_; }
    ConversionListView* list() const { return list_; }
    QComboBox* formatBox() const { return format_; }
    QLineEdit* folderEdit() const { return folder_; }
    QCheckBox* keepTreeBox() const { return keepTree_; }
    QCheckBox* skipExistingBox() const { return skipExisting_; }
    QCheckBox* checkSignaturesBox() const { return checkSignatures_; }
    QPushButton* startButton() const { return start_; }
    QPushButton* openFolderButton() const { return openFolder_; }
    QLabel* noticeText() const { return notice_; }
    QLabel* progressText() const { return progressText_; }
    QLabel* summaryText() const { return summary_; }
    QProgressBar* progressBar() const { return bar_; }

    // Batches run through `runner` from now on (tests).
    void SetRunner(ConversionRunner runner) { runner_ = std::move(runner); }

    // True from Start until the batch's end has reached the dialog.
    bool Running() const { return running_; }
    // Adds files and folders to the list (not while a batch runs); returns how many were new.
    int AddPaths(const QStringList& paths);
    // Start, or Stop while a batch runs.
    void StartOrStop();
    // Asks the batch to stop and waits for it, answering its questions meanwhile.
    void StopAndWait();
    // The title bar's close button, Close and Escape: a running batch is stopped first, if the
    // user agrees.
    void reject() override;

  signals:
    // The batch's end has been shown.
    void batchEnded();
    // The batch put something in the inbox (emitted on its threads, taken on the dialog's).
    void inboxFilled();

  private:
    // ConversionObserver, on the batch's threads: each passes a copy to the dialog's thread.
    void Planned(const std::vector<ConversionItem>& items) override;
    void Changed(size_t index, const ConversionItem& item) override;
    void Told(const std::string& notice) override;

    // What the batch's threads hand the dialog's thread. It goes through our own lock rather than
    // in queued calls, whose hand-over inside Qt the thread checker cannot follow.
    struct Inbox {
        std::optional<std::vector<ConversionItem>> planned;
        std::vector<std::pair<size_t, ConversionItem>> changed;
        std::optional<std::string> notice;
        std::optional<std::pair<ConversionSummary, QString>> ended;  // the summary, a problem
    };
    void Post(const std::function<void(Inbox&)>& put);
    void TakeInbox();  // on the dialog's thread

    void OnBatchEnded(const ConversionSummary& summary);
    void ShowProgress();
    void UpdateControls();
    // The dialog's choices into options_.convert.
    void StoreChoices();
    void AddFiles();
    void AddFolder();
    void BrowseFolder();

    Options& options_;
    UserDialogs& dialogs_;
    WorkerBridge bridge_;  // the batch's overwrite questions, asked over this dialog

    ConversionListModel* model_;
    ConversionListView* list_;
    QPushButton* addFiles_;
    QPushButton* addFolder_;
    QPushButton* remove_;
    QPushButton* clear_;
    QComboBox* format_;
    QLineEdit* folder_;
    QPushButton* browse_;
    QCheckBox* keepTree_;
    QCheckBox* skipExisting_;
    QCheckBox* checkSignatures_;
    QLabel* notice_;
    QLabel* progressText_;
    QProgressBar* bar_;
    QLabel* summary_;
    QPushButton* openFolder_;
    QPushButton* start_;
    QPushButton* close_;

    ConversionRunner runner_ = RunConversion;
    QString outdir_;  // the last batch's output folder
    QElapsedTimer clock_;
    bool running_ = false;
    std::atomic<bool> batchDone_{true};  // the batch's thread has posted its end
    std::mutex inboxMutex_;
    Inbox inbox_;
    // Last: it is joined (after a stop) before the members it uses go.
    std::jthread batch_;
};

}  // namespace disctrove::ui
