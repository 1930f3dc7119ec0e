// The format pages (WAV, OGG, MP3, WMA, FLAC, OPUS). Each edits one format group; the options
// dialog, Track settings and "Encode WAV file" embed them and decide where the values go.
#pragma once

#include <QWidget>

#include "app/formats.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QSlider;
class QSpinBox;

namespace disctrove::ui {

class FormatPage : public QWidget {
    Q_OBJECT

  public:
    using QWidget::QWidget;
    virtual EncoderKind kind() const = 0;
    // Writes the page's values into the group of its kind; the other groups stay as they are.
    virtual void Store(FormatGroups& groups) const = 0;
};

// The page of `kind`, filled from that kind's group in `groups`.
FormatPage* MakeFormatPage(EncoderKind kind, const FormatGroups& groups, QWidget* parent);

class WavPage : public FormatPage {
    Q_OBJECT

  public:
    WavPage(const WavFormat& format, QWidget* parent);
    EncoderKind kind() const override { return kEncoderWav; }
    void Store(FormatGroups& groups) const override { groups.wav = values(); }
    WavFormat values() const;

  private:
    WavFormat values_;
    QComboBox* sampleRate_;
    QComboBox* channels_;
    QComboBox* bits_;
};

class OggPage : public FormatPage {
    Q_OBJECT

  public:
    OggPage(const OggFormat& format, QWidget* parent);
    EncoderKind kind() const override { return kEncoderOgg; }
    void Store(FormatGroups& groups) const override { groups.ogg = values(); }
    OggFormat values() const;

    QCheckBox* bbrBox() const { return bbr_; }
    QCheckBox* vbrBox() const { return vbr_; }
    QSlider* vbrSlider() const { return quality_; }
    QLabel* vbrText() const { return qualityText_; }

  private:
    void OnRateModeClicked(QCheckBox* clicked, QCheckBox* other);
    void ShowQuality();

    OggFormat values_;  // useCbr lives only here; the rate modes follow the two check boxes
    QComboBox* sampleRate_;
    QComboBox* channels_;
    QComboBox* cbr_;
    QCheckBox* bbr_;
    QComboBox* nominal_;
    QComboBox* min_;
    QComboBox* max_;
    QCheckBox* vbr_;
    QSlider* quality_;
    QLabel* qualityText_;
};

class Mp3Page : public FormatPage {
    Q_OBJECT

  public:
    Mp3Page(const Mp3Format& format, QWidget* parent);
    EncoderKind kind() const override { return kEncoderMp3; }
    void Store(FormatGroups& groups) const override { groups.mp3 = values(); }
    Mp3Format values() const;

    QSlider* vbrSlider() const { return quality_; }
    QLabel* vbrText() const { return qualityText_; }

  private:
    void ShowQuality();

    Mp3Format values_;
    QComboBox* sampleRate_;
    QComboBox* channels_;
    QComboBox* bitrate_;
    QComboBox* preset_;
    QCheckBox* vbr_;
    QComboBox* maxBitrate_;
    QSlider* quality_;
    QLabel* qualityText_;
};

class WmaPage : public FormatPage {
    Q_OBJECT

  public:
    WmaPage(const WmaFormat& format, QWidget* parent);
    EncoderKind kind() const override { return kEncoderWma; }
    void Store(FormatGroups& groups) const override { groups.wma = values(); }
    WmaFormat values() const;

  private:
    WmaFormat values_;
    QComboBox* sampleRate_;
    QComboBox* channels_;
    QComboBox* bitrate_;
};

// Values from a damaged settings file are shown, and stored back, clamped to their ranges.
class FlacPage : public FormatPage {
    Q_OBJECT

  public:
    FlacPage(const FlacFormat& format, QWidget* parent);
    EncoderKind kind() const override { return kEncoderFlac; }
    void Store(FormatGroups& groups) const override { groups.flac = values(); }
    FlacFormat values() const;

    QSlider* levelSlider() const { return level_; }
    QLabel* levelText() const { return levelText_; }
    QCheckBox* verifyBox() const { return verify_; }

  private:
    void ShowLevel();

    QSlider* level_;
    QLabel* levelText_;
    QCheckBox* verify_;
};

class OpusPage : public FormatPage {
    Q_OBJECT

  public:
    OpusPage(const OpusFormat& format, QWidget* parent);
    EncoderKind kind() const override { return kEncoderOpus; }
    void Store(FormatGroups& groups) const override { groups.opus = values(); }
    OpusFormat values() const;

    QSpinBox* bitrateBox() const { return bitrate_; }
    QComboBox* modeList() const { return mode_; }
    QSpinBox* complexityBox() const { return complexity_; }

  private:
    QSpinBox* bitrate_;
    QComboBox* mode_;
    QSpinBox* complexity_;
};

}  // namespace disctrove::ui
