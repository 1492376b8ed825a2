// Decodes the pump's setup report ("Z99") and pump-state line ("P01") into the
// setup flags the send sequences read and the current-setting captions.
#pragma once

#include "core/appstate.h"
#include "core/uichanges.h"

// Reads LastLine.
UiChanges decodeSetupReport(AppState& state);
// Reads PumpStateLine.
UiChanges pumpStatSub(AppState& state);
