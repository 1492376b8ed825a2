// Finds the desktop's system-information viewer for the About box. On Windows
// the path comes from the machine-wide registry (MSINFO); elsewhere the first
// known viewer found on the PATH is used.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace SysInfo {
// Candidate viewers, in order of preference, on desktops without a registry.
QStringList linuxCandidates();
// The viewer to start, or empty when there is none. `findExecutable` and
// `fileExists` are injectable for tests.
QString viewerPath(const std::function<QString(const QString&)>& findExecutable,
                   const std::function<bool(const QString&)>& fileExists);
QString viewerPath();
} // namespace SysInfo
