// The lines the simulated pump prints, each written from its memory alone:
// the status report ("R99"), the setup report ("Z99"), the pump-state line
// ("P01") and the history printout ("PRINTLOG"). Faults that spoil a line
// are SimPump's business, not these writers'.
#pragma once

#include "sim/simpumpstate.h"

#include <QByteArray>
#include <QByteArrayList>

namespace SimReports {
constexpr int kStatusLength = 231;
constexpr int kSetupLength = 29;
constexpr int kPumpStateLength = 81;

// As of s.now. The log count field says records + logCountSkew (a fault
// the caller may ask for), kept within 0 to 999.
QByteArray status(const SimPumpState& s, int logCountSkew = 0);
QByteArray setup(const SimPumpState& s);
QByteArray pumpState(const SimPumpState& s);
// "PRINTING nnn LOGS", the column-title line, one line per record (oldest
// first) and "Done ok".
QByteArrayList logPrintout(const SimPumpState& s);
} // namespace SimReports
