#include "logs/logtable.h"

#include "logs/gridformat.h"

#include <algorithm>

const QString LogTable::kColumnFormat =
    QStringLiteral("< Log Number | Log Type | Date/Time | Battery |Temperature |   BP  |   DP   | "
                   "Elapsed Mins |Flow Rate |   Volume  |  STP Volume ");

QString LogTable::rowTitleFormat(int savedLogCount) {
    QString numbers;
    numbers.reserve(savedLogCount * 6);
    for (int k = 1; k <= savedLogCount; ++k)
        numbers += QString::number(k) + QLatin1String(" |");
    return QStringLiteral(";Log Number |") + numbers;
}

QString LogTable::cell(int row, int column) const {
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= kColumns)
        return QString();
    return m_rows[row][column];
}

void LogTable::clear() {
    for (Row& r : m_rows)
        r.fill(QString());
    m_written.fill(false);
    m_recordsWritten = 0;
}

void LogTable::resize(int rows) {
    rows = std::clamp(rows, 1, kMaxRows);
    m_rows.resize(rows);
    m_written.fill(false, rows);
    m_recordsWritten = 0;
}

void LogTable::applyFormat(const QString& format) {
    const GridFormat g = GridFormat::parse(format);
    if (!g.columnTitles.isEmpty())
        m_alignLeft = g.alignLeft;
    for (int c = 0; c < g.columnTitles.size() && c < kColumns; ++c)
        m_rows[0][c] = g.columnTitles[c];
    for (qsizetype r = 0; r < g.rowTitles.size() && r < m_rows.size(); ++r)
        m_rows[r][0] = g.rowTitles[r];
}

LogTable::Write LogTable::setRow(int row, const QMap<int, QString>& cells) {
    if (row < 1 || row >= kMaxRows)
        return Write::Refused;
    const bool grown = row >= m_rows.size();
    if (grown) {
        const qsizetype from = m_rows.size();
        m_rows.resize(row + 1);
        m_written.resize(row + 1, false);
        for (qsizetype r = from; r <= row; ++r)
            m_rows[r][0] = QString::number(r) + QLatin1Char(' ');
    }
    // A record is the whole row: nothing of an earlier one stays beside it.
    for (int c = 1; c < kColumns; ++c)
        m_rows[row][c].clear();
    for (auto it = cells.cbegin(); it != cells.cend(); ++it)
        if (it.key() >= 1 && it.key() < kColumns)
            m_rows[row][it.key()] = it.value();
    if (!m_written[row]) {
        m_written[row] = true;
        ++m_recordsWritten;
    }
    return grown ? Write::Grown : Write::Written;
}
