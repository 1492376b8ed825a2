// Decodes one captured history line, written at memo position captureCount,
// into a row of the log table.
#pragma once

#include "core/appstate.h"
#include "core/uichanges.h"

struct LogLineResult {
    enum class Kind { Other, Record, Title, End };
    Kind kind = Kind::Other;
    UiChanges changes;
};

LogLineResult decodeLogLine(const QString& line, int captureCount, AppState& state);
