// A log file as Corvane saves it, `lines` lines long: the titles, then
// numbered "Run Update" records (their flow 2000 + `variant`).
#pragma once

#include <QByteArray>
#include <QString>

inline QByteArray logFileLines(int lines, int variant = 0) {
    QByteArray out = "LogType,Date/Time,Battery,Temp,BP,DP,Elapsed,Flow,Volume,STP Volume  \r\n";
    for (int i = 1; i < lines; ++i)
        out += QStringLiteral("Run Update,12/06/2026 14:05,085,072,29.92,05.02,%1,%2,"
                              "0012.345,00012.345  \r\n")
                   .arg(i, 5, 10, QLatin1Char('0'))
                   .arg(2000 + variant, 6, 10, QLatin1Char('0'))
                   .toLatin1();
    return out;
}

// A whole download as saved: the titles, `records` records, "Done ok".
inline QByteArray downloadFile(int records, int variant = 0) {
    return logFileLines(records + 1, variant) + "Done ok  \r\n";
}
