#include "ui/track_table_model.h"

#include <QGuiApplication>
#include <QPalette>
#include <utility>

#include "disc/disc.h"
#include "disc/track_texts.h"
#include "skin/icons.h"
#include "ui/core_texts.h"
#include "ui/name_edits.h"

namespace disctrove::ui {

TrackTableModel::TrackTableModel(DiscState& disc, const LastRip& lastRip,
                                 std::function<bool()> mayEdit, NameEdits& edits, QObject* parent)
    : QAbstractTableModel(parent),
      disc_(disc),
      lastRip_(lastRip),
      mayEdit_(std::move(mayEdit)),
      edits_(edits) {
    connect(&edits_, &NameEdits::changed, this, &TrackTableModel::Reload);
}

int TrackTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TrackTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant TrackTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= kColumnCount) {
        return {};
    }
    const Row& row = rows_[static_cast<size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
            return row.texts[index.column()];
        case Qt::EditRole:
            return index.column() == kArtistColumn ? row.ownArtist : row.texts[index.column()];
        case Qt::ForegroundRole:
            // A track without an artist of its own shows the album's, greyed.
            if (index.column() == kArtistColumn && row.ownArtist.isEmpty()) {
                return QGuiApplication::palette().brush(QPalette::PlaceholderText);
            }
            return {};
        case Qt::CheckStateRole:
            if (index.column() == kTitleColumn) {
                return row.marked ? Qt::Checked : Qt::Unchecked;
            }
            return {};
        case Qt::DecorationRole:
            if (index.column() == kEncoderColumn) {
                return row.encoderIcon;
            }
            return {};
        default:
            return {};
    }
}

QVariant TrackTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    switch (section) {
        case kTitleColumn:
            return tr("Track name");
        case kTimeColumn:
            return tr("Time");
        case kEncoderColumn:
            return tr("Encoder");
        case kStatusColumn:
            return tr("Status");
        case kArtistColumn:
            return tr("Artist");
        default:
            return {};
    }
}

Qt::ItemFlags TrackTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (index.column() == kTitleColumn) {
        flags |= Qt::ItemIsUserCheckable;
    }
    // No name is edited while a rip reads them.
    if ((index.column() == kTitleColumn || index.column() == kArtistColumn) && mayEdit_()) {
        flags |= Qt::ItemIsEditable;
    }
    return flags;
}

bool TrackTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.row() >= rowCount() ||
        static_cast<size_t>(index.row()) >= disc_.tracks.size() || !mayEdit_()) {
        return false;
    }
    const auto track = static_cast<size_t>(index.row());
    const bool title = index.column() == kTitleColumn;
    if (role == Qt::CheckStateRole && title) {
        disc_.tracks[track].marked = value.toInt() == Qt::Checked ? 1 : 0;
    } else if (role == Qt::EditRole && title) {
        edits_.SetTrackTitle(track, value.toString().trimmed().toStdString());
    } else if (role == Qt::EditRole && index.column() == kArtistColumn) {
        edits_.SetTrackArtist(track, value.toString().trimmed().toStdString());
    } else {
        return false;
    }
    RowChanged(index.row());
    emit edited(index.row());
    return true;
}

void TrackTableModel::Reload() {
    const int count = static_cast<int>(disc_.tracks.size());
    if (count < rowCount()) {
        beginRemoveRows({}, count, rowCount() - 1);
        rows_.resize(static_cast<size_t>(count));
        endRemoveRows();
    } else if (count > rowCount()) {
        beginInsertRows({}, rowCount(), count - 1);
        rows_.resize(static_cast<size_t>(count));
        endInsertRows();
    }
    for (size_t i = 0; i < rows_.size(); ++i) {
        rows_[i] = ReadRow(i);
    }
    if (count > 0) {
        emit dataChanged(index(0, 0), index(count - 1, kColumnCount - 1));
    }
    emit reloaded();
}

void TrackTableModel::ReloadRow(int row) {
    if (row >= 0 && row < rowCount() && static_cast<size_t>(row) < disc_.tracks.size()) {
        RowChanged(row);
    }
}

void TrackTableModel::SetMark(int row, bool marked) {
    if (row >= 0 && row < rowCount() && static_cast<size_t>(row) < disc_.tracks.size() &&
        mayEdit_()) {
        disc_.tracks[static_cast<size_t>(row)].marked = marked ? 1 : 0;
        RowChanged(row);
    }
}

void TrackTableModel::MarkRows(const std::function<bool(const Track&)>& mark) {
    for (int row = 0; row < rowCount() && static_cast<size_t>(row) < disc_.tracks.size(); ++row) {
        SetMark(row, mark(disc_.tracks[static_cast<size_t>(row)]));
    }
}

QString TrackTableModel::Text(int row, int column) const {
    return data(index(row, column)).toString();
}

TrackTableModel::Row TrackTableModel::ReadRow(size_t track) const {
    Row row;
    if (track >= disc_.tracks.size()) {
        return row;
    }
    const Track& t = disc_.tracks[track];
    row.texts[kTitleColumn] = QString::fromStdString(t.title);
    row.texts[kTimeColumn] = QString::fromStdString(TrackTimeText(t));
    row.texts[kEncoderColumn] = CoreText(TrackEncoderText(t));
    row.texts[kStatusColumn] = CoreText(TrackStatusText(t.status, lastRip_.Of(t.index)));
    row.ownArtist = QString::fromStdString(t.artist);
    row.texts[kArtistColumn] =
        t.artist.empty() ? QString::fromStdString(disc_.Artist) : row.ownArtist;
    row.marked = t.marked != 0;
    row.encoderIcon = skin::EncoderIcon(t.encoder);
    return row;
}

void TrackTableModel::RowChanged(int row) {
    rows_[static_cast<size_t>(row)] = ReadRow(static_cast<size_t>(row));
    emit dataChanged(index(row, 0), index(row, kColumnCount - 1));
}

}  // namespace disctrove::ui
