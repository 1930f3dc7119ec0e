// "Detect read offset": finds the drive's read offset from the disc in it, which AccurateRip must
// know, on a worker thread, and shows each step of the search as it comes. Stop ends the search.
#pragma once

#include <QDialog>
#include <optional>

#include "app/options.h"
#include "codecs/worker_context.h"
#include "disc/disc_state.h"
#include "rip/offset_finder.h"
#include "ui/user_dialogs.h"
#include "ui/worker_bridge.h"
#include "work/run_state.h"
#include "work/session_inputs.h"
#include "work/worker_thread.h"

class QDialogButtonBox;
class QPlainTextEdit;

namespace disctrove::ui {

class OffsetDetectionDialog : public QDialog {
    Q_OBJECT

  public:
    // Searches with the drive Cdrom of `disc` (copied: the main window's list keeps its own
    // tracks) and the AccurateRip server of `options`; starts as the dialog is made.
    OffsetDetectionDialog(const Options& options, const DiscState& disc, UserDialogs& dialogs,
                          QWidget* parent);
    // A search still running is stopped and waited for.
    ~OffsetDetectionDialog() override;

    // The offset found and confirmed, once the search is over.
    std::optional<OffsetFinding> found() const { return found_; }
    bool running() const { return !over_; }
    QPlainTextEdit* linesView() const { return lines_; }
    QDialogButtonBox* buttons() const { return buttons_; }

    // Escape and the window's close button stop a running search first.
    void reject() override;

  private:
    void Say(const QString& line);
    void Finish(const OffsetFinding& finding);

    QPlainTextEdit* lines_;
    QDialogButtonBox* buttons_;
    bool over_ = false;
    bool stopping_ = false;
    std::optional<OffsetFinding> found_;
    // What the worker reads and writes: its own, so nothing of the window's changes under it.
    Options options_;
    DiscState disc_;
    SessionInputs session_;
    RunState run_;
    WorkerBridge bridge_;
    WorkerContext context_;
    WorkerThread worker_;  // last: it stops before what it uses goes
};

}  // namespace disctrove::ui
