// Emptying the pump's memory, as sequences for the session's runner: what is
// written and what changes on the window first. Neither holds polling nor
// shows the hourglass beyond the write itself; the next status report shows
// the new counts.
#pragma once

#include "protocol/sequence.h"

namespace MemorySequences {

// "Erase Logs" (CommandButton14) and "Erase Logs IN KST" (CommandButton25):
// "LOG_INIT" CR.
Sequence eraseLogs();
// "Clear Sampling Data in Pump" (CommandButton4): the pump's programming
// taken as locked first ("Program Pump", CommandButton29, off), then
// "CLEAR_ALL" CR. The next setup report says how it really is.
Sequence clearSamplingData();

} // namespace MemorySequences
