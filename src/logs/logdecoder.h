// Decodes one captured history line, written at memo position captureCount,
// into a row of the log table. The pump prints each history entry as one
// fixed-column line whose first eight characters tell its kind; the fields
// stand at positions fixed per kind and are formatted in the units chosen
// now (AppState::UnitsFlag). One call per captured line; nothing else of the
// memo is looked at.
#pragma once

#include "core/appstate.h"
#include "core/uichanges.h"

#include <QMap>
#include <array>

namespace LogColumns {
constexpr int kCount = 11; // column 0 is the fixed "Log Number" column
// Widths of columns 0 to 10 in twips (1440 an inch); the window scales them.
constexpr std::array<int, kCount> kTwips = {900,  1750, 1750, 900,  1000, 1000,
                                            1000, 1000, 900,  1500, 1500};
} // namespace LogColumns

struct LogLineResult {
    enum class Kind {
        Other,  // no kind matched: nothing written
        Record, // a history entry: `row` and `cells` hold it
        Title,  // the pump's column-title line ("LogType,"): nothing written
        End,    // "Done ok": capture is off now; the caller closes the download
    };
    Kind kind = Kind::Other;
    int row = -1;             // Record: captureCount - 1
    QMap<int, QString> cells; // Record: column 1..10 -> text
    // What the window shows for the line: Label3_29's caption and PBar1's
    // value (captureCount) for every line, and the row for a record.
    UiChanges changes;
};

LogLineResult decodeLogLine(const QString& line, int captureCount, AppState& state);
