#include "ui/convert/conversion_progress_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "codecs/conversion_worker.h"
#include "platform/system/files.h"
#include "skin/icons.h"
#include "work/file_names.h"

namespace disctrove::ui {

namespace {

QPushButton* Button(skin::CommandIcon icon, const QString& text, QWidget* parent) {
    auto* button = new QPushButton(skin::IconFor(icon), text, parent);
    // The dialog takes every key itself; a focused button would act on Space or Enter.
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoDefault(false);
    return button;
}

QLabel* PathText(const std::string& path, QWidget* parent) {
    auto* label = new QLabel(QString::fromStdString(path), parent);
    label->setMinimumWidth(380);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

}  // namespace

ConversionProgressDialog::ConversionProgressDialog(const Options& options,
                                                   const SessionInputs& session, RunState& run,
                                                   UserDialogs& dialogs, Conversion conversion,
                                                   QWidget* parent)
    : QDialog(parent),
      options_(options),
      session_(session),
      run_(run),
      dialogs_(dialogs),
      conversion_(conversion),
      bridge_(dialogs, this),
      context_{jobOptions_, jobDisc_, jobSession_, jobRun_, bridge_, bridge_} {
    const bool encode = conversion == Conversion::encodeWav;
    setWindowTitle(encode ? tr("Encoding WAV file") : tr("Decode to WAV file"));
    setWindowIcon(skin::AppIcon());
    progress_.index = -1;
    source_ = PathText(encode ? session.wavSourcePath : session.decodeSourcePath, this);
    destination_ = PathText(
        encode ? ConvertOutputPath(options, session.wavSourcePath) : session.wavSourcePath, this);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, 100);
    bar_->setValue(0);
    start_ = Button(skin::CommandIcon::startWork, tr("Start   "), this);
    close_ = Button(skin::CommandIcon::closeDialog, tr("Close   "), this);

    auto* paths = new QGridLayout;
    paths->addWidget(new QLabel(tr("Source"), this), 0, 0);
    paths->addWidget(source_, 0, 1);
    paths->addWidget(new QLabel(tr("Destination"), this), 1, 0);
    paths->addWidget(destination_, 1, 1);
    paths->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(start_);
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(paths);
    layout->addWidget(bar_);
    layout->addLayout(buttons);

    connect(start_, &QPushButton::clicked, this, &ConversionProgressDialog::StartOrStop);
    connect(close_, &QPushButton::clicked, this, &ConversionProgressDialog::CloseCommand);
    connect(&bridge_, &WorkerBridge::trackProgress, this, &ConversionProgressDialog::OnProgress);
    connect(&bridge_, &WorkerBridge::workFinished, this, &ConversionProgressDialog::OnFinished);
}

ConversionProgressDialog::~ConversionProgressDialog() {
    // Never leave a conversion running behind a closed dialog.
    Stop();
    bridge_.WaitUntilFinished(jobRun_);
    if (started_) {
        run_.finished = 1;
    }
}

void ConversionProgressDialog::SetRipping(int32_t value) {
    jobRun_.ripping = value;
    run_.ripping = value;
}

void ConversionProgressDialog::Stop() {
    SetRipping(0);
    if (started_) {
        worker_.Stop();  // the worker stops at its next check
    }
}

void ConversionProgressDialog::StartOrStop() {
    if (!started_) {
        started_ = true;
        start_->setText(tr("Stop   "));
        start_->setIcon(skin::IconFor(skin::CommandIcon::stopWork));
        // The disc's names belong to the disc: a file from elsewhere is tagged only with what
        // it tells of itself.
        jobOptions_ = options_;
        jobSession_ = session_;
        jobRun_.currentTrack = run_.currentTrack;
        SetRipping(1);
        jobRun_.finished = 0;
        run_.finished = 0;
        close_->setEnabled(false);
        platform::CreateFolderPath(jobOptions_.Outfolder);  // a folder typed in the dialog
        const bool encode = conversion_ == Conversion::encodeWav;
        if (!worker_.Start([this, encode](std::stop_token stop) {
                context_.stop = std::move(stop);
                return encode ? ConversionWorker(context_, progress_, result_)
                              : DecodeWorker(context_, progress_);
            })) {
            SetRipping(0);  // nothing runs, and nothing may claim to
            jobRun_.finished = 1;
            OnFinished();
        }
        return;
    }
    Stop();
    close_->setEnabled(true);
    start_->setEnabled(false);
}

void ConversionProgressDialog::CloseCommand() {
    if (jobRun_.ripping &&
        !dialogs_.AskYesNo(this, tr("Exit confirmation"),
                           tr("You are currently ripping.\nDo you want to stop and "
                              "exit anyway?"))) {
        return;
    }
    Stop();
    bridge_.WaitUntilFinished(jobRun_);
    worker_.Join();
    if (started_) {
        run_.finished = 1;
    }
    done(QDialog::Accepted);
}

void ConversionProgressDialog::reject() {
    CloseCommand();
}

void ConversionProgressDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        Stop();
    }
    event->accept();
}

void ConversionProgressDialog::OnProgress(int, int status) {
    // 101 (stopped) and 102 (failed) leave the bar where the work got to.
    if (status >= 0 && status <= kStatusCompleted) {
        bar_->setValue(status);
    }
}

void ConversionProgressDialog::OnFinished() {
    SetRipping(0);
    run_.finished = 1;
    start_->setEnabled(false);
    close_->setEnabled(true);
}

}  // namespace disctrove::ui
