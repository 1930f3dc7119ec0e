#include "ui/options/secure_page.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

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

SecurePage::SecurePage(const Options& options, QWidget* parent) : OptionsPage(parent) {
    auto* readGroup = new QGroupBox(tr("Reading"), this);
    offset_ = SpinBox(-kOffsetLimit, kOffsetLimit, options.ReadOffset, readGroup);
    offset_->setSuffix(tr(" samples"));
    offset_->setToolTip(
        tr("The read offset AccurateRip's list of drives gives for "
           "your drive's model; 0 when you do not know it. Every "
           "read mode corrects it."));
    retries_ = SpinBox(kFewestRetries, kMostRetries, options.Retries, readGroup);
    testAndCopy_ = CheckBox(tr("Test && Copy: read every track twice and compare the two reads"),
                            options.TestAndCopy, readGroup);
    auto* readForm = new QFormLayout(readGroup);
    readForm->addRow(tr("Read offset"),
                     WithNote(offset_, tr("the drive's offset, as AccurateRip lists it")));
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
    ApplyServerEnabling();

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
    layout->addWidget(verifyGroup);
    layout->addWidget(filesGroup);
    layout->addStretch(1);
}

void SecurePage::ApplyServerEnabling() {
    const bool on = accurateRip_->isChecked();
    server_->setEnabled(on);
    port_->setEnabled(on);
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
    edit.options.WriteLog = writeLog_->isChecked() ? 1 : 0;
    edit.options.WriteCue = writeCue_->isChecked() ? 1 : 0;
}

}  // namespace disctrove::ui
