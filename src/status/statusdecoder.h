// Decodes the pump's status report (an "R99" line) into the
// window's status captions, pickers and RUN-mode groups, and leaves the serial
// number, log count and model state for the rest of the program.
#pragma once

#include "core/appstate.h"
#include "core/uichanges.h"
#include "status/pumpreports.h"

#include <QDateTime>

namespace Decode {

// DecodeStatusReport. `now` is the computer's clock shown beside the pump's clock.
UiChanges statusReport(const StatusReport& report, AppState& state,
                       const QDateTime& now = QDateTime::currentDateTime());

} // namespace Decode
