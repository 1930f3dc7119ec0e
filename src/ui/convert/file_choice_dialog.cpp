#include "ui/convert/file_choice_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "skin/icons.h"
#include "ui/options/history_box.h"
#include "ui/options/page_controls.h"

namespace disctrove::ui {

namespace {

constexpr int kPathLength = 256;

}  // namespace

FileChoiceDialog::FileChoiceDialog(Options& options, SessionChoices& session, UserDialogs& dialogs,
                                   const std::string& source, const SourceChoice& choice,
                                   QWidget* parent)
    : QDialog(parent), options_(options), session_(session), dialogs_(dialogs), choice_(choice) {
    setWindowIcon(skin::AppIcon());
    source_ = new QLineEdit(QString::fromStdString(source), this);
    source_->setMaxLength(kPathLength);
    source_->setMinimumWidth(380);
    browseSource_ = BrowseButton(choice.tip, this);
    folder_ = new HistoryBox(options.folderHistory, this);
    folder_->lineEdit()->setMaxLength(kPathLength);
    browseFolder_ = BrowseButton(tr("Browse"), this);

    form_ = new QFormLayout;
    form_->addRow(choice.label, WithButton(source_, browseSource_));
    form_->addRow(tr("Output folder"), WithButton(folder_, browseFolder_));

    connect(browseSource_, &QToolButton::clicked, this, [this] {
        const QString path =
            dialogs_.PickFile(this, source_->text(), choice_.filters, choice_.suffix);
        if (!path.isEmpty()) {
            source_->setText(path);
        }
    });
    connect(browseFolder_, &QToolButton::clicked, this, [this] { folder_->Browse(dialogs_); });
}

void FileChoiceDialog::FinishLayout(const QString& okText, QWidget* extra) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(okText);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (source_->text().trimmed().isEmpty()) {
            // Closing would convert nothing without a word: say what is missing, stay open.
            dialogs_.Inform(this, QStringLiteral("Disctrove"), choice_.missing);
            source_->setFocus();
            return;
        }
        Store();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form_);
    if (extra != nullptr) {
        layout->addWidget(extra, 1);
    }
    layout->addWidget(buttons);
}

}  // namespace disctrove::ui
