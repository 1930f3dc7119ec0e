#include "ui/album_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QScopedValueRollback>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ui/options/page_controls.h"

namespace disctrove::ui {

namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

// Sets the text only when it differs: the cursor of a field being typed into stays where it is.
void ShowText(QLineEdit* edit, const std::string& text) {
    if (edit->text() != Text(text)) {
        edit->setText(Text(text));
    }
}

QSpinBox* DiscBox(const QString& name, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setRange(0, 99);
    box->setSpecialValueText(QString(QChar(0x2013)));  // an en dash for 0: a single disc
    box->setAccessibleName(name);
    return box;
}

}  // namespace

AlbumPanel::AlbumPanel(DiscState& disc, NameEdits& edits, QWidget* parent)
    : QWidget(parent), disc_(disc), edits_(edits) {
    cover_ = new QLabel(this);
    cover_->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    cover_->setFixedSize(kCoverSide, kCoverSide);
    cover_->setAccessibleName(tr("Cover"));
    cover_->hide();
    caption_ = new QLabel(this);
    caption_->setFixedWidth(kCoverSide);
    caption_->setWordWrap(true);
    caption_->setTextFormat(Qt::PlainText);
    caption_->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    caption_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont small = caption_->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    caption_->setFont(small);
    caption_->hide();
    auto* coverColumn = new QVBoxLayout;
    coverColumn->setSpacing(2);
    coverColumn->addWidget(cover_);
    coverColumn->addWidget(caption_);
    coverColumn->addStretch(1);

    BuildFields();
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(coverColumn);
    layout->addWidget(fields_, 1);

    ShowNames();
}

template <typename Write>
void AlbumPanel::Edit(NameEdits::Field field, Write write) {
    if (quiet_) {
        return;
    }
    if (!edits_.MayEdit()) {
        ShowNames();  // a rip reads the names: the field shows them as they stay
        return;
    }
    edits_.BeforeEdit(field);
    write();
    edits_.AlbumTyped(field);
    emit namesEdited();
}

void AlbumPanel::BuildFields() {
    fields_ = new QWidget(this);
    artist_ = new QLineEdit(fields_);
    artist_->setAccessibleName(tr("Album artist"));
    album_ = new QLineEdit(fields_);
    album_->setAccessibleName(tr("Album title"));
    year_ = new QLineEdit(fields_);
    year_->setAccessibleName(tr("Year"));
    year_->setMaxLength(10);
    year_->setFixedWidth(year_->fontMetrics().horizontalAdvance(QStringLiteral("00000000")));
    genre_ = ChoiceList(GenreTexts(), 0, fields_);
    genre_->setAccessibleName(tr("Genre"));
    genre_->setMaxVisibleItems(16);
    // The longest genre names would make the window wider than a small screen.
    genre_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    genre_->setMinimumContentsLength(12);
    discNumber_ = DiscBox(tr("Disc number"), fields_);
    discTotal_ = DiscBox(tr("Number of discs"), fields_);
    various_ = new QCheckBox(tr("&Various artists"), fields_);
    various_->setToolTip(tr("Show each track's own artist in the list"));

    const auto label = [this](const QString& text, QWidget* buddy) {
        auto* l = new QLabel(text, fields_);
        l->setBuddy(buddy);
        return l;
    };
    // Two rows: the album's artist and its date and kind, then its title and place in a set.
    auto* grid = new QGridLayout(fields_);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(label(tr("Album a&rtist:"), artist_), 0, 0);
    grid->addWidget(artist_, 0, 1);
    grid->addWidget(label(tr("&Year:"), year_), 0, 2);
    auto* yearAndGenre = new QHBoxLayout;
    yearAndGenre->addWidget(year_);
    yearAndGenre->addSpacing(8);
    yearAndGenre->addWidget(label(tr("&Genre:"), genre_));
    yearAndGenre->addWidget(genre_, 1);
    grid->addLayout(yearAndGenre, 0, 3);
    grid->addWidget(label(tr("A&lbum:"), album_), 1, 0);
    grid->addWidget(album_, 1, 1);
    grid->addWidget(label(tr("D&isc:"), discNumber_), 1, 2);
    auto* set = new QHBoxLayout;
    set->addWidget(discNumber_);
    set->addWidget(label(tr("of"), discTotal_));
    set->addWidget(discTotal_);
    set->addSpacing(8);
    set->addWidget(various_);
    set->addStretch(1);
    grid->addLayout(set, 1, 3);
    grid->setColumnStretch(1, 3);
    grid->setColumnStretch(3, 2);
    grid->setRowStretch(2, 1);

    // The names are written as they are typed: a rip or the options started next see them.
    connect(artist_, &QLineEdit::textChanged, this, [this](const QString& text) {
        Edit(NameEdits::Field::artist, [this, &text] {
            disc_.Artist = text.toStdString();
            // A release's album artist is what the files' ALBUMARTIST says: it follows.
            if (!disc_.release.releaseId.empty()) {
                disc_.release.albumArtist = disc_.Artist;
            }
        });
    });
    connect(album_, &QLineEdit::textChanged, this, [this](const QString& text) {
        Edit(NameEdits::Field::album, [this, &text] { disc_.Album = text.toStdString(); });
    });
    connect(year_, &QLineEdit::textChanged, this, [this](const QString& text) {
        Edit(NameEdits::Field::year, [this, &text] { disc_.Year = text.toStdString(); });
    });
    connect(genre_, &QComboBox::currentIndexChanged, this, [this] {
        Edit(NameEdits::Field::genre, [this] { disc_.Genre = ChosenIndex(genre_, disc_.Genre); });
    });
    connect(discNumber_, &QSpinBox::valueChanged, this, [this](int value) {
        Edit(NameEdits::Field::discNumber, [this, value] { disc_.DiscNumber = value; });
    });
    connect(discTotal_, &QSpinBox::valueChanged, this, [this](int value) {
        Edit(NameEdits::Field::discTotal, [this, value] { disc_.DiscTotal = value; });
    });
    // A field left ends its Undo step: typing into it again makes another.
    for (QLineEdit* edit : {artist_, album_, year_}) {
        connect(edit, &QLineEdit::editingFinished, this, [this] { edits_.CloseGroup(); });
    }
    for (QSpinBox* box : {discNumber_, discTotal_}) {
        connect(box, &QSpinBox::editingFinished, this, [this] { edits_.CloseGroup(); });
    }
    connect(various_, &QCheckBox::toggled, this, &AlbumPanel::variousArtistsChanged);
}

void AlbumPanel::ShowNames() {
    const QScopedValueRollback quiet(quiet_, true);
    ShowText(artist_, disc_.Artist);
    ShowText(album_, disc_.Album);
    ShowText(year_, disc_.Year);
    genre_->setCurrentIndex(disc_.Genre >= 0 && disc_.Genre < genre_->count() ? disc_.Genre : -1);
    discNumber_->setValue(disc_.DiscNumber);
    discTotal_->setValue(disc_.DiscTotal);
    // The switch comes on by itself when a track has an artist of its own, and starts off for
    // another disc without any.
    bool ownArtists = false;
    for (const Track& track : disc_.tracks) {
        ownArtists = ownArtists || !track.artist.empty();
    }
    if (ownArtists) {
        various_->setChecked(true);
    } else if (!disc_.tracks.empty() && disc_.DiscId != shownDisc_) {
        various_->setChecked(false);
    }
    if (!disc_.tracks.empty()) {
        shownDisc_ = disc_.DiscId;
    }
}

void AlbumPanel::ShowCover() {
    const CoverArt& cover = disc_.cover;
    QPixmap picture;
    if (!cover.jpeg.empty() && cover.releaseId == disc_.release.releaseId &&
        picture.loadFromData(cover.jpeg.data(), static_cast<uint>(cover.jpeg.size()))) {
        const qreal scale = devicePixelRatioF();
        picture = picture.scaled(QSize(kCoverSide, kCoverSide) * scale, Qt::KeepAspectRatio,
                                 Qt::SmoothTransformation);
        picture.setDevicePixelRatio(scale);
        cover_->setPixmap(picture);
        cover_->show();
        const ReleaseFacts& release = disc_.release;
        QStringList facts;
        for (const std::string* fact : {&release.date, &release.country}) {
            if (!fact->empty()) {
                facts << Text(*fact);
            }
        }
        QString caption = Text(release.title);
        if (!facts.isEmpty()) {
            const QString dot = QStringLiteral(" ") + QChar(0x00B7) + QStringLiteral(" ");
            caption += QLatin1Char('\n') + facts.join(dot);
        }
        caption_->setText(caption);
        caption_->setToolTip(Text(release.title));
        caption_->setVisible(!caption.isEmpty());
    } else {
        cover_->clear();
        cover_->hide();
        caption_->clear();
        caption_->hide();
    }
}

std::vector<QWidget*> AlbumPanel::FocusChain() const {
    return {artist_, album_, year_, genre_, discNumber_, discTotal_, various_};
}

}  // namespace disctrove::ui
