// Decodes the pump's setup report ("Z99") and pump-state line ("P01") into the
// setup flags the send sequences read and the current-setting captions.
#pragma once

#include "core/appstate.h"
#include "core/uichanges.h"

// A "Z99" line.
UiChanges decodeSetupReport(const QString& line, AppState& state);
// A "P01" line (the dispatcher keeps a copy in PumpStateLine).
UiChanges pumpStatSub(const QString& line, AppState& state);
