// The log table as the window's grid shows it: one model row per table row
// 1.., one model column per table column 1..10 (model column = grid column
// - 1). The column titles (table row 0) are the horizontal header, the row
// titles (table column 0: the numbers) the vertical header; cornerTitle() is
// the title of the row-number column. Each decoded line changes one row, so
// the view hears about one row: rows inserted when the table grows, data
// changed otherwise; only a new download resets the model.
#pragma once

#include "logs/logtable.h"

#include <QAbstractTableModel>

class LogTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    const LogTable& table() const { return m_table; }
    QString cornerTitle() const { return m_table.cell(0, 0); }
    // Width of model column `column` in twips (1440 an inch).
    static int columnTwips(int column);

    // The steps that prepare a download (each resets the view once).
    void clear();          // every cell's text empty, titles included
    void resize(int rows); // rows including the title row
    void applyFormat(const QString& format);
    // One decoded record (grid row, columns 1..10).
    LogTable::Write setRow(int row, const QMap<int, QString>& cells);

private:
    LogTable m_table;
};
