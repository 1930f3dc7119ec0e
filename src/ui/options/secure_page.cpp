#include "ui/options/secure_page.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/settings_file.h"
#include "app/settings_path.h"
#include "disc/disc.h"
#include "disc/drive_offsets.h"
#include "ui/offset_texts.h"
#include "ui/options/offset_detection_dialog.h"

namespace disctrove::ui {

namespace {

constexpr int kOffsetLimit = 3000;  // samples either way
constexpr int kFewestRetries = 1;
constexpr int kMostRetries = 100;
constexpr int kServerLength = 81;

// A spin box that shows `value` brought into its range.
QSpinBox* SpinBox(int minimum, int maximum, int32_t value, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setRange(minimum, maximum);
    box->setValue(value);  // clamped by the box
    box->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return box;
}

QCheckBox* CheckBox(const QString& text, int32_t value, QWidget* parent) {
    auto* box = new QCheckBox(text, parent);
    box->setChecked(value != 0);
    return box;
}

// A grey line of explanation under the fields it explains.
QLabel* Note(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

// `field` with a short grey explanation at its right.
QHBoxLayout* WithNote(QWidget* field, const QString& text) {
    auto* row = new QHBoxLayout;
    row->addWidget(field);
    auto* note = new QLabel(text, field->parentWidget());
    note->setForegroundRole(QPalette::PlaceholderText);
    row->addWidget(note, 1);
    return row;
}

}  // namespace

SecurePage::SecurePage(const Options& options, const DiscState& disc, UserDialogs& dialogs,
                       QWidget* parent)
    : OptionsPage(parent), options_(options), disc_(disc), dialogs_(dialogs) {
    auto* readGroup = new QGroupBox(tr("Reading"), this);
    offset_ = SpinBox(-kOffsetLimit, kOffsetLimit, options.ReadOffset, readGroup);
    offset_->setSuffix(tr(" samples"));
    offset_->setToolTip(
        tr("The read offset of every drive that has none of its own saved: AccurateRip's "
           "list of drives gives it for your drive's model; 0 when you do not know it. Every "
           "read mode corrects it."));
    driveOffset_ = new QLabel(readGroup);
    driveOffset_->setWordWrap(true);
    detect_ = new QPushButton(tr("Detect..."), readGroup);
    detect_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(detect_, &QPushButton::clicked, this, &SecurePage::Detect);
    auto* driveRow = new QHBoxLayout;
    driveRow->addWidget(driveOffset_, 1);
    driveRow->addWidget(detect_);
    retries_ = SpinBox(kFewestRetries, kMostRetries, options.Retries, readGroup);
    testAndCopy_ = CheckBox(tr("Test && Copy: read every track twice and compare the two reads"),
                            options.TestAndCopy, readGroup);
    auto* readForm = new QFormLayout(readGroup);
    readForm->addRow(tr("Read offset"),
                     WithNote(offset_, tr("for drives with no offset of their own")));
    readForm->addRow(driveRow);
    readForm->addRow(tr("Retries"), WithNote(retries_, tr("re-reads of a sector in Secure mode")));
    readForm->addRow(Note(tr("Secure is the slow, careful read mode; choose it under "
                             "\"Jitter correction\" on the Misc page."),
                          readGroup));
    readForm->addRow(testAndCopy_);

    auto* verifyGroup = new QGroupBox(QStringLiteral("AccurateRip"), this);
    accurateRip_ = CheckBox(tr("AccurateRip verification"), options.AccurateRip, verifyGroup);
    server_ = new QLineEdit(QString::fromStdString(options.ArServer), verifyGroup);
    server_->setMaxLength(kServerLength);
    server_->setPlaceholderText(QString::fromLatin1(kDefaultAccurateRipServer));
    port_ = SpinBox(1, 65535, options.ArPort, verifyGroup);
    auto* serverRow = new QHBoxLayout;
    serverRow->addWidget(server_, 1);
    auto* portLabel = new QLabel(tr("Port"), verifyGroup);
    portLabel->setBuddy(port_);
    serverRow->addWidget(portLabel);
    serverRow->addWidget(port_);
    auto* verifyForm = new QFormLayout(verifyGroup);
    verifyForm->addRow(accurateRip_);
    verifyForm->addRow(tr("Server"), serverRow);
    verifyForm->addRow(Note(tr("Compares every ripped track with other people's rips "
                               "of the same disc; the verdict shows in the Status "
                               "column and in the rip log."),
                            verifyGroup));
    connect(accurateRip_, &QCheckBox::toggled, this, &SecurePage::ApplyServerEnabling);

    auto* ctdbGroup = new QGroupBox(QStringLiteral("CTDB"), this);
    ctdb_ = CheckBox(tr("CTDB verification"), options.Ctdb, ctdbGroup);
    ctdbServer_ = new QLineEdit(QString::fromStdString(options.CtdbServer), ctdbGroup);
    ctdbServer_->setMaxLength(kServerLength);
    ctdbServer_->setPlaceholderText(QString::fromLatin1(kDefaultCtdbServer));
    ctdbServer_->setToolTip(tr("A host name, or host:port"));
    auto* ctdbForm = new QFormLayout(ctdbGroup);
    ctdbForm->addRow(ctdb_);
    ctdbForm->addRow(tr("Server"), ctdbServer_);
    ctdbForm->addRow(Note(tr("The CUETools database: a second check of every ripped "
                             "track, beside AccurateRip."),
                          ctdbGroup));
    connect(ctdb_, &QCheckBox::toggled, this, &SecurePage::ApplyServerEnabling);
    ApplyServerEnabling();
    auto* checksRow = new QHBoxLayout;
    checksRow->addWidget(verifyGroup, 3);
    checksRow->addWidget(ctdbGroup, 2);

    auto* filesGroup = new QGroupBox(tr("Rip log and CUE sheet"), this);
    writeLog_ = CheckBox(tr("Write rip log"), options.WriteLog, filesGroup);
    writeCue_ = CheckBox(tr("Write CUE sheet"), options.WriteCue, filesGroup);
    auto* filesLayout = new QVBoxLayout(filesGroup);
    filesLayout->addWidget(writeLog_);
    filesLayout->addWidget(writeCue_);
    filesLayout->addWidget(Note(tr("Both are written into the rip's folder, named "
                                   "as the playlist with \".log\" and \".cue\". "
                                   "Help > Show rip log opens the last log."),
                                filesGroup));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(readGroup);
    layout->addLayout(checksRow);
    layout->addWidget(filesGroup);
    layout->addStretch(1);

    const Drive* drive = DriveAt(disc, options.Cdrom);
    if (drive != nullptr && drive->identity.known()) {
        const auto saved = options.driveOffsets.find(DriveKey(drive->identity));
        if (saved != options.driveOffsets.end()) {
            saved_ = saved->second;
        }
    }
    ShowDriveOffset();
}

void SecurePage::ApplyServerEnabling() {
    const bool on = accurateRip_->isChecked();
    server_->setEnabled(on);
    port_->setEnabled(on);
    ctdbServer_->setEnabled(ctdb_->isChecked());
}

void SecurePage::ShowDriveOffset() {
    const Drive* drive = DriveAt(disc_, options_.Cdrom);
    if (drive == nullptr) {
        driveOffset_->setText(tr("No drive is chosen."));
    } else if (!drive->identity.known()) {
        driveOffset_->setText(tr("A disc image reads with the read offset above."));
    } else if (!saved_) {
        driveOffset_->setText(tr("This drive (%1) has no offset of its own: it reads with the "
                                 "one above.")
                                  .arg(DriveModelName(drive->identity)));
    } else {
        const QString samples = SignedSamples(saved_->samples);
        const QString name = DriveModelName(drive->identity);
        switch (saved_->source) {
            case OffsetSource::detected:
                driveOffset_->setText(
                    tr("This drive (%1): %2 samples, detected with a disc.").arg(name, samples));
                break;
            case OffsetSource::driveDatabase:
                driveOffset_->setText(tr("This drive (%1): %2 samples, from AccurateRip's "
                                         "drive list.")
                                          .arg(name, samples));
                break;
            case OffsetSource::options:
                driveOffset_->setText(
                    tr("This drive (%1): %2 samples, set by hand.").arg(name, samples));
                break;
        }
    }
    // An image has no drive to save an offset for; a search needs a disc to read.
    if (drive == nullptr || !drive->identity.known()) {
        detect_->setEnabled(false);
        detect_->setToolTip(
            tr("Only a drive has a read offset to detect: choose one in the "
               "main window."));
    } else if (disc_.tracks.empty()) {
        detect_->setEnabled(false);
        detect_->setToolTip(tr("Put a disc into the drive first: one that AccurateRip knows."));
    } else {
        detect_->setEnabled(true);
        detect_->setToolTip(
            tr("Finds this drive's read offset with the disc in it, which "
               "AccurateRip must know, and saves it for the drive."));
    }
}

void SecurePage::Detect() {
    const Drive* drive = DriveAt(disc_, options_.Cdrom);
    if (drive == nullptr || !drive->identity.known()) {
        return;
    }
    // The server as the page shows it now, applied or not.
    OptionsEdit edit{options_, {}, {}};
    Store(edit);
    OffsetDetectionDialog search(edit.options, disc_, dialogs_, this);
    search.exec();
    const auto found = search.found();
    if (!found) {
        return;
    }
    const std::string key = DriveKey(drive->identity);
    const DriveReadOffset offset{found->offset, OffsetSource::detected};
    if (!SaveDriveOffset(SettingsPath(), key, offset)) {
        dialogs_.Inform(this, QStringLiteral("Disctrove"),
                        tr("The settings could not be written to %1.")
                            .arg(QString::fromStdString(SettingsPath())));
        return;
    }
    saved_ = offset;
    ShowDriveOffset();
    emit driveOffsetSaved(key, offset);
}

void SecurePage::Store(OptionsEdit& edit) const {
    edit.options.ReadOffset = offset_->value();
    edit.options.Retries = retries_->value();
    edit.options.TestAndCopy = testAndCopy_->isChecked() ? 1 : 0;
    edit.options.AccurateRip = accurateRip_->isChecked() ? 1 : 0;
    // An emptied field means the usual server, as its grey text says.
    const QString server = server_->text().trimmed();
    edit.options.ArServer = server.isEmpty() ? kDefaultAccurateRipServer : server.toStdString();
    edit.options.ArPort = port_->value();
    edit.options.Ctdb = ctdb_->isChecked() ? 1 : 0;
    const QString ctdbServer = ctdbServer_->text().trimmed();
    edit.options.CtdbServer = ctdbServer.isEmpty() ? kDefaultCtdbServer : ctdbServer.toStdString();
    edit.options.WriteLog = writeLog_->isChecked() ? 1 : 0;
    edit.options.WriteCue = writeCue_->isChecked() ? 1 : 0;
}

}  // namespace disctrove::ui
