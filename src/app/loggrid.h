// Grid1: the log table, a view over the LogTableModel the download fills. The
// column titles are the top header, the row numbers the left header and the
// model's corner title ("Log Number") stands in the corner cell. Column
// widths keep the proportions of their widths in twips and grow with the
// window to fill the table's width; no column is narrower than its title.
// Each decoded line changes one model row, so the view repaints one row,
// never the whole table.
#pragma once

#include "logs/logtablemodel.h"

#include <QPointer>
#include <QTableView>

class LogGrid : public QTableView {
    Q_OBJECT
public:
    explicit LogGrid(QWidget* parent = nullptr);

    // The table shown from now on; null shows nothing.
    void setLogModel(LogTableModel* model);
    LogTableModel* logModel() const { return m_model; }

    // The text shown in a grid cell: row 0 the column titles, column 0 the
    // row titles, (0, 0) the corner title; empty outside the table.
    QString cell(int row, int col) const;
    // Pixels for a width in twips (1440 an inch) on this screen.
    int twipsToPixels(int twips) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void applyLayout();
    // Column widths for the width the table has now.
    void fitColumns();

    QPointer<LogTableModel> m_model;
    QWidget* m_corner = nullptr;
};
