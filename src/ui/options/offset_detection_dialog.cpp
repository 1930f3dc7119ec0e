#include "ui/options/offset_detection_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "disc/accuraterip_id.h"
#include "disc/accuraterip_lookup.h"
#include "disc/disc.h"
#include "ui/core_texts.h"

namespace disctrove::ui {

OffsetDetectionDialog::OffsetDetectionDialog(const Options& options, const DiscState& disc,
                                             UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent), options_(options), disc_(disc), bridge_(dialogs, this), context_{options_,
                                                                                        disc_,
                                                                                        session_,
                                                                                        run_,
                                                                                        bridge_,
                                                                                        bridge_} {
    setWindowTitle(tr("Detect read offset"));
    auto* intro = new QLabel(tr("Reading the disc at the offsets drives commonly have, then "
                                "at every other, until its tracks give AccurateRip's checksums."),
                             this);
    intro->setWordWrap(true);
    lines_ = new QPlainTextEdit(this);
    lines_->setReadOnly(true);
    lines_->setMinimumSize(520, 180);
    buttons_ = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    buttons_->button(QDialogButtonBox::Cancel)->setText(tr("Stop"));
    connect(buttons_, &QDialogButtonBox::rejected, this, &OffsetDetectionDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(lines_, 1);
    layout->addWidget(buttons_);

    run_.finished = 0;
    const bool started = worker_.Start([this](std::stop_token stop) {
        context_.stop = std::move(stop);
        const Drive* drive = DriveAt(disc_, options_.Cdrom);
        std::vector<AccurateRipPressing> pressings;
        if (drive != nullptr) {
            pressings = FetchAccurateRip(AccurateRipRequest(options_, disc_),
                                         ComputeAccurateRipDiscId(drive->toc, drive->discId),
                                         context_.stop);
        }
        // Lines and the end reach the dialog on its own thread; none arrive once it is gone.
        const OffsetFinding finding =
            FindReadOffset(context_, pressings, [this](const std::string& line) {
                QMetaObject::invokeMethod(
                    this, [this, text = CoreText(line)] { Say(text); }, Qt::QueuedConnection);
            });
        run_.finished = 1;
        QMetaObject::invokeMethod(
            this, [this, finding] { Finish(finding); }, Qt::QueuedConnection);
        return 0;
    });
    if (!started) {
        Finish({});
    }
}

OffsetDetectionDialog::~OffsetDetectionDialog() = default;

void OffsetDetectionDialog::Say(const QString& line) {
    lines_->appendPlainText(line);
}

void OffsetDetectionDialog::Finish(const OffsetFinding& finding) {
    worker_.Join();
    over_ = true;
    if (finding.outcome == OffsetFinding::Outcome::found) {
        found_ = finding;
    }
    if (stopping_) {
        QDialog::reject();
        return;
    }
    buttons_->clear();
    buttons_->addButton(QDialogButtonBox::Close);
}

void OffsetDetectionDialog::reject() {
    if (!over_) {
        stopping_ = true;
        worker_.Stop();
        buttons_->setEnabled(false);
        Say(tr("Stopping..."));
        return;
    }
    QDialog::reject();
}

}  // namespace disctrove::ui
