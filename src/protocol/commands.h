// Every text Corvane writes to the pump, composed in one place. A command is
// its code, the argument exactly as the caller formatted it, and one carriage
// return; nothing is padded, escaped or checked.
#pragma once

#include <QString>

enum class Switch;

namespace Commands {

// Argument values the pump reads as "not in use".
inline const QString kDateTimeNotInUse = QStringLiteral("255 255 255 255 255");
inline const QString kDurationNotInUse = QStringLiteral("255 255");

// Code + argument + CR. Codes taking an argument carry their trailing blank.
QString compose(const QString& code, const QString& argument = QString());

// Status and setup request, always one write: "R99" CR "Z99" CR.
QString statusRequest();

// One setting of "Send Setup To Pump", from the switch table of
// status/pumpreports.h: its "G" write when `on`, else its "Y" write.
QString setupSwitch(Switch s, bool on);

// Units go out as one write of two commands.
QString englishUnits(); // "G03" CR "G02" CR
QString metricUnits();  // "Y02" CR "Y03" CR

QString timing(bool on);                      // G01 / Y01
QString flowFault(bool on);                   // G04 / Y04
QString flowMode();                           // Y05
QString targetFlow(const QString& flow);      // "W04 " + flow
QString logRate(const QString& minutes);      // "W06 " + rate
QString updateLogType();                      // "UPDATE_LOGTYPE " (blank kept)
QString programDone();                        // G07
QString password(bool on);                    // G09 / Y09
QString durationMode(bool duration);          // G10 (Duration) / Y10 (Start/Stop)
QString startScreens(bool on);                // G11 / Y11
QString timesInUse(bool inUse);               // G12 / Y12
QString stpFlow(bool stp);                    // G13 (S.T.P.) / Y13 (volumetric)
QString setClock(const QString& clock);       // "W16 " + clock
QString updateSysTime();                      // "UPDATE_SYS_TIME" (no blank)
QString runStart(const QString& dateTime);    // "W17 "
QString runStop(const QString& dateTime);     // "W18 "
QString runDuration(const QString& duration); // "W19 "
QString break1(const QString& startStop);     // "W23 "
QString break2(const QString& startStop);     // "W24 "
QString lunch(const QString& startStop);      // "W25 "
QString powerOff();                           // "POWER_OFF " (blank kept)
QString printLog();                           // PRINTLOG
QString logInit();                            // LOG_INIT
QString clearAll();                           // CLEAR_ALL
QString runClear();                           // RUN_CLEAR

} // namespace Commands
