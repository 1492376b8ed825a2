// One entry of the simulated pump's history and the fixed-column line the
// pump prints for it when asked for "PRINTLOG". Each kind has its own title;
// the fields follow the title, each after one comma, at positions fixed by
// the title's length.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>

struct SimRecord {
    // Every kind of entry the pump keeps, in no particular order.
    enum Kind {
        RunUpdate,
        LogInit,
        LowBattery,
        PowerOn,
        PowerOff,
        ClearData,
        Calibration,
        StartSampling,
        UserHold,
        NoFlow,
        ChangeTime,
        ChangeFlow,
        ChangeDate,
        ChangeRate,
        PumpProgram,
        EventEnd,
        Break1Begin,
        LunchBegin,
        Break2Begin,
        DutyBegins,
        StopSampling,
        TrimautoFlowAdjusted,
        VerifyCalibrate,
        VerifyFlow,
        ShutDown5,
        FilterOut,
        ProgramInstalled,
        KindCount
    };

    Kind kind = PowerOn;
    QDateTime when;         // pump clock
    int battery = 0;        // percent
    int temperatureF = 0;   // degrees Fahrenheit
    double bp = 0;          // inches of mercury
    double dp = 0;          // inches of water
    int elapsedMinutes = 0; // minutes since sampling began
    int flow = 0;           // cc/min
    double volume = 0;      // litres
    double stpVolume = 0;   // litres at standard conditions
    QByteArray serial;      // last six characters of the serial number
    QByteArray firmware;    // six-character firmware name ("KST204")

    // The title the pump prints, e.g. "Run Update".
    static QByteArray title(Kind kind);
    // Kinds that carry the full set of sampling fields after the date.
    static bool isFullRecord(Kind kind);
    // The line as printed, without the line end.
    QByteArray line() const;
};

namespace SimText {
// "12/06/2026 14:05": month, day, four-digit year, hour, minute (16 characters).
QByteArray stamp(const QDateTime& t);
// Right-aligned, zero-filled whole number in exactly `width` characters
// (the value is clamped to what fits).
QByteArray digits(qint64 value, int width);
// Zero-filled fixed-point number in exactly `width` characters.
QByteArray fixed(double value, int width, int decimals);
// `text` cut or blank-padded to exactly `width` characters.
QByteArray field(const QByteArray& text, int width);
} // namespace SimText

// The history's column-title line, printed right after the "PRI" line.
QByteArray simLogTitleLine();
