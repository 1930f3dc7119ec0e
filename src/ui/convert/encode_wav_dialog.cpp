#include "ui/convert/encode_wav_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QStackedWidget>

#include "ui/options/format_pages.h"
#include "ui/options/history_box.h"
#include "ui/options/page_controls.h"

namespace disctrove::ui {

namespace {

// The list starts at OGG: a WAV file is not encoded into WAV.
constexpr EncoderKind kFirstKind = kEncoderOgg;

}  // namespace

EncodeWavDialog::EncodeWavDialog(Options& options, SessionChoices& session, UserDialogs& dialogs,
                                 QWidget* parent)
    : FileChoiceDialog(options, session, dialogs, session.wavSourcePath,
                       {tr("WAV file"),
                        tr("Source WAV"),
                        {tr("WAV files (*.wav)"), tr("All files (*)")},
                        QStringLiteral("wav"),
                        tr("Choose the WAV file to encode.")},
                       parent) {
    setWindowTitle(tr("Encode WAV file"));
    encoder_ = new QComboBox(this);
    AddEncoderEntries(encoder_, kFirstKind);
    stack_ = new QStackedWidget(this);
    for (int kind = kFirstKind; kind < static_cast<int>(kEncoderKinds); ++kind) {
        FormatPage* page =
            MakeFormatPage(static_cast<EncoderKind>(kind), session.pageFormats, stack_);
        pages_[static_cast<size_t>(kind - kFirstKind)] = page;
        stack_->addWidget(page);
    }
    const int index = options.WAVEncoder - kFirstKind;
    encoder_->setCurrentIndex(index >= 0 && index < encoder_->count() ? index : 0);
    stack_->setCurrentIndex(encoder_->currentIndex());
    connect(encoder_, &QComboBox::currentIndexChanged, stack_, &QStackedWidget::setCurrentIndex);
    form()->addRow(tr("Encoder"), encoder_);
    FinishLayout(tr("Encode"), stack_);
}

void EncodeWavDialog::Store() {
    const int index = encoder_->currentIndex() >= 0 ? encoder_->currentIndex() : 0;
    options_.WAVEncoder = static_cast<EncoderKind>(index + kFirstKind);
    pages_[static_cast<size_t>(index)]->Store(session_.pageFormats);
    session_.wavSourcePath = sourceEdit()->text().toStdString();
    options_.Outfolder = folderBox()->text();
}

}  // namespace disctrove::ui
