#include "app/loggrid.h"

#include "logs/gridformat.h"

#include <QHeaderView>

LogGrid::LogGrid(QWidget* parent) : QTableWidget(parent) {
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setColumnCount(2);
    setRowCount(2);
}

void LogGrid::setCols(int n) {
    setColumnCount(std::max(1, n));
}
void LogGrid::setRowsCount(int n) {
    setRowCount(std::max(1, n));
}

void LogGrid::styleFixed(QTableWidgetItem* item, int row, int col) const {
    if (row == 0 || col == 0) {
        item->setBackground(palette().button());
        QFont f = item->font();
        f.setBold(row == 0);
        item->setFont(f);
    }
    item->setTextAlignment(m_alignLeft ? (Qt::AlignLeft | Qt::AlignVCenter)
                                       : (Qt::AlignRight | Qt::AlignVCenter));
}

void LogGrid::setFormatString(const QString& format) {
    const GridFormat g = GridFormat::parse(format);
    if (!g.columnTitles.isEmpty())
        m_alignLeft = g.alignLeft;
    for (int c = 0; c < g.columnTitles.size() && c < columnCount(); ++c)
        setCell(0, c, g.columnTitles[c]);
    for (int r = 0; r < g.rowTitles.size() && r < rowCount(); ++r)
        setCell(r, 0, g.rowTitles[r]);
}

void LogGrid::clearCells() {
    for (int r = 0; r < rowCount(); ++r)
        for (int c = 0; c < columnCount(); ++c)
            if (QTableWidgetItem* it = item(r, c))
                it->setText(QString());
}

void LogGrid::setColWidthTwips(int col, int twips) {
    // 1440 twips an inch; the screen's logical resolution gives pixels.
    setColumnWidth(col, twips * logicalDpiX() / 1440);
}

void LogGrid::setCell(int row, int col, const QString& text) {
    if (row < 0 || col < 0 || row >= rowCount() || col >= columnCount())
        return;
    QTableWidgetItem* it = item(row, col);
    if (!it) {
        it = new QTableWidgetItem;
        setItem(row, col, it);
    }
    styleFixed(it, row, col);
    it->setText(text);
}

QString LogGrid::cell(int row, int col) const {
    const QTableWidgetItem* it = item(row, col);
    return it ? it->text() : QString();
}
