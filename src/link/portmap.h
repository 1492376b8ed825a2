// Which device stands behind Com1..Com4. On Windows it is COMn. Elsewhere it
// is /dev/ttyS(n-1), unless corvane.INI names a device in section
// "Comm Port", keys "Com1".."Com4" (a USB adapter, a pseudo-terminal).
#pragma once

#include <QString>

namespace PortMap {
QString defaultDevice(int portNumber);
// The device for port n, reading the settings file at iniPath (may be empty).
QString device(int portNumber, const QString& iniPath);
// "Com3 (/dev/ttyS2)"
QString describe(int portNumber, const QString& device);
// Names `device` for port n in the settings file ("[Comm Port]" ComN=...,
// the line a user would otherwise edit by hand), replacing the file at once
// and leaving every other line as it was. False when it could not be written.
bool choose(int portNumber, const QString& device, const QString& iniPath);
} // namespace PortMap
