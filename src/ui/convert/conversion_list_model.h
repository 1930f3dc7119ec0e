// The rows of the "Convert files" dialog: the files and folders the user added, which become the
// batch's items once it has planned them (a folder becomes the files found in it), each with its
// status and percentage.
#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "convert/conversion_batch.h"

namespace disctrove::ui {

class ConversionListModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column { fileColumn, statusColumn, percentColumn, kColumns };
    // The percentage a row's bar shows; -1 for none (a row not yet started, or not converted).
    static constexpr int kPercentRole = Qt::UserRole;

    explicit ConversionListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Adds the files and folders not in the list yet; returns how many were added.
    int AddPaths(const QStringList& paths);
    // Removes the given rows that are not part of a running batch's open work (waiting or
    // converting); returns how many went.
    int RemoveRows(std::vector<int> rows);
    // Removes every such row.
    int Clear();

    // What a batch is asked to convert: the paths the rows came from, each once, in order.
    std::vector<std::string> Paths() const;

    // The batch has started with these items: they replace the rows.
    void Plan(const std::vector<ConversionItem>& items);
    // Item `index` of the running batch has changed.
    void Update(size_t index, const ConversionItem& item);
    // The batch has ended: its final word on each item, and the paths it refused as rows that
    // failed.
    void Finish(const ConversionSummary& summary);
    bool BatchRunning() const { return batchRunning_; }
    void SetBatchRunning(bool running) { batchRunning_ = running; }

    // Of the batch's items: how many have ended, and how much of the whole is done (0 to 1).
    size_t BatchSize() const { return batchRows_.size(); }
    size_t BatchEnded() const;
    double BatchFraction() const;

    // The status text of row `row` ("Converted", "Failed — reason", ...).
    QString StatusText(int row) const;

    // "3 of 12 files", with "— about 2 min left" once the time spent tells how long the rest
    // takes.
    static QString ProgressText(size_t ended, size_t total, double fraction, double elapsedSeconds);
    // "12 converted, 1 skipped, 2 failed" (and how many were stopped, when some were).
    static QString SummaryText(const ConversionSummary& summary);

  private:
    struct Row {
        std::string given;  // the file or folder the user added that this row came from
        ConversionItem item;
        bool folder = false;   // a folder not yet planned into its files
        long batchIndex = -1;  // the item's index in the running (or last) batch
    };

    QString FileText(const Row& row) const;
    QString ToolTip(const Row& row) const;
    bool Removable(const Row& row) const;
    void RemoveWhere(const std::vector<bool>& gone);
    void IndexBatch();

    std::vector<Row> rows_;
    std::unordered_map<size_t, size_t> batchRows_;  // batch index -> row
    bool batchRunning_ = false;
};

}  // namespace disctrove::ui
