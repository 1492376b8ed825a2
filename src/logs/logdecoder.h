// Decodes one history line of the pump into a LogRecord -- its kind, title,
// date and fields, as text and as numbers -- and shows a record as the log
// table's cells in the units chosen now (AppState::UnitsFlag). The pump
// prints each history entry as one fixed-column line whose first eight
// characters tell its kind; the fields stand at positions fixed per kind, all
// in one table. One call per captured line; nothing else of the memo is
// looked at.
#pragma once

#include "core/appstate.h"
#include "core/uichanges.h"

#include <QList>
#include <QMap>
#include <array>
#include <optional>

namespace LogColumns {
constexpr int kCount = 11; // column 0 is the fixed "Log Number" column
// Widths of columns 0 to 10 in twips (1440 an inch); the window scales them.
constexpr std::array<int, kCount> kTwips = {900,  1750, 1750, 900,  1000, 1000,
                                            1000, 1000, 900,  1500, 1500};
} // namespace LogColumns

// One field cut from a history line.
struct LogField {
    // What the field holds. Other: a text with no number meant (a serial
    // number, a firmware's field).
    enum class Name { Battery, Temperature, Bp, Dp, Elapsed, Flow, Volume, StpVolume, Other };
    // How the table shows it.
    enum class Shown {
        AsIs,         // the characters as they stand
        Battery,      // whole number, "%"
        Temperature,  // whole number, "F"; metric: Celsius, "C"
        Barometric,   // as they stand, " ''"; metric: millimetres, " mm"
        Differential, // as they stand, "''"; metric: millimetres, "mm"
        Flow,         // flow text: "####" below 5000, else litres "##0.00"
    };
    Name name = Name::Other;
    Shown shown = Shown::AsIs;
    int column = 0;               // the table column it goes to (3..10)
    const char* prefix = "";      // written before it in the table
    QString text;                 // as cut from the line, blanks included
    std::optional<double> number; // the text read as a decimal number
};

// A history entry as the pump printed it.
struct LogRecord {
    QString key;       // the kind: the line's first eight characters
    QString title;     // as the table's "Log Type" column shows it
    QString date;      // the date and time, as they stand
    int row = -1;      // the table row it goes to (a capture's count - 1)
    bool full = false; // carries the full set of sampling fields
    QList<LogField> fields;

    bool is(const char* kind) const { return key == QLatin1String(kind); }
    // The number of the first field of that name, if any holds one.
    std::optional<double> number(LogField::Name name) const;
};

struct LogLineResult {
    enum class Kind {
        Other,  // no kind matched: nothing written
        Record, // a history entry: `record` and `cells` hold it
        Title,  // the pump's column-title line ("LogType,"): nothing written
        End,    // "Done ok": capture is off now; the caller closes the download
    };
    Kind kind = Kind::Other;
    LogRecord record;         // Record: record.row is captureCount - 1
    QMap<int, QString> cells; // Record: column 1..10 -> text
    // What the window shows for the line: Label3_29's caption and PBar1's
    // value (captureCount).
    UiChanges changes;
};

namespace Decode {
// The record in `line`, or nothing when its first eight characters name no
// record kind (the title line, "Done ok" and garbage included).
std::optional<LogRecord> logRecord(const QString& line);
// The table's cells 1..10 for a record, in metric or English units.
QMap<int, QString> logCells(const LogRecord& record, bool metric);
// One captured line of a download.
LogLineResult logLine(const QString& line, int captureCount, AppState& state);
} // namespace Decode
