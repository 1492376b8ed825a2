// The once-a-second status poll and its missing-pump check. There is no
// handshake with the pump: it counts as attached only while status reports
// keep arriving (the status decoder copies each serial number into
// LastSerialNumber). Every tick asks for both reports; the fourth tick of a
// cycle empties LastSerialNumber and the seventh looks whether a report has
// come in since. If none has, the window shows "No Pump Found" and returns to
// its no-pump state; if one has, the next cycle starts, so a pump unplugged
// later is reported too.
//
// Nothing here touches a widget or the port: each tick and each refresh is a
// Sequence the session's poll runner executes, in the order it must be done.
#pragma once

#include "core/appstate.h"
#include "core/uichanges.h"
#include "protocol/sequence.h"

#include <QString>

inline const QString kNoPumpFound = QStringLiteral("No Pump Found");
inline const QString kNoPumpAttached = QStringLiteral("No Pump Currently Attached");
inline const QString kUpdatingDisplay = QStringLiteral("Updating Display");

class PollCycle {
public:
    explicit PollCycle(AppState& state) : m_state(state) {}

    // One Timer1 tick: the indicators show "Updating Display", the request
    // goes out, then either the "No Pump Found" box opens (nothing waits for
    // it: when it is closed, call noPumpBoxClosed and apply what it returns)
    // or the indicators are emptied. While the box is open the tick still
    // asks for the reports, so a pump that comes back is seen at once, but
    // it neither counts nor opens a second box.
    Sequence tick();
    // The box has been closed: a new check cycle starts and the window goes
    // into its no-pump state; the indicators are emptied as the tick ends.
    UiChanges noPumpBoxClosed();
    // A status report arrived while the box is open: the pump is back. The
    // box is to close by itself and a new check cycle starts; the window
    // keeps what the report showed (no no-pump state).
    UiChanges pumpReturned();
    bool noPumpBoxOpen() const { return m_boxOpen; }
    // Ticks counted in the present check cycle.
    int tickCount() const { return m_ticks; }

    // "Refresh Display" (CommandButton16): switches polling on again when it
    // is off (after an interrupted download, say), then asks once.
    static Sequence refreshDisplay(bool timerRunning);
    // "Refresh Current Pump Data" (CommandButton2): asks once, nothing more.
    static Sequence refreshPumpData();

    // The tick count at which LastSerialNumber is emptied, and above which
    // the check is made: the check comes on the seventh tick of a cycle.
    static constexpr int kClearAt = 3;
    static constexpr int kCheckAbove = 5;

private:
    AppState& m_state;
    bool m_boxOpen = false;
    int m_ticks = 0;
};

// Asks the pump once for its status and setup reports, with Label6 showing
// "Updating Display" during the write. (RequestStatus)
Sequence requestStatus();

// The main window's no-pump state: the serial-number captions and the frames
// of pump data hidden, the model captions saying no pump is attached. (The
// page control's start-up setting is the window's to apply.) (ShowNoPump)
UiChanges showNoPump(AppState& state);

// Forgets what the last status report left behind, so nothing stale is taken
// for a fresh answer. (ClearPumpStatus)
void clearPumpStatus(AppState& state);
