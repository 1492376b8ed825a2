#include "logs/logtablemodel.h"

int LogTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_table.rowCount() - 1;
}

int LogTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : LogTable::kColumns - 1;
}

QVariant LogTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return m_table.cell(index.row() + 1, index.column() + 1);
    if (role == Qt::TextAlignmentRole && m_table.alignLeft())
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    return {};
}

QVariant LogTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || section < 0)
        return {};
    return orientation == Qt::Horizontal ? m_table.cell(0, section + 1)
                                         : m_table.cell(section + 1, 0);
}

int LogTableModel::columnTwips(int column) {
    return column >= 0 && column + 1 < LogTable::kColumns ? LogColumns::kTwips[column + 1] : 0;
}

void LogTableModel::clear() {
    beginResetModel();
    m_table.clear();
    endResetModel();
}

void LogTableModel::resize(int rows) {
    beginResetModel();
    m_table.resize(rows);
    endResetModel();
}

void LogTableModel::applyFormat(const QString& format) {
    // Titles and alignment change; the rows stay.
    m_table.applyFormat(format);
    if (rowCount() > 0)
        emit headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
                         {Qt::TextAlignmentRole});
}

LogTable::Write LogTableModel::setRow(int row, const QMap<int, QString>& cells) {
    const int before = m_table.rowCount();
    if (row >= before && row < LogTable::kMaxRows)
        beginInsertRows({}, before - 1, row - 1);
    const LogTable::Write w = m_table.setRow(row, cells);
    if (w == LogTable::Write::Grown)
        endInsertRows();
    else if (w == LogTable::Write::Written)
        emit dataChanged(index(row - 1, 0), index(row - 1, columnCount() - 1));
    return w;
}
