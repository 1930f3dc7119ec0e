#include "ui/options/misc_page.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ui/options/page_controls.h"

namespace disctrove::ui {

namespace {

QCheckBox* CheckBox(const QString& text, int32_t value, QWidget* parent) {
    auto* box = new QCheckBox(text, parent);
    box->setChecked(value != 0);
    return box;
}

}  // namespace

MiscPage::MiscPage(const Options& options, const DiscNames& names, QWidget* parent)
    : OptionsPage(parent), jitterValue_(options.Jitter) {
    autoCddb_ = CheckBox(tr("Contact CDDB on refresh"), options.Autocddb, this);
    autoCheck_ = CheckBox(tr("Autocheck tracks on refresh"), options.Autocheck, this);
    playlist_ = CheckBox(tr("Create M3U playlist"), options.Createm3u, this);
    overwrite_ = CheckBox(tr("Overwrite tracks with same name"), options.Overwrite, this);
    ownFolder_ = CheckBox(tr("Rip an album in own folder"), options.RipInFolder, this);
    sound_ = CheckBox(tr("Make a sound when rip completes"), options.Makesound, this);
    eject_ = CheckBox(tr("Eject the disc when a rip ends well"), options.EjectWhenDone, this);

    QGroupBox* jitterGroup = JitterGroup(options.Jitter);

    // How many tracks are encoded at once while the next one is read.
    encoderThreads_ = new QSpinBox(this);
    encoderThreads_->setRange(0, 64);
    encoderThreads_->setSpecialValueText(tr("Automatic"));
    encoderThreads_->setValue(std::clamp<int32_t>(options.EncoderThreads, 0, 64));
    encoderThreads_->setToolTip(tr("0: one per processor core"));
    auto* threadsLayout = new QHBoxLayout;
    threadsLayout->addWidget(new QLabel(tr("Encoder threads"), this));
    threadsLayout->addWidget(encoderThreads_);
    threadsLayout->addStretch(1);

    QGroupBox* tagGroup = TagGroup(options, names);

    auto* layout = new QVBoxLayout(this);
    for (QWidget* box : {autoCddb_, autoCheck_, playlist_}) {
        layout->addWidget(box);
    }
    layout->addWidget(jitterGroup);
    for (QWidget* box : {overwrite_, ownFolder_, sound_, eject_}) {
        layout->addWidget(box);
    }
    layout->addLayout(threadsLayout);
    layout->addWidget(tagGroup);
    layout->addStretch(1);
}

QGroupBox* MiscPage::JitterGroup(int32_t jitter) {
    auto* jitterGroup = new QGroupBox(tr("Jitter correction"), this);
    auto* jitterLayout = new QHBoxLayout(jitterGroup);
    const QString jitterTexts[] = {tr("Always"), tr("Never"), tr("On error"), tr("Secure")};
    for (int value = 0; value < kJitterChoices; ++value) {
        jitter_[value] = new QRadioButton(jitterTexts[value], jitterGroup);
        // A value outside 0 to 3 leaves every button unchecked.
        jitter_[value]->setChecked(jitter == value);
        connect(jitter_[value], &QRadioButton::clicked, this,
                [this, value] { jitterValue_ = value; });
        jitterLayout->addWidget(jitter_[value]);
    }
    jitterLayout->addStretch(1);
    jitter_[kJitterSecure]->setToolTip(
        tr("Slow, careful reading: every sector is verified and read again until "
           "it is certain. The Secure page sets how often."));
    return jitterGroup;
}

QGroupBox* MiscPage::TagGroup(const Options& options, const DiscNames& names) {
    auto* tagGroup = new QGroupBox(tr("ID3 tag"), this);
    useId3_ = CheckBox(tr("Enable ID3 tag"), options.Useid3, tagGroup);
    id3v2_ = CheckBox(tr("Write ID3v2 tag (UTF-8)"), options.Id3v2, tagGroup);
    id3v2_->setToolTip(tr("MP3 files also get a tag with the whole texts in any language"));
    id3v23_ = CheckBox(tr("As ID3v2.3, for old players"), options.Id3v23, tagGroup);
    id3v23_->setToolTip(
        tr("Version 2.3 of the tag, which older players and car stereos read; off: version 2.4"));
    replayGain_ = CheckBox(tr("ReplayGain tags"), options.ReplayGain, tagGroup);
    replayGain_->setToolTip(
        tr("Every file of a rip gets its track and album loudness, in any format but WAV"));
    artist_ = new QLineEdit(QString::fromStdString(names.Artist), tagGroup);
    album_ = new QLineEdit(QString::fromStdString(names.Album), tagGroup);
    year_ = new QLineEdit(QString::fromStdString(names.Year), tagGroup);
    year_->setMaximumWidth(80);
    genre_ = ChoiceList(GenreTexts(), names.Genre, tagGroup);
    genre_->setMaxVisibleItems(16);
    auto* tagForm = new QFormLayout(tagGroup);
    auto* tagSwitches = new QHBoxLayout;
    for (QWidget* box : {useId3_, id3v2_, id3v23_, replayGain_}) {
        tagSwitches->addWidget(box);
    }
    tagSwitches->addStretch(1);
    tagForm->addRow(tagSwitches);
    tagForm->addRow(tr("Artist:"), artist_);
    tagForm->addRow(tr("Album:"), album_);
    tagForm->addRow(tr("Year:"), year_);
    tagForm->addRow(tr("Genre"), genre_);
    connect(useId3_, &QCheckBox::clicked, this, &MiscPage::ApplyTagEnabling);
    connect(id3v2_, &QCheckBox::clicked, this, &MiscPage::ApplyTagEnabling);
    ApplyTagEnabling();
    return tagGroup;
}

void MiscPage::ApplyTagEnabling() {
    const bool on = useId3_->isChecked();
    for (QWidget* field : {static_cast<QWidget*>(id3v2_), static_cast<QWidget*>(artist_),
                           static_cast<QWidget*>(album_), static_cast<QWidget*>(year_),
                           static_cast<QWidget*>(genre_)}) {
        field->setEnabled(on);
    }
    id3v23_->setEnabled(on && id3v2_->isChecked());
}

void MiscPage::Store(OptionsEdit& edit) const {
    edit.options.Autocddb = autoCddb_->isChecked() ? 1 : 0;
    edit.options.Autocheck = autoCheck_->isChecked() ? 1 : 0;
    edit.options.Createm3u = playlist_->isChecked() ? 1 : 0;
    edit.options.Jitter = jitterValue_;
    edit.options.Overwrite = overwrite_->isChecked() ? 1 : 0;
    edit.options.RipInFolder = ownFolder_->isChecked() ? 1 : 0;
    edit.options.Makesound = sound_->isChecked() ? 1 : 0;
    edit.options.EjectWhenDone = eject_->isChecked() ? 1 : 0;
    edit.options.EncoderThreads = encoderThreads_->value();
    edit.names.Artist = artist_->text().toStdString();
    edit.names.Album = album_->text().toStdString();
    edit.names.Year = year_->text().toStdString();
    edit.names.Genre = ChosenIndex(genre_, edit.names.Genre);
    edit.options.Useid3 = useId3_->isChecked() ? 1 : 0;
    edit.options.Id3v2 = id3v2_->isChecked() ? 1 : 0;
    edit.options.Id3v23 = id3v23_->isChecked() ? 1 : 0;
    edit.options.ReplayGain = replayGain_->isChecked() ? 1 : 0;
}

}  // namespace disctrove::ui
