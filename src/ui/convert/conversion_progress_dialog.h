// The progress dialogs of the two conversions ("Encoding WAV file", "Decode to WAV file"):
// the source, the destination, a bar, Start/Stop and Close. The conversion runs on a worker
// thread; the dialog shows at most one run.
#pragma once

#include <QDialog>

#include "app/options.h"
#include "codecs/worker_context.h"
#include "disc/disc_state.h"
#include "ui/user_dialogs.h"
#include "ui/worker_bridge.h"
#include "work/run_state.h"
#include "work/session_inputs.h"
#include "work/worker_thread.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace disctrove::ui {

enum class Conversion { encodeWav, decodeFile };

class ConversionProgressDialog : public QDialog {
    Q_OBJECT

  public:
    // Converts the file `session` names as `options` say; `run` tells the rest of the program
    // that a conversion runs.
    ConversionProgressDialog(const Options& options, const SessionInputs& session, RunState& run,
                             UserDialogs& dialogs, Conversion conversion, QWidget* parent);
    ~ConversionProgressDialog() override;

    QLabel* sourceText() const { return source_; }
    QLabel* destinationText() const { return destination_; }
    QProgressBar* progressBar() const { return bar_; }
    QPushButton* startButton() const { return start_; }
    QPushButton* closeButton() const { return close_; }

    // Start/Stop: starts the conversion, or asks the running one to stop.
    void StartOrStop();
    // Close: asks first while the conversion runs; then stops it, waits for it and closes.
    void CloseCommand();
    // The title bar's close button and Escape come here; Escape never closes the dialog.
    void reject() override;

  protected:
    // Keys do nothing here, so Escape and Enter never close the dialog; Escape stops a run.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void OnProgress(int position, int status);
    void OnFinished();

    // Sets the run flag `ripping` of the worker's run and of the live one (which tells the
    // rest of the program that a conversion runs).
    void SetRipping(int32_t value);
    // Clears `ripping` and asks the running worker to stop.
    void Stop();

    const Options& options_;
    const SessionInputs& session_;
    RunState& run_;
    // The worker's records, copied as the conversion starts: an empty disc, whose names and
    // release a file from elsewhere must not be tagged with, and run flags of its own.
    Options jobOptions_;
    DiscState jobDisc_;
    SessionInputs jobSession_;
    RunState jobRun_;
    UserDialogs& dialogs_;
    Conversion conversion_;
    WorkerBridge bridge_;
    WorkerContext context_;
    WorkerThread worker_;
    Track progress_;
    TrackResult result_;  // what the encoder made otherwise than asked, the loudness
    bool started_ = false;

    QLabel* source_;
    QLabel* destination_;
    QProgressBar* bar_;
    QPushButton* start_;
    QPushButton* close_;
};

}  // namespace disctrove::ui
