#include "ui/convert/conversion_list_model.h"

#include <QApplication>
#include <QFileInfo>
#include <QStyle>
#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "ui/core_texts.h"

namespace disctrove::ui {

namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

bool Ended(ConversionOutcome outcome) {
    return outcome != ConversionOutcome::waiting && outcome != ConversionOutcome::running;
}

}  // namespace

ConversionListModel::ConversionListModel(QObject* parent) : QAbstractTableModel(parent) {}

int ConversionListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ConversionListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant ConversionListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    switch (section) {
        case fileColumn:
            return tr("File");
        case statusColumn:
            return tr("Status");
        case percentColumn:
            return tr("Done");
        default:
            return {};
    }
}

QString ConversionListModel::FileText(const Row& row) const {
    if (row.batchIndex >= 0) {
        return Text(SourceDisplayName(row.item.source));
    }
    return QFileInfo(Text(row.given)).fileName();
}

QString ConversionListModel::ToolTip(const Row& row) const {
    QString tip = Text(row.item.source.path);
    if (!row.item.output.empty()) {
        tip += QLatin1Char('\n') + tr("into %1").arg(Text(row.item.output));
    }
    if (row.item.outcome == ConversionOutcome::converted && !row.item.reason.empty()) {
        tip += QLatin1Char('\n') + CoreText(row.item.reason);
    }
    return tip;
}

QString ConversionListModel::StatusText(int index) const {
    if (index < 0 || index >= static_cast<int>(rows_.size())) {
        return {};
    }
    const ConversionItem& item = rows_[static_cast<size_t>(index)].item;
    const QString reason = CoreText(item.reason);
    switch (item.outcome) {
        case ConversionOutcome::waiting:
            return tr("Waiting");
        case ConversionOutcome::running:
            return tr("Converting");
        case ConversionOutcome::converted:
            return tr("Converted");
        case ConversionOutcome::skipped:
            return reason.isEmpty() ? tr("Skipped") : tr("Skipped — %1").arg(reason);
        case ConversionOutcome::failed:
            return reason.isEmpty() ? tr("Failed") : tr("Failed — %1").arg(reason);
        case ConversionOutcome::stopped:
            return tr("Stopped");
    }
    return {};
}

QVariant ConversionListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(rows_.size())) {
        return {};
    }
    const Row& row = rows_[static_cast<size_t>(index.row())];
    const ConversionOutcome outcome = row.item.outcome;
    const bool bar =
        outcome == ConversionOutcome::running || outcome == ConversionOutcome::converted;
    const int percent = outcome == ConversionOutcome::converted ? 100 : row.item.percent;
    switch (role) {
        case Qt::DisplayRole:
            if (index.column() == fileColumn) {
                return FileText(row);
            }
            if (index.column() == statusColumn) {
                // One line: a reason the core gave over two lines reads as one here.
                return StatusText(index.row()).replace(QLatin1Char('\n'), QLatin1Char(' '));
            }
            return bar ? tr("%1%").arg(percent) : QString();
        case Qt::ToolTipRole:
            return index.column() == statusColumn ? StatusText(index.row()) : ToolTip(row);
        case Qt::DecorationRole:
            if (index.column() == fileColumn && row.folder) {
                return QApplication::style()->standardIcon(QStyle::SP_DirIcon);
            }
            return {};
        case kPercentRole:
            return bar ? percent : -1;
        default:
            return {};
    }
}

int ConversionListModel::AddPaths(const QStringList& paths) {
    std::unordered_set<std::string> known;
    for (const Row& row : rows_) {
        known.insert(row.given);
    }
    std::vector<Row> added;
    for (const QString& path : paths) {
        QString clean = QFileInfo(path).absoluteFilePath();
        while (clean.size() > 1 && clean.endsWith(QLatin1Char('/'))) {
            clean.chop(1);
        }
        const std::string given = clean.toStdString();
        if (clean.isEmpty() || !known.insert(given).second) {
            continue;
        }
        Row row;
        row.given = given;
        row.item.source = {given, -1, ""};
        row.folder = QFileInfo(clean).isDir();
        added.push_back(std::move(row));
    }
    if (added.empty()) {
        return 0;
    }
    const int first = static_cast<int>(rows_.size());
    beginInsertRows({}, first, first + static_cast<int>(added.size()) - 1);
    for (Row& row : added) {
        rows_.push_back(std::move(row));
    }
    endInsertRows();
    return static_cast<int>(added.size());
}

bool ConversionListModel::Removable(const Row& row) const {
    // A running batch still owns its open items: their rows stay until it is done with them.
    return !batchRunning_ || row.batchIndex < 0 || Ended(row.item.outcome);
}

void ConversionListModel::RemoveWhere(const std::vector<bool>& gone) {
    // Backwards, in runs of neighbouring rows, so that each removal keeps the indexes before it.
    for (int end = static_cast<int>(rows_.size()); end > 0;) {
        if (!gone[static_cast<size_t>(end - 1)]) {
            --end;
            continue;
        }
        int first = end - 1;
        while (first > 0 && gone[static_cast<size_t>(first - 1)]) {
            --first;
        }
        beginRemoveRows({}, first, end - 1);
        rows_.erase(rows_.begin() + first, rows_.begin() + end);
        endRemoveRows();
        end = first;
    }
    IndexBatch();
}

int ConversionListModel::RemoveRows(std::vector<int> rows) {
    std::vector<bool> gone(rows_.size(), false);
    int count = 0;
    for (const int row : rows) {
        if (row >= 0 && row < static_cast<int>(rows_.size()) && !gone[static_cast<size_t>(row)] &&
            Removable(rows_[static_cast<size_t>(row)])) {
            gone[static_cast<size_t>(row)] = true;
            ++count;
        }
    }
    RemoveWhere(gone);
    return count;
}

int ConversionListModel::Clear() {
    std::vector<int> all(rows_.size());
    for (size_t i = 0; i < all.size(); ++i) {
        all[i] = static_cast<int>(i);
    }
    return RemoveRows(std::move(all));
}

std::vector<std::string> ConversionListModel::Paths() const {
    std::vector<std::string> paths;
    std::unordered_set<std::string> seen;
    for (const Row& row : rows_) {
        if (seen.insert(row.given).second) {
            paths.push_back(row.given);
        }
    }
    return paths;
}

void ConversionListModel::IndexBatch() {
    batchRows_.clear();
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].batchIndex >= 0) {
            batchRows_[static_cast<size_t>(rows_[i].batchIndex)] = i;
        }
    }
}

void ConversionListModel::Plan(const std::vector<ConversionItem>& items) {
    beginResetModel();
    rows_.clear();
    for (size_t i = 0; i < items.size(); ++i) {
        Row row;
        const ConvertSource& source = items[i].source;
        // A file found in a folder came from that folder; a file given by itself is itself.
        row.given = source.root.empty() ? source.path : source.root;
        row.item = items[i];
        row.batchIndex = static_cast<long>(i);
        rows_.push_back(std::move(row));
    }
    IndexBatch();
    endResetModel();
}

void ConversionListModel::Update(size_t index, const ConversionItem& item) {
    const auto found = batchRows_.find(index);
    if (found == batchRows_.end()) {
        return;  // a row the user removed once it had ended
    }
    const size_t row = found->second;
    rows_[row].item = item;
    emit dataChanged(this->index(static_cast<int>(row), 0),
                     this->index(static_cast<int>(row), kColumns - 1));
}

void ConversionListModel::Finish(const ConversionSummary& summary) {
    if (batchRows_.empty() && !summary.items.empty()) {
        Plan(summary.items);  // a batch that said nothing while it ran
    }
    for (size_t i = 0; i < summary.items.size(); ++i) {
        Update(i, summary.items[i]);
    }
    // What the batch refused has no item: it stays in the list as a row that failed.
    std::unordered_map<std::string, size_t> unplanned;
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].batchIndex < 0) {
            unplanned[rows_[i].given] = i;
        }
    }
    for (const auto& [path, reason] : summary.refused) {
        ConversionItem item;
        item.source = {path, -1, ""};
        item.outcome = ConversionOutcome::failed;
        item.reason = reason;
        if (const auto found = unplanned.find(path); found != unplanned.end()) {
            rows_[found->second].item = item;
            const int row = static_cast<int>(found->second);
            emit dataChanged(index(row, 0), index(row, kColumns - 1));
            continue;
        }
        const int row = static_cast<int>(rows_.size());
        beginInsertRows({}, row, row);
        rows_.push_back({path, item, false, -1});
        endInsertRows();
    }
    batchRunning_ = false;
}

size_t ConversionListModel::BatchEnded() const {
    size_t ended = 0;
    for (const auto& [index, row] : batchRows_) {
        ended += Ended(rows_[row].item.outcome) ? 1 : 0;
    }
    return ended;
}

double ConversionListModel::BatchFraction() const {
    if (batchRows_.empty()) {
        return 0.0;
    }
    double percents = 0.0;
    for (const auto& [index, row] : batchRows_) {
        const ConversionItem& item = rows_[row].item;
        percents += Ended(item.outcome) ? 100.0 : std::clamp(item.percent, 0, 100);
    }
    return percents / (100.0 * static_cast<double>(batchRows_.size()));
}

QString ConversionListModel::ProgressText(size_t ended, size_t total, double fraction,
                                          double elapsedSeconds) {
    const auto done = static_cast<qulonglong>(ended);
    const auto all = static_cast<qulonglong>(total);
    // Too early a guess jumps about: wait for a little of the work and a little time.
    if (fraction < 0.01 || fraction >= 1.0 || elapsedSeconds < 2.0) {
        return tr("%1 of %2 files").arg(done).arg(all);
    }
    const double left = elapsedSeconds * (1.0 - fraction) / fraction;
    if (left < 60.0) {
        const int seconds = std::max(5, static_cast<int>(std::ceil(left / 5.0)) * 5);
        return tr("%1 of %2 files — about %3 s left").arg(done).arg(all).arg(seconds);
    }
    const auto minutes = static_cast<long long>(std::llround(left / 60.0));
    if (minutes < 60) {
        return tr("%1 of %2 files — about %3 min left").arg(done).arg(all).arg(minutes);
    }
    return tr("%1 of %2 files — about %3 h %4 min left")
        .arg(done)
        .arg(all)
        .arg(minutes / 60)
        .arg(minutes % 60);
}

QString ConversionListModel::SummaryText(const ConversionSummary& summary) {
    const auto count = [&](ConversionOutcome outcome) {
        return static_cast<qulonglong>(summary.Count(outcome));
    };
    const auto failed = count(ConversionOutcome::failed) + summary.refused.size();
    QString text = tr("%1 converted, %2 skipped, %3 failed")
                       .arg(count(ConversionOutcome::converted))
                       .arg(count(ConversionOutcome::skipped))
                       .arg(failed);
    if (const auto stopped = count(ConversionOutcome::stopped); stopped > 0) {
        text = tr("%1, %2 stopped").arg(text).arg(stopped);
    }
    return text;
}

}  // namespace disctrove::ui
