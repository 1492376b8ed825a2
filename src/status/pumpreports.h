// The pump's three fixed-column reports as values: the status report ("R99"),
// the setup report ("Z99") and the pump-state line ("P01"). Each report's
// layout is one table of named fields (1-based position, width), kept in
// pumpreports.cpp with the switch table of "Send Setup To Pump"; the
// decoders, the pump clock, the read-back and corvane-cli all read a field
// through these values, so a layout change is made in one table.
//
// A field keeps its text exactly as sent (captions show it so); past the end
// of a short line it reads as empty, or as what is left of it. The typed
// accessors give what logic needs and nullopt where the field is not one.
// The simulated pump writes its reports from its own positions, so the tests
// that read its lines check these tables.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringView>
#include <array>
#include <optional>

struct ReportField {
    const char* name; // "log_count": lower case, the name a printed report uses
    int position;     // counted from 1, the first character of the reply code
    int width;
};

// Each report's layout, one field at a time (the tables are in pumpreports.cpp).
enum class StatusField;
enum class SetupField;
enum class PumpStateField;
const ReportField& reportField(StatusField field);
const ReportField& reportField(SetupField field);
const ReportField& reportField(PumpStateField field);

// ---------------------------------------------------------------- status report

// In the order of the line. A time group is minute, hour, then for a date
// day, month, two-digit year, each field three positions after the last.
enum class StatusField {
    BoardHours,
    BoardMinutes,
    MotorHours,
    MotorMinutes,
    BarometricPressure,
    DifferentialPressure,
    FlowSetting,
    VolumetricFlow,
    StpFlow,
    CumulativeVolume,
    StpCumulativeVolume,
    PumpType,
    ClockMinute,
    ClockHour,
    ClockDay,
    ClockMonth,
    ClockYear,
    SampleHours,
    SampleMinutes,
    Battery,
    Temperature,
    LogRate,
    Firmware,
    LogCount,
    Serial,
    BatteryHours,
    BatteryMinutes,
    AverageTemperature,
    LogCapacityUsed,
    CalibrationMinute,
    CalibrationHour,
    CalibrationDay,
    CalibrationMonth,
    CalibrationYear,
    CalibrationFlow,
    RunStartMinute,
    RunStartHour,
    RunStartDay,
    RunStartMonth,
    RunStartYear,
    RunStopMinute,
    RunStopHour,
    RunStopDay,
    RunStopMonth,
    RunStopYear,
    Break1StartMinute,
    Break1StartHour,
    Break1StopMinute,
    Break1StopHour,
    Break2StartMinute,
    Break2StartHour,
    Break2StopMinute,
    Break2StopHour,
    LunchStartMinute,
    LunchStartHour,
    LunchStopMinute,
    LunchStopHour,
    RunState,
    Count
};

// The time groups of the status report, each named by its minute field.
enum class StatusTime {
    Clock = int(StatusField::ClockMinute),
    Calibration = int(StatusField::CalibrationMinute),
    RunStart = int(StatusField::RunStartMinute),
    RunStop = int(StatusField::RunStopMinute),
    Break1Start = int(StatusField::Break1StartMinute),
    Break1Stop = int(StatusField::Break1StopMinute),
    Break2Start = int(StatusField::Break2StartMinute),
    Break2Stop = int(StatusField::Break2StopMinute),
    LunchStart = int(StatusField::LunchStartMinute),
    LunchStop = int(StatusField::LunchStopMinute),
};

class StatusReport {
public:
    StatusReport() = default;
    explicit StatusReport(QStringView line) : m_line(line.toString()) {}

    const QString& line() const { return m_line; }
    QString text(StatusField field) const;
    // The field as the pump program reads a number; nullopt when it is not one.
    std::optional<double> number(StatusField field) const;

    // Hour ":" minute, both as sent ("14:05").
    QString timeText(StatusTime group) const;
    // Year + 2000, month, day as sent ("20261206"); nullopt when the year is
    // not a number.
    std::optional<QString> dateText(StatusTime group) const;
    // The group as a wall-clock minute (Qt::UTC, no zone); nullopt when a
    // field is not two digits (blanks around allowed) or the date does not exist.
    std::optional<QDateTime> dateTime(StatusTime group) const;

    std::optional<QDateTime> clock() const { return dateTime(StatusTime::Clock); }
    std::optional<double> logRate() const { return number(StatusField::LogRate); }
    // Rounded to a whole number.
    std::optional<int> logCount() const;
    // Rounded with ties to even, as a 16-bit whole number; above 400 the
    // pump is in RUN mode.
    std::optional<int> runState() const;
    QString serial() const { return text(StatusField::Serial); }
    QString modelCode() const { return text(StatusField::PumpType); }

private:
    QString m_line;
};

inline StatusReport parseStatusReport(QStringView line) {
    return StatusReport(line);
}

// ---------------------------------------------------------------- setup report

// One flag character each ("1" / "0"); the even positions and 9, 13, 15, 19
// and 27 are not read.
enum class SetupField {
    Timing,
    Units,
    FlowFault,
    ProgramLock,
    Password,
    TimingMode,
    StartScreens,
    FlowControl,
    Count
};

// One setting of "Send Setup To Pump": the "G" write switches it on (or
// picks the first choice), the "Y" write off, and the setup report shows it
// as one digit. Units go out as two commands in one write.
struct SetupSwitch {
    const char* setting; // as the read-back names it
    std::array<const char*, 2> onCodes;
    std::array<const char*, 2> offCodes; // a second code or nullptr
    const char* onText;
    const char* offText;
    SetupField field;
    char digit;     // the report's digit that names one choice ...
    bool digitIsOn; // ... the "G" choice when true; any other digit the other one
};

enum class Switch { FlowMode, Password, FlowFault, StartScreens, Timing, TimingMode, Units, Count };

// In the order "Send Setup To Pump" writes them.
const SetupSwitch& setupSwitch(Switch s);

// Whether a flag character shows the switch's "G" choice; nullopt when it is
// not a digit (a blank, a letter, nothing past the end of the line).
std::optional<bool> switchShows(Switch s, const QString& flag);

class SetupReport {
public:
    SetupReport() = default;
    explicit SetupReport(QStringView line) : m_line(line.toString()) {}

    const QString& line() const { return m_line; }
    QString text(SetupField field) const;
    // The flag's digit; nullopt for anything else (a blank, a letter, nothing).
    std::optional<int> digit(SetupField field) const;
    // Whether the report shows the switch's "G" choice; nullopt when its flag
    // is not a digit.
    std::optional<bool> isOn(Switch s) const;

private:
    QString m_line;
};

inline SetupReport parseSetupReport(QStringView line) {
    return SetupReport(line);
}

// ---------------------------------------------------------------- pump state

enum class PumpStateField {
    Password,
    FlowFault,
    FlowSetting,
    RunStartMinute,
    RunStartHour,
    RunStartDay,
    RunStartMonth,
    RunStartYear,
    RunStopMinute,
    RunStopHour,
    RunStopDay,
    RunStopMonth,
    RunStopYear,
    DurationHours,
    DurationMinutes,
    StartScreens,
    FlowControl,
    Count
};

enum class PumpStateTime {
    RunStart = int(PumpStateField::RunStartMinute),
    RunStop = int(PumpStateField::RunStopMinute),
};

class PumpStateReport {
public:
    PumpStateReport() = default;
    explicit PumpStateReport(QStringView line) : m_line(line.toString()) {}

    const QString& line() const { return m_line; }
    QString text(PumpStateField field) const;
    std::optional<int> digit(PumpStateField field) const;
    QString timeText(PumpStateTime group) const;
    std::optional<QString> dateText(PumpStateTime group) const;
    // Hours ":" minutes as sent ("012:30").
    QString durationText() const;

private:
    QString m_line;
};

inline PumpStateReport parsePumpStateReport(QStringView line) {
    return PumpStateReport(line);
}
