// `corvane --trace FILE`: a record of the line for support. FILE receives
// every byte the pump sent, unchanged and appended, so `corvane-cli decode <
// FILE` replays it; FILE.log receives every write and every read with the
// time of day, one chunk a line, control characters shown as <CR>, <LF> or
// <xx>.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

class TraceFile {
public:
    // Opens (appends to) both files; false with the reason when either fails.
    bool open(const QString& path, QString* error = nullptr);
    // 'T' for bytes written to the pump, 'F' for a write the port refused,
    // 'R' for bytes read from it.
    void record(char direction, const QByteArray& bytes);

    // "20:05:17.123 > R99<CR>Z99<CR>"
    static QByteArray stamped(const QByteArray& timeOfDay, char direction, const QByteArray& bytes);

private:
    QFile m_raw;
    QFile m_log;
};
