// Decodes the pump's status report (an "R99" line held in LastLine).
#pragma once

#include "core/appstate.h"
#include "core/uichanges.h"

UiChanges decodeStatusReport(AppState& state);
