#include "ui/track_settings_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "skin/icons.h"
#include "ui/options/format_pages.h"
#include "ui/options/page_controls.h"

namespace disctrove::ui {

TrackSettingsDialog::TrackSettingsDialog(std::vector<Track>& tracks, int32_t currentTrack,
                                         SessionChoices& session, QWidget* parent)
    : QDialog(parent), tracks_(tracks), current_(currentTrack), session_(session) {
    setWindowTitle(tr("Track settings"));
    setWindowIcon(skin::AppIcon());
    const Track* current = CurrentTrack();
    encoder_ = new QComboBox(this);
    AddEncoderEntries(encoder_, kEncoderWav);
    title_ = new QLineEdit(current != nullptr ? QString::fromStdString(current->title) : QString(),
                           this);
    title_->setMinimumWidth(300);
    openedTitle_ = title_->text();
    stack_ = new QStackedWidget(this);
    for (int kind = kEncoderWav; kind < static_cast<int>(kEncoderKinds); ++kind) {
        pages_[static_cast<size_t>(kind)] =
            MakeFormatPage(static_cast<EncoderKind>(kind), session.pageFormats, stack_);
        stack_->addWidget(pages_[static_cast<size_t>(kind)]);
    }
    const int kind = current != nullptr && current->encoder >= kEncoderWav &&
                             current->encoder < static_cast<int32_t>(kEncoderKinds)
                         ? current->encoder
                         : kEncoderWav;
    encoder_->setCurrentIndex(kind);
    stack_->setCurrentIndex(kind);
    connect(encoder_, &QComboBox::currentIndexChanged, stack_, &QStackedWidget::setCurrentIndex);

    auto* form = new QFormLayout;
    form->addRow(tr("Encoder"), encoder_);
    form->addRow(tr("Track title"), title_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        Store();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(stack_, 1);
    layout->addWidget(buttons);
}

void TrackSettingsDialog::Store() {
    for (const FormatPage* page : pages_) {
        page->Store(session_.pageFormats);
    }
    Track* current = CurrentTrack();
    if (current != nullptr && title_->text() != openedTitle_) {
        current->title = title_->text().toStdString();
    }
    const auto kind = static_cast<EncoderKind>(encoder_->currentIndex());
    const TrackFormat format = TrackFormatFor(kind, session_.pageFormats);
    for (Track& track : tracks_) {
        if (track.selected) {
            track.encoder = kind;
            track.format = format;
        }
    }
}

Track* TrackSettingsDialog::CurrentTrack() const {
    return current_ >= 0 && static_cast<size_t>(current_) < tracks_.size()
               ? &tracks_[static_cast<size_t>(current_)]
               : nullptr;
}

}  // namespace disctrove::ui
