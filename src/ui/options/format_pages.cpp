#include "ui/options/format_pages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "codecs/library_versions.h"
#include "disc/track_texts.h"
#include "ui/options/page_controls.h"

namespace disctrove::ui {

namespace {

constexpr int kOggQualitySteps = 20;
constexpr int kMp3QualitySteps = 9;
constexpr int kFlacLevels = 8;
constexpr int kOpusMinKbps = 6;
constexpr int kOpusMaxKbps = 510;
constexpr int kOpusComplexities = 10;

QSpinBox* NumberBox(int minimum, int maximum, int value, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setRange(minimum, maximum);
    box->setValue(std::clamp(value, minimum, maximum));
    return box;
}

QSlider* QualitySlider(int maximum, int tickInterval, int position, QWidget* parent) {
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setRange(0, maximum);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(tickInterval);
    slider->setPageStep(tickInterval);
    slider->setValue(position);
    return slider;
}

// What every format page starts with: a column whose form holds the sample-rate and channel
// lists (more lists may join them), with the groups to go below and room to spare at the end.
struct PageStart {
    QVBoxLayout* layout;
    QFormLayout* form;
    QComboBox* sampleRate;
    QComboBox* channels;
};

PageStart StartPage(QWidget* page, int32_t samplerateIndex, const QStringList& channelNames,
                    int32_t channels) {
    PageStart start{new QVBoxLayout(page), new QFormLayout,
                    ChoiceList(SampleRateTexts(), samplerateIndex, page),
                    ChoiceList(channelNames, channels, page)};
    start.form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    start.form->addRow(FormatPage::tr("Sample rate"), start.sampleRate);
    start.form->addRow(FormatPage::tr("Channels"), start.channels);
    start.layout->addLayout(start.form);
    return start;
}

}  // namespace

FormatPage* MakeFormatPage(EncoderKind kind, const FormatGroups& groups, QWidget* parent) {
    switch (kind) {
        case kEncoderOgg:
            return new OggPage(groups.ogg, parent);
        case kEncoderMp3:
            return new Mp3Page(groups.mp3, parent);
        case kEncoderWma:
            return new WmaPage(groups.wma, parent);
        case kEncoderFlac:
            return new FlacPage(groups.flac, parent);
        case kEncoderOpus:
            return new OpusPage(groups.opus, parent);
        case kEncoderWav:
            break;
    }
    return new WavPage(groups.wav, parent);
}

WavPage::WavPage(const WavFormat& format, QWidget* parent) : FormatPage(parent), values_(format) {
    const PageStart start =
        StartPage(this, format.samplerateIndex, Texts(kWavWmaChannelNames), format.channels);
    sampleRate_ = start.sampleRate;
    channels_ = start.channels;
    bits_ = ChoiceList({tr("8 bits"), tr("16 bits")}, format.samplebitsIndex, this);
    start.form->addRow(tr("Bits per sample"), bits_);
    start.layout->addStretch(1);
}

WavFormat WavPage::values() const {
    WavFormat format = values_;
    format.samplerateIndex = ChosenIndex(sampleRate_, format.samplerateIndex);
    format.channels = ChosenIndex(channels_, format.channels);
    format.samplebitsIndex = ChosenIndex(bits_, format.samplebitsIndex);
    return format;
}

OggPage::OggPage(const OggFormat& format, QWidget* parent) : FormatPage(parent), values_(format) {
    const PageStart start =
        StartPage(this, format.samplerateIndex, Texts(kOggChannelNames), format.channels);
    QVBoxLayout* layout = start.layout;
    layout->insertWidget(
        0, TitleLabel(tr("OGG encoder: %1").arg(QString::fromStdString(VorbisVersion())), this));
    sampleRate_ = start.sampleRate;
    channels_ = start.channels;
    cbr_ = ChoiceList(KbpsTexts(kOggBitrates), format.cbrIndex, this);
    start.form->addRow(tr("Constant bitrate (CBR)"), cbr_);

    auto* bbrGroup = new QGroupBox(tr("Burstable bitrate (BBR)"), this);
    bbr_ = new QCheckBox(tr("Enable BBR"), bbrGroup);
    bbr_->setChecked(format.useBbr != 0);
    nominal_ = ChoiceList(KbpsTexts(kOggBitrates), format.nominalBbrIndex, bbrGroup);
    min_ = ChoiceList(KbpsTexts(kOggBitrates), format.minBbrIndex, bbrGroup);
    max_ = ChoiceList(KbpsTexts(kOggBitrates), format.maxBbrIndex, bbrGroup);
    auto* bbrLayout = new QGridLayout(bbrGroup);
    bbrLayout->addWidget(bbr_, 0, 0, 1, 6);
    int column = 0;
    for (const auto& [label, list] : {std::pair{tr("Nominal"), nominal_},
                                      std::pair{tr("Min"), min_}, std::pair{tr("Max"), max_}}) {
        bbrLayout->addWidget(new QLabel(label, bbrGroup), 1, column++);
        bbrLayout->addWidget(list, 1, column++);
    }
    layout->addWidget(bbrGroup);

    auto* vbrGroup = new QGroupBox(tr("Variable bitrate (VBR)"), this);
    vbr_ = new QCheckBox(tr("Enable VBR"), vbrGroup);
    vbr_->setChecked(format.useVbr != 0);
    quality_ = QualitySlider(kOggQualitySteps, 2, format.vbr, vbrGroup);
    qualityText_ = new QLabel(vbrGroup);
    qualityText_->setAlignment(Qt::AlignCenter);
    auto* vbrLayout = new QVBoxLayout(vbrGroup);
    vbrLayout->addWidget(vbr_);
    vbrLayout->addWidget(quality_);
    vbrLayout->addWidget(qualityText_);
    layout->addWidget(vbrGroup);
    layout->addStretch(1);

    connect(bbr_, &QCheckBox::clicked, this, [this] { OnRateModeClicked(bbr_, vbr_); });
    connect(vbr_, &QCheckBox::clicked, this, [this] { OnRateModeClicked(vbr_, bbr_); });
    connect(quality_, &QSlider::valueChanged, this, &OggPage::ShowQuality);
    ShowQuality();
}

void OggPage::OnRateModeClicked(QCheckBox* clicked, QCheckBox* other) {
    // BBR and VBR exclude each other; CBR is what is left when both are off.
    if (clicked->isChecked()) {
        other->setChecked(false);
    }
    values_.useBbr = bbr_->isChecked() ? 1 : 0;
    values_.useVbr = vbr_->isChecked() ? 1 : 0;
    values_.useCbr = values_.useBbr == 0 && values_.useVbr == 0 ? 1 : 0;
}

void OggPage::ShowQuality() {
    const int vbr = quality_->value();
    qualityText_->setText(tr("%1 (%2 kbps)").arg(vbr * 0.05, 0, 'f', 2).arg(OggQualityKbps(vbr)));
}

OggFormat OggPage::values() const {
    OggFormat format = values_;
    format.samplerateIndex = ChosenIndex(sampleRate_, format.samplerateIndex);
    format.channels = ChosenIndex(channels_, format.channels);
    format.cbrIndex = ChosenIndex(cbr_, format.cbrIndex);
    format.nominalBbrIndex = ChosenIndex(nominal_, format.nominalBbrIndex);
    format.minBbrIndex = ChosenIndex(min_, format.minBbrIndex);
    format.maxBbrIndex = ChosenIndex(max_, format.maxBbrIndex);
    format.useBbr = bbr_->isChecked() ? 1 : 0;
    format.useVbr = vbr_->isChecked() ? 1 : 0;
    format.vbr = quality_->value();
    return format;
}

Mp3Page::Mp3Page(const Mp3Format& format, QWidget* parent) : FormatPage(parent), values_(format) {
    const PageStart start =
        StartPage(this, format.samplerateIndex, {tr("Mono"), tr("Stereo"), tr("Joint stereo")},
                  format.channels);
    QVBoxLayout* layout = start.layout;
    std::string problem;
    const std::string version = LameVersion(problem);
    QLabel* title = TitleLabel(
        version.empty() ? tr("LAME encoder not loaded: %1").arg(QString::fromStdString(problem))
                        : tr("LAME encoder version %1").arg(QString::fromStdString(version)),
        this);
    title->setWordWrap(true);  // the loader's reason may be long
    layout->insertWidget(0, title);
    sampleRate_ = start.sampleRate;
    channels_ = start.channels;
    bitrate_ = ChoiceList(KbpsTexts(kMp3Bitrates), format.cbrIndex, this);
    preset_ = ChoiceList(Texts(kMp3PresetNames), format.presetIndex, this);
    start.form->addRow(tr("Bitrate"), bitrate_);
    start.form->addRow(tr("MPEG quality"), preset_);

    auto* vbrGroup = new QGroupBox(tr("Variable bitrate (VBR)"), this);
    vbr_ = new QCheckBox(tr("Enable VBR"), vbrGroup);
    vbr_->setChecked(format.useVbr != 0);
    maxBitrate_ = ChoiceList(KbpsTexts(kMp3Bitrates), format.vbrMaxIndex, vbrGroup);
    quality_ = QualitySlider(kMp3QualitySteps, 1, format.vbrQuality, vbrGroup);
    qualityText_ = new QLabel(vbrGroup);
    qualityText_->setAlignment(Qt::AlignCenter);
    auto* vbrLayout = new QGridLayout(vbrGroup);
    vbrLayout->addWidget(vbr_, 0, 0, 1, 3);
    vbrLayout->addWidget(new QLabel(tr("Max bitrate"), vbrGroup), 1, 0);
    vbrLayout->addWidget(maxBitrate_, 1, 1, 1, 2, Qt::AlignLeft);
    vbrLayout->addWidget(new QLabel(tr("High"), vbrGroup), 2, 0);
    vbrLayout->addWidget(quality_, 2, 1);
    vbrLayout->addWidget(new QLabel(tr("Low"), vbrGroup), 2, 2);
    vbrLayout->addWidget(qualityText_, 3, 1);
    layout->addWidget(vbrGroup);
    layout->addStretch(1);

    connect(quality_, &QSlider::valueChanged, this, &Mp3Page::ShowQuality);
    ShowQuality();
}

void Mp3Page::ShowQuality() {
    qualityText_->setText(tr("VBR quality %1").arg(quality_->value() + 1));
}

Mp3Format Mp3Page::values() const {
    Mp3Format format = values_;
    format.samplerateIndex = ChosenIndex(sampleRate_, format.samplerateIndex);
    format.channels = ChosenIndex(channels_, format.channels);
    format.cbrIndex = ChosenIndex(bitrate_, format.cbrIndex);
    format.presetIndex = ChosenIndex(preset_, format.presetIndex);
    format.useVbr = vbr_->isChecked() ? 1 : 0;
    format.vbrMaxIndex = ChosenIndex(maxBitrate_, format.vbrMaxIndex);
    format.vbrQuality = quality_->value();
    return format;
}

WmaPage::WmaPage(const WmaFormat& format, QWidget* parent) : FormatPage(parent), values_(format) {
    const PageStart start =
        StartPage(this, format.samplerateIndex, Texts(kWavWmaChannelNames), format.channels);
    sampleRate_ = start.sampleRate;
    channels_ = start.channels;
    bitrate_ = ChoiceList(KbpsTexts(kWmaBitrates), format.bitrateIndex, this);
    start.form->addRow(tr("Bitrate"), bitrate_);
    start.layout->addStretch(1);
}

WmaFormat WmaPage::values() const {
    WmaFormat format = values_;
    format.samplerateIndex = ChosenIndex(sampleRate_, format.samplerateIndex);
    format.channels = ChosenIndex(channels_, format.channels);
    format.bitrateIndex = ChosenIndex(bitrate_, format.bitrateIndex);
    return format;
}

FlacPage::FlacPage(const FlacFormat& format, QWidget* parent) : FormatPage(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(TitleLabel(tr("FLAC lossless encoder"), this));
    auto* levelGroup = new QGroupBox(tr("Compression level"), this);
    level_ = QualitySlider(kFlacLevels, 1, std::clamp(format.level, 0, kFlacLevels), levelGroup);
    levelText_ = new QLabel(levelGroup);
    levelText_->setAlignment(Qt::AlignCenter);
    auto* levelLayout = new QGridLayout(levelGroup);
    levelLayout->addWidget(new QLabel(tr("Fastest"), levelGroup), 0, 0);
    levelLayout->addWidget(level_, 0, 1);
    levelLayout->addWidget(new QLabel(tr("Smallest"), levelGroup), 0, 2);
    levelLayout->addWidget(levelText_, 1, 1);
    layout->addWidget(levelGroup);
    verify_ = new QCheckBox(tr("Verify"), this);
    verify_->setToolTip(
        tr("Decode the audio again as it is encoded and compare it with the source"));
    verify_->setChecked(format.verify != 0);
    layout->addWidget(verify_);
    layout->addStretch(1);

    connect(level_, &QSlider::valueChanged, this, &FlacPage::ShowLevel);
    ShowLevel();
}

void FlacPage::ShowLevel() {
    const int level = level_->value();
    levelText_->setText(level == FlacFormat{}.level ? tr("Level %1 (default)").arg(level)
                                                    : tr("Level %1").arg(level));
}

FlacFormat FlacPage::values() const {
    return {level_->value(), verify_->isChecked() ? 1 : 0};
}

OpusPage::OpusPage(const OpusFormat& format, QWidget* parent) : FormatPage(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(TitleLabel(tr("Opus encoder"), this));
    bitrate_ = NumberBox(kOpusMinKbps, kOpusMaxKbps, format.bitrate, this);
    bitrate_->setSuffix(tr(" kbps"));
    bitrate_->setSingleStep(8);
    mode_ = ChoiceList({tr("Variable (VBR)"), tr("Constrained VBR (CVBR)"), tr("Constant (CBR)")},
                       std::clamp<int32_t>(format.mode, 0, kOpusModeNames.size() - 1), this);
    complexity_ = NumberBox(0, kOpusComplexities, format.complexity, this);
    complexity_->setToolTip(tr("0 encodes fastest, 10 sounds best"));
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->addRow(tr("Bitrate"), bitrate_);
    form->addRow(tr("Bitrate mode"), mode_);
    form->addRow(tr("Complexity"), complexity_);
    layout->addLayout(form);
    auto* note = new QLabel(
        tr("Opus always encodes at 48000 Hz; the source's rate is noted in the file."), this);
    note->setWordWrap(true);
    layout->addWidget(note);
    layout->addStretch(1);
}

OpusFormat OpusPage::values() const {
    return {bitrate_->value(), ChosenIndex(mode_, 0), complexity_->value()};
}

}  // namespace disctrove::ui
