// Replacing a file the user relies on (corvane.INI, a saved log file) so that
// it is either the old file, byte for byte, or the whole new one: a full
// disk, a quota or a failing drive never leaves a cut or empty file behind.
#pragma once

#include <QByteArray>
#include <QString>

namespace WholeFile {

// Writes `bytes` to a temporary file beside `path`, checks every write, syncs
// it to the disk and only then renames it over `path`. False when any step
// failed; then `error` holds the system's reason ("No space left on device")
// and `path` is untouched. Only a regular file (or nothing) at `path` is
// replaced: a device or pipe under that name would take the bytes as they come.
bool replace(const QString& path, const QByteArray& bytes, QString* error);

} // namespace WholeFile
