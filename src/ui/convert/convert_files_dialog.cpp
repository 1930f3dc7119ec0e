#include "ui/convert/convert_files_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <exception>
#include <initializer_list>

#include "platform/system/files.h"
#include "skin/icons.h"
#include "ui/convert/conversion_list_model.h"
#include "ui/convert/conversion_list_view.h"
#include "ui/core_texts.h"
#include "ui/options/page_controls.h"

namespace disctrove::ui {

namespace {

constexpr int kBarSteps = 1000;

QPushButton* Button(const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

ConvertFilesDialog::ConvertFilesDialog(Options& options, UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent), options_(options), dialogs_(dialogs), bridge_(dialogs, this) {
    setWindowTitle(tr("Convert files"));
    setWindowIcon(skin::AppIcon());
    setModal(false);

    model_ = new ConversionListModel(this);
    list_ = new ConversionListView(this);
    list_->setModel(model_);
    list_->setMinimumSize(560, 200);
    QHeaderView* header = list_->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(ConversionListModel::fileColumn, QHeaderView::Interactive);
    header->setSectionResizeMode(ConversionListModel::statusColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(ConversionListModel::percentColumn, QHeaderView::Fixed);
    header->resizeSection(ConversionListModel::fileColumn, 260);
    header->resizeSection(ConversionListModel::percentColumn, 80);

    addFiles_ = Button(tr("Add files..."), this);
    addFolder_ = Button(tr("Add folder..."), this);
    remove_ = Button(tr("Remove"), this);
    clear_ = Button(tr("Clear"), this);
    auto* listButtons = new QHBoxLayout;
    for (QPushButton* button : {addFiles_, addFolder_, remove_, clear_}) {
        listButtons->addWidget(button);
    }
    listButtons->addStretch(1);

    format_ = new QComboBox(this);
    AddEncoderEntries(format_, kEncoderWav);
    const int kind = options.convert.Encoder;
    format_->setCurrentIndex(kind >= 0 && kind < format_->count() ? kind : kEncoderFlac);
    const std::string& folder =
        options.convert.Outfolder.empty() ? options.Outfolder : options.convert.Outfolder;
    folder_ = new QLineEdit(QString::fromStdString(folder), this);
    browse_ = Button(tr("Browse..."), this);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(folder_, 1);
    folderRow->addWidget(browse_);
    keepTree_ = new QCheckBox(tr("Keep the folder tree"), this);
    keepTree_->setChecked(options.convert.KeepTree != 0);
    keepTree_->setToolTip(
        tr("Each file goes to the same place below the output folder as it "
           "had below the folder it was found in."));
    skipExisting_ = new QCheckBox(tr("Skip files already converted"), this);
    skipExisting_->setChecked(options.convert.SkipExisting != 0);
    checkSignatures_ = new QCheckBox(tr("Check FLAC sources against their MD5 signature"), this);
    checkSignatures_->setChecked(options.convert.CheckSignatures != 0);
    checkSignatures_->setToolTip(
        tr("Slower. A FLAC file whose samples differ from its signature fails instead of being "
           "converted; damaged frames are found either way."));
    auto* boxes = new QGridLayout;
    boxes->addWidget(keepTree_, 0, 0);
    boxes->addWidget(skipExisting_, 0, 1);
    boxes->addWidget(checkSignatures_, 1, 0, 1, 2);
    boxes->setColumnStretch(2, 1);
    auto* form = new QFormLayout;
    form->addRow(tr("Format"), format_);
    form->addRow(tr("Output folder"), folderRow);
    form->addRow(QString(), boxes);

    notice_ = new QLabel(this);
    notice_->setWordWrap(true);
    notice_->hide();
    progressText_ = new QLabel(this);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, kBarSteps);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    summary_ = new QLabel(this);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    summary_->hide();

    openFolder_ = Button(tr("Open output folder"), this);
    openFolder_->setEnabled(false);
    start_ = Button(QString(), this);
    close_ = Button(tr("Close"), this);
    close_->setIcon(skin::IconFor(skin::CommandIcon::closeDialog));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(openFolder_);
    buttons->addStretch(1);
    buttons->addWidget(start_);
    buttons->addWidget(close_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(listButtons);
    layout->addLayout(form);
    layout->addWidget(notice_);
    layout->addWidget(progressText_);
    layout->addWidget(bar_);
    layout->addWidget(summary_);
    layout->addLayout(buttons);

    connect(list_, &ConversionListView::pathsDropped, this, &ConvertFilesDialog::AddPaths);
    connect(this, &ConvertFilesDialog::inboxFilled, this, &ConvertFilesDialog::TakeInbox,
            Qt::QueuedConnection);
    connect(addFiles_, &QPushButton::clicked, this, &ConvertFilesDialog::AddFiles);
    connect(addFolder_, &QPushButton::clicked, this, &ConvertFilesDialog::AddFolder);
    connect(remove_, &QPushButton::clicked, this, [this] {
        std::vector<int> rows;
        for (const QModelIndex& index : list_->selectionModel()->selectedRows()) {
            rows.push_back(index.row());
        }
        model_->RemoveRows(std::move(rows));
        UpdateControls();
    });
    connect(clear_, &QPushButton::clicked, this, [this] {
        model_->Clear();
        UpdateControls();
    });
    connect(browse_, &QPushButton::clicked, this, &ConvertFilesDialog::BrowseFolder);
    connect(start_, &QPushButton::clicked, this, &ConvertFilesDialog::StartOrStop);
    connect(close_, &QPushButton::clicked, this, &ConvertFilesDialog::reject);
    connect(openFolder_, &QPushButton::clicked, this, [this] {
        // Through the dialogs, so that a test never starts a file manager.
        if (!dialogs_.OpenFile(outdir_)) {
            dialogs_.Inform(this, QStringLiteral("Disctrove"),
                            tr("The folder %1 could not be opened.").arg(outdir_));
        }
    });
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ConvertFilesDialog::UpdateControls);
    UpdateControls();
}

ConvertFilesDialog::~ConvertFilesDialog() {
    // Never leave a batch running over a dialog that is gone.
    StopAndWait();
}

int ConvertFilesDialog::AddPaths(const QStringList& paths) {
    if (running_) {
        return 0;
    }
    const int added = model_->AddPaths(paths);
    UpdateControls();
    return added;
}

void ConvertFilesDialog::AddFiles() {
    const QStringList files = dialogs_.PickFiles(
        this, {tr("Audio files and CUE sheets (*.wav *.flac *.ogg *.oga *.opus *.mp3 *.wma "
                  "*.m4a *.aac *.cue)"),
               tr("All files (*)")});
    AddPaths(files);
}

void ConvertFilesDialog::AddFolder() {
    const QString folder = dialogs_.PickFolder(this, folder_->text());
    if (!folder.isEmpty()) {
        AddPaths({folder});
    }
}

void ConvertFilesDialog::BrowseFolder() {
    const QString folder = dialogs_.PickFolder(this, folder_->text());
    if (!folder.isEmpty()) {
        folder_->setText(folder);
    }
}

void ConvertFilesDialog::StoreChoices() {
    options_.convert.Encoder = static_cast<EncoderKind>(std::max(format_->currentIndex(), 0));
    options_.convert.Outfolder = folder_->text().trimmed().toStdString();
    options_.convert.KeepTree = keepTree_->isChecked() ? 1 : 0;
    options_.convert.SkipExisting = skipExisting_->isChecked() ? 1 : 0;
    options_.convert.CheckSignatures = checkSignatures_->isChecked() ? 1 : 0;
}

void ConvertFilesDialog::StartOrStop() {
    if (running_) {
        batch_.request_stop();  // files under way are removed; the batch ends soon
        start_->setEnabled(false);
        return;
    }
    if (model_->rowCount() == 0) {
        dialogs_.Inform(this, QStringLiteral("Disctrove"),
                        tr("Add the files or folders to convert first."));
        return;
    }
    const QString outdir = folder_->text().trimmed();
    if (outdir.isEmpty()) {
        dialogs_.Inform(this, QStringLiteral("Disctrove"), tr("Choose the output folder."));
        folder_->setFocus();
        return;
    }
    StoreChoices();
    ConversionRequest request;
    request.paths = model_->Paths();
    request.encoder = options_.convert.Encoder;
    request.outdir = outdir.toStdString();
    request.threads = options_.EncoderThreads;
    request.keepTree = options_.convert.KeepTree != 0;
    request.skipExisting = options_.convert.SkipExisting != 0;
    request.checkSignatures = options_.convert.CheckSignatures != 0;
    platform::CreateFolderPath(request.outdir);  // a folder typed in the dialog
    outdir_ = outdir;

    running_ = true;
    model_->SetBatchRunning(true);
    notice_->hide();
    summary_->hide();
    openFolder_->setEnabled(false);
    bar_->setValue(0);
    progressText_->clear();
    UpdateControls();
    clock_.start();
    batchDone_ = false;
    // The batch reads its own copy: the Options dialog may change the settings meanwhile.
    batch_ =
        std::jthread([this, options = options_, request, runner = runner_](std::stop_token stop) {
            ConversionSummary summary;
            QString problem;
            try {
                summary = runner(options, request, *this, bridge_, stop);
            } catch (const std::exception& error) {
                problem = QString::fromStdString(error.what());
            }
            Post([&](Inbox& inbox) { inbox.ended.emplace(std::move(summary), problem); });
            batchDone_ = true;
        });
}

void ConvertFilesDialog::StopAndWait() {
    if (!batch_.joinable()) {
        return;
    }
    batch_.request_stop();
    if (!batchDone_) {
        // A plain join would block the questions the batch may still ask on this thread.
        QEventLoop loop;
        QTimer poll;
        connect(&poll, &QTimer::timeout, &loop, [&] {
            if (batchDone_) {
                loop.quit();
            }
        });
        poll.start(20);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    batch_.join();
    // The batch's last word is in the inbox: show it now, so that Running() is false on return.
    TakeInbox();
}

void ConvertFilesDialog::reject() {
    if (running_) {
        if (!dialogs_.AskYesNo(this, tr("Convert files"),
                               tr("Files are being converted.\nDo you want to stop the "
                                  "conversion and close?"))) {
            return;
        }
        StopAndWait();
    }
    StoreChoices();
    QDialog::reject();
}

void ConvertFilesDialog::Post(const std::function<void(Inbox&)>& put) {
    {
        const std::lock_guard lock(inboxMutex_);
        put(inbox_);
    }
    emit inboxFilled();
}

void ConvertFilesDialog::TakeInbox() {
    Inbox taken;
    {
        const std::lock_guard lock(inboxMutex_);
        taken = std::move(inbox_);
        inbox_ = Inbox{};
    }
    if (taken.planned) {
        model_->Plan(*taken.planned);
    }
    for (const auto& [index, item] : taken.changed) {
        model_->Update(index, item);
    }
    if (taken.notice) {
        notice_->setText(CoreText(*taken.notice));
        notice_->show();
    }
    if (taken.ended) {
        OnBatchEnded(taken.ended->first);
        if (!taken.ended->second.isEmpty()) {
            summary_->setText(tr("The conversion ended early: %1").arg(taken.ended->second));
        }
        return;
    }
    if (taken.planned || !taken.changed.empty()) {
        ShowProgress();
        UpdateControls();
    }
}

void ConvertFilesDialog::Planned(const std::vector<ConversionItem>& items) {
    Post([&](Inbox& inbox) { inbox.planned = items; });
}

void ConvertFilesDialog::Changed(size_t index, const ConversionItem& item) {
    Post([&](Inbox& inbox) { inbox.changed.emplace_back(index, item); });
}

void ConvertFilesDialog::Told(const std::string& notice) {
    Post([&](Inbox& inbox) { inbox.notice = notice; });
}

void ConvertFilesDialog::OnBatchEnded(const ConversionSummary& summary) {
    model_->Finish(summary);
    running_ = false;
    summary_->setText(ConversionListModel::SummaryText(summary));
    summary_->show();
    openFolder_->setEnabled(summary.Count(ConversionOutcome::converted) > 0 ||
                            summary.Count(ConversionOutcome::skipped) > 0);
    ShowProgress();
    UpdateControls();
    emit batchEnded();
}

void ConvertFilesDialog::ShowProgress() {
    const size_t total = model_->BatchSize();
    const double fraction = running_ ? model_->BatchFraction() : 1.0;
    const double elapsed = static_cast<double>(clock_.isValid() ? clock_.elapsed() : 0) / 1000.0;
    progressText_->setText(
        ConversionListModel::ProgressText(model_->BatchEnded(), total, fraction, elapsed));
    bar_->setValue(total == 0 ? 0 : static_cast<int>(std::lround(fraction * kBarSteps)));
}

void ConvertFilesDialog::UpdateControls() {
    const bool idle = !running_;
    for (QWidget* widget :
         std::initializer_list<QWidget*>{addFiles_, addFolder_, format_, folder_, browse_,
                                         keepTree_, skipExisting_, checkSignatures_}) {
        widget->setEnabled(idle);
    }
    list_->SetDropsTaken(idle);
    remove_->setEnabled(list_->selectionModel()->hasSelection());
    clear_->setEnabled(model_->rowCount() > 0);
    start_->setText(idle ? tr("Start") : tr("Stop"));
    start_->setIcon(
        skin::IconFor(idle ? skin::CommandIcon::startWork : skin::CommandIcon::stopWork));
    start_->setEnabled(idle ? model_->rowCount() > 0 : !batch_.get_stop_token().stop_requested());
}

}  // namespace disctrove::ui
