// Comma-separated text for spreadsheets: RFC 4180 quoting, UTF-8, CR LF line
// ends, and no cell a spreadsheet would run as a formula. Shared by every
// CSV that leaves the program (history export, run summaries).
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace Csv {

// One cell as written: a cell that begins with "=", "+", "-", "@", a tab or
// a carriage return gets a leading apostrophe, unless it is a plain number
// ("-5", "12.5"), which no spreadsheet runs; a cell holding a comma, a
// quote, CR or LF is quoted, its quotes doubled.
QString cell(const QString& text);
// The cells joined by commas, ended by CR LF, in UTF-8.
QByteArray row(const QStringList& cells);

} // namespace Csv
