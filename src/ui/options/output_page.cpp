#include "ui/options/output_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include "front/outcome_texts.h"
#include "ui/options/history_box.h"
#include "ui/options/page_controls.h"

namespace disctrove::ui {

namespace {

constexpr int kTemporaryFolderLength = 256;

}  // namespace

OutputPage::OutputPage(const Options& options, const DiscState& disc, UserDialogs& dialogs,
                       QWidget* parent)
    : OptionsPage(parent), options_(options), disc_(disc), dialogs_(dialogs) {
    encoder_ = new QComboBox(this);
    AddEncoderEntries(encoder_, kEncoderWav);
    encoder_->setCurrentIndex(
        options.Encoder >= 0 && options.Encoder < encoder_->count() ? options.Encoder : -1);
    folder_ = new HistoryBox(options.folderHistory, this);
    browseFolder_ = BrowseButton(tr("Browse"), this);
    temporary_ = new QLineEdit(QString::fromStdString(options.Tmpfolder), this);
    temporary_->setMaxLength(kTemporaryFolderLength);
    browseTemporary_ = BrowseButton(tr("Browse"), this);

    auto* form = new QFormLayout;
    form->addRow(tr("Encoder"), encoder_);
    form->addRow(tr("Output folder"), WithButton(folder_, browseFolder_));
    form->addRow(tr("Temporary"), WithButton(temporary_, browseTemporary_));

    auto* templateGroup = new QGroupBox(tr("File name template"), this);
    template_ = new HistoryBox(options.templateHistory, templateGroup);
    auto* description = new QLabel(
        tr("Description: The file name template consists of a formatted string containing regular "
           "text and field variables beginning with the dollar sign $. These variables are:\n"
           "$n-track number $t-track name $a-artist $A-album artist $r-track artist $l-album "
           "$g-genre $y year $d-disc number $s-number of discs $$-dollar sign "),
        templateGroup);
    description->setWordWrap(true);
    preview_ = new QLabel(templateGroup);
    preview_->setWordWrap(true);
    preview_->setTextFormat(Qt::PlainText);
    preview_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* templateForm = new QFormLayout(templateGroup);
    templateForm->addRow(tr("Template"), template_);
    templateForm->addRow(tr("Next file"), preview_);
    templateForm->addRow(description);

    imageFile_ =
        new QCheckBox(tr("One file for the whole disc (WAV or FLAC, with its CUE sheet)"), this);
    imageFile_->setChecked(options.ImageFile != 0);
    imageFile_->setToolTip(
        tr("A rip writes every track, what lies before track 1 and the gaps into one file "
           "named \"<artist> - <album>\", beside its CUE sheet and log; the encoder must be WAV "
           "or FLAC."));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(templateGroup);
    layout->addWidget(imageFile_);
    layout->addStretch(1);

    for (QComboBox* box : {static_cast<QComboBox*>(template_), static_cast<QComboBox*>(folder_)}) {
        connect(box, &QComboBox::currentTextChanged, this, &OutputPage::UpdatePreview);
        connect(box, &QComboBox::editTextChanged, this, &OutputPage::UpdatePreview);
    }
    connect(encoder_, &QComboBox::currentIndexChanged, this, &OutputPage::UpdatePreview);
    UpdatePreview();

    connect(browseFolder_, &QToolButton::clicked, this, [this] { folder_->Browse(dialogs_); });
    connect(browseTemporary_, &QToolButton::clicked, this, [this] {
        const QString path = dialogs_.PickFolder(this, temporary_->text());
        if (!path.isEmpty()) {
            temporary_->setText(path);
        }
    });
}

void OutputPage::UpdatePreview() {
    Options chosen = options_;
    chosen.folderHistory = {folder_->text()};
    const auto encoder = static_cast<EncoderKind>(ChosenIndex(encoder_, options_.Encoder));
    preview_->setText(
        QString::fromStdString(NextFilePreview(chosen, disc_, template_->text(), encoder)));
}

void OutputPage::Store(OptionsEdit& edit) const {
    edit.options.Encoder = static_cast<EncoderKind>(ChosenIndex(encoder_, edit.options.Encoder));
    edit.options.Outfolder = folder_->text();
    edit.options.Tmpfolder = temporary_->text().toStdString();
    edit.options.ImageFile = imageFile_->isChecked() ? 1 : 0;
    edit.session.currentTemplate = template_->text();
    edit.options.folderHistory = WithFirst(folder_->history(), edit.options.Outfolder);
    edit.options.templateHistory = template_->history();
}

}  // namespace disctrove::ui
