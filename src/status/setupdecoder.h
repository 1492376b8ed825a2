// Decodes the pump's setup report ("Z99") and pump-state line ("P01") into the
// setup flags the send sequences read and the current-setting captions.
#pragma once

#include "core/appstate.h"
#include "core/uichanges.h"
#include "status/pumpreports.h"

namespace Decode {

// A "Z99" line.
UiChanges setupReport(const SetupReport& report, AppState& state);
// A "P01" line (PUMP_STAT_SUB).
UiChanges pumpStateReport(const PumpStateReport& report, AppState& state);

} // namespace Decode
