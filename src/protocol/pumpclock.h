// The pump's clock: the "W16 " argument and its command pair, the PC time
// shown on the clock frame before it is sent, the pump clock a status report
// carries (StatusReport::clock), and how far that clock is from the PC's.
#pragma once

#include "core/controlnames.h"
#include "core/uichanges.h"

#include <QDateTime>
#include <QStringList>
#include <optional>

class StatusReport;

namespace PumpClock {

// The label beside "Pump Time" that says how far the pump clock is off.
inline const QString kDriftLabel = Control::kClockDrift;

// "mm hh DD MM YY": two digits each, seconds dropped (never rounded).
QString argument(const QDateTime& at);
// "W16 " + argument, then "UPDATE_SYS_TIME": two writes for
// PumpSession::sendNow, so nothing can come between them.
QStringList texts(const QDateTime& at);
// "Send PC Time  to Pump": the PC's date and time go into fpDateTime4_1
// before they are sent.
UiChanges pcTimeShown(const QDateTime& now);

// "HH:MM MM/DD/YYYY", as the clock results show it: the date pickers' order.
QString shownText(const QDateTime& at);

// Whole minutes the pump clock is ahead of the PC clock (negative: behind).
// The pump shows no seconds, so the PC clock counts from its own minute; the
// PC's minute and the one before it are both in step (0), as a pump just set
// shows the minute it was set in until its own minute ends.
qint64 driftMinutes(const QDateTime& pump, const QDateTime& pc);
// "3 min behind the PC", "2 min ahead of the PC", "in step with the PC";
// a day or more is said in whole days ("12 days behind the PC").
QString driftText(qint64 minutes);
// lblClockDrift for a status report; empty text when its clock is unreadable
// (StatusReport::clock).
UiChanges driftShown(const StatusReport& status, const QDateTime& pcNow);

} // namespace PumpClock
