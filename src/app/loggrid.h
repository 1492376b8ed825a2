// Grid1: the log table. Row 0 and column 0 are fixed title cells.
#pragma once

#include <QTableWidget>

class LogGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit LogGrid(QWidget* parent = nullptr);

    void setCols(int n);
    void setRowsCount(int n); // including the title row
    void setFormatString(const QString& format);
    // All cell texts empty, sizes unchanged.
    void clearCells();
    void setColWidthTwips(int col, int twips);
    void setCell(int row, int col, const QString& text);
    QString cell(int row, int col) const;

private:
    void styleFixed(QTableWidgetItem* item, int row, int col) const;
    bool m_alignLeft = false;
};
