// The track list's model: one row per track of the disc, its columns the title (with the mark as
// a check box), the time, the encoder, the status and the track's artist (shown beside the title
// for a disc of various artists).
#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QString>
#include <functional>
#include <vector>

#include "disc/disc_state.h"
#include "rip/last_rip.h"

namespace disctrove::ui {

class NameEdits;

class TrackTableModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    // The artist column comes last among the model's columns (the stored widths keep their
    // places); the list shows it beside the title.
    enum Column {
        kTitleColumn,
        kTimeColumn,
        kEncoderColumn,
        kStatusColumn,
        kArtistColumn,
        kColumnCount
    };

    // `mayEdit` says whether the tracks may be written now: a running rip reads their marks,
    // titles and encoders, so no edit reaches them then. The Status column adds what the rips
    // of `lastRip` proved of a finished track.
    // Titles and artists are written through `edits`, which keeps the steps Undo takes back.
    TrackTableModel(DiscState& disc, const LastRip& lastRip, std::function<bool()> mayEdit,
                    NameEdits& edits, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // The title's check state marks the track, its text renames it, the artist column's text
    // gives the track its own artist; refused while a rip runs.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // Reads every track again; rows come and go at the end as the disc's track count changed.
    void Reload();
    // Reads the track of `row` again (its progress, say).
    void ReloadRow(int row);

    // Marks or unmarks the track of `row` (refused while a rip runs).
    void SetMark(int row, bool marked);
    // Sets every track's mark to what `mark` says of it.
    void MarkRows(const std::function<bool(const Track&)>& mark);

    // What the list shows at `row` and `column`.
    QString Text(int row, int column) const;

  signals:
    // The view changed the track of `row` through setData (a click on its check box, a name).
    void edited(int row);
    // Every row was read again (a refresh, a look-up, Undo...): the disc's names may have changed.
    void reloaded();

  private:
    // What a row shows. Tracks are read only when the model is told one changed, never when the
    // view paints: during a rip the worker writes a track's status while it runs, and the window
    // reads a track only once told of its progress.
    struct Row {
        QString texts[kColumnCount];
        QString ownArtist;  // what the artist cell edits; empty: the album's artist is shown
        bool marked = false;
        QIcon encoderIcon;
    };
    Row ReadRow(size_t track) const;
    void RowChanged(int row);

    DiscState& disc_;
    const LastRip& lastRip_;
    std::function<bool()> mayEdit_;
    NameEdits& edits_;
    std::vector<Row> rows_;
};

}  // namespace disctrove::ui
