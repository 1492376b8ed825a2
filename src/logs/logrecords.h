// The history records of a saved log file or a download, decoded by the same
// key table as the log table, and the same records as export rows: the
// table's text columns plus unit-free numbers a spreadsheet can add up.
#pragma once

#include "logs/logdecoder.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

namespace LogRecords {

// Every record line of `bytes` (the capture memo's lines as saved: each the
// pump's line and two blanks, CR LF, LF or CR ending a line). A record's row
// is the table row a download puts it in: lines with something printable in
// them are counted from 1, the first being the pump's title line (row 0).
// Lines of no record kind (titles, "Done ok", garbage) give no record.
QList<LogRecord> fromFileBytes(const QByteArray& bytes);

// The export's header: "Log Number" and the table's column titles, then
// battery_pct, temperature_f, bp_inhg, dp_inh2o, elapsed_min, flow_ccmin,
// volume_l, stp_volume_l.
const QStringList& exportHeader();
// A record's export cells: its row, the table's text in English units, and
// the fields as numbers (empty where the field is missing or no number).
QStringList exportCells(const LogRecord& record);

} // namespace LogRecords
