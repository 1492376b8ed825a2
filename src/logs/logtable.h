// The log table Grid1 as data: rows of eleven text cells, row 0 holding the
// column titles and column 0 the row titles ("Log Number", then the row
// numbers), rows 1.. the decoded history entries. A download sizes it from
// the pump's saved-log count; a record past the end makes it grow, so a
// stale count never costs a record its row. LogTableModel shows it.
#pragma once

#include "logs/logdecoder.h"

#include <QList>
#include <QMap>
#include <QString>
#include <array>

class LogTable {
public:
    static constexpr int kColumns = LogColumns::kCount;
    // A pump holds at most 999 entries; far more rows than that can only come
    // from a runaway line, which must not eat the machine.
    static constexpr int kMaxRows = 100000;
    // The download's column titles, "<" aligning every column left.
    static const QString kColumnFormat;
    // ";Log Number |1 |2 |...|count |": the titles of the fixed first column.
    static QString rowTitleFormat(int savedLogCount);

    enum class Write { Written, Grown, Refused };

    int rowCount() const { return int(m_rows.size()); }
    QString cell(int row, int column) const;
    bool alignLeft() const { return m_alignLeft; }
    // Rows that received a record since the table was last cleared or sized.
    int recordsWritten() const { return m_recordsWritten; }

    // Every cell's text empty, titles included; the size stays.
    void clear();
    // `rows` rows including the title row (at least 1, at most kMaxRows).
    void resize(int rows);
    // Column titles before ";" (a leading "<": left-aligned), row titles after it.
    void applyFormat(const QString& format);
    // A decoded record into its row: columns 1..10 as given. A row past the
    // end grows the table, each new row titled with its number. Row 0 (the
    // titles) and rows beyond kMaxRows are refused.
    Write setRow(int row, const QMap<int, QString>& cells);

private:
    using Row = std::array<QString, kColumns>;
    QList<Row> m_rows = QList<Row>(1);
    QList<bool> m_written = QList<bool>(1, false);
    int m_recordsWritten = 0;
    bool m_alignLeft = false;
};
