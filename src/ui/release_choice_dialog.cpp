#include "ui/release_choice_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace disctrove::ui {

namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

// The Source column: the service that answered, or the disc itself.
QString SourceText(NameSource source) {
    switch (source) {
        case NameSource::musicBrainz:
            return ReleaseChoiceDialog::tr("MusicBrainz");
        case NameSource::cddb:
            return QStringLiteral("CDDB");
        case NameSource::cdText:
            break;
    }
    return QString::fromUtf8(kCdTextChoiceText);
}

}  // namespace

QString ReleaseFormatText(const MusicBrainzRelease& release) {
    QString format = Text(release.format);
    if (release.mediumCount > 1) {
        format += QStringLiteral(" %1/%2").arg(release.mediumPosition).arg(release.mediumCount);
    }
    return format.trimmed();
}

ReleaseChoiceDialog::ReleaseChoiceDialog(const std::vector<NameChoice>& choices, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(tr("Choose the release"));
    const QStringList headers = {
        tr("Source"), tr("Artist"),           tr("Title"),  tr("Date"),  tr("Country"),
        tr("Label"),  tr("Catalogue number"), tr("Format"), tr("Tracks")};
    table_ =
        new QTableWidget(static_cast<int>(choices.size()), static_cast<int>(headers.size()), this);
    table_->setHorizontalHeaderLabels(headers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(false);
    int row = 0;
    bool onlyReleases = true;
    for (const NameChoice& choice : choices) {
        const MusicBrainzRelease& release = choice.names;
        onlyReleases = onlyReleases && choice.source == NameSource::musicBrainz;
        const QStringList cells = {SourceText(choice.source),
                                   Text(release.artist),
                                   Text(release.title),
                                   Text(release.date),
                                   Text(release.country),
                                   Text(release.label),
                                   Text(release.catalogNumber),
                                   ReleaseFormatText(release),
                                   QString::number(release.tracks.size())};
        for (int column = 0; column < cells.size(); ++column) {
            table_->setItem(row, column, new QTableWidgetItem(cells[column]));
        }
        ++row;
    }
    table_->resizeColumnsToContents();
    table_->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);  // the title
    if (!choices.empty()) {
        table_->selectRow(0);
    }
    connect(table_, &QTableWidget::cellDoubleClicked, this, &QDialog::accept);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        onlyReleases
            ? tr("Several releases on MusicBrainz hold this disc. Choose the one you have:")
            : tr("The disc carries names of its own (CD-Text) beside those the look-up found. "
                 "Choose the names to use:"),
        this));
    layout->addWidget(table_, 1);
    layout->addWidget(buttons);
    resize(820, 320);
}

int ReleaseChoiceDialog::chosen() const {
    const int row = table_->currentRow();
    return row < 0 ? 0 : row;
}

}  // namespace disctrove::ui
