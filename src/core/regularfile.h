// Opening a file for reading, and only a regular file. An ordinary open of a
// FIFO waits for a writer that may never come, which would hang the program;
// opening a device (a serial port, say) can change its lines. On Unix the
// open never waits and the type is checked on what was opened, so nothing
// can be swapped in between; on Windows the type is checked by name first.
#pragma once

#include <QFile>
#include <QString>

namespace RegularFile {

enum class Opened { Open, Missing, NotRegular, Failed };

// Opens `path` read-only into `file` (closed on anything but Open). Missing
// or Failed by the system's own open: `errorCode` := its error number; Failed
// by QFile: `errorCode` := 0 and file.errorString() says why.
Opened openForReading(const QString& path, QFile& file, int* errorCode);

} // namespace RegularFile
