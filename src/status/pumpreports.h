// The pump's three fixed-column reports as values: the status report ("R99"),
// the setup report ("Z99") and the pump-state line ("P01"). Each report's
// layout is one table of named fields (1-based position, width) below; the
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

// clang-format off
inline constexpr std::array<ReportField, int(StatusField::Count)> kStatusLayout = {{
    {"board_hours", 5, 4},          {"board_minutes", 10, 2},
    {"motor_hours", 13, 4},         {"motor_minutes", 18, 2},
    {"barometric_inhg", 21, 5},     {"differential_inh2o", 27, 5},
    {"target_flow_ccmin", 34, 6},   {"flow_ccmin", 40, 6},
    {"stp_flow_ccmin", 47, 6},      {"volume_l", 54, 8},
    {"stp_volume_l", 63, 8},        {"model_code", 72, 2},
    {"clock_minute", 75, 2},        {"clock_hour", 78, 2},
    {"clock_day", 81, 2},           {"clock_month", 84, 2},
    {"clock_year", 87, 2},          {"sample_hours", 90, 3},
    {"sample_minutes", 94, 2},      {"battery_pct", 97, 3},
    {"temperature_f", 101, 3},      {"log_rate_min", 105, 2},
    {"firmware", 108, 4},           {"log_count", 113, 3},
    {"serial", 117, 8},             {"battery_left_hours", 126, 2},
    {"battery_left_minutes", 129, 2}, {"avg_temperature_f", 132, 3},
    {"log_used_pct", 136, 3},       {"calibration_minute", 140, 2},
    {"calibration_hour", 143, 2},   {"calibration_day", 146, 2},
    {"calibration_month", 149, 2},  {"calibration_year", 152, 2},
    {"calibration_flow_ccmin", 155, 6}, {"run_start_minute", 162, 2},
    {"run_start_hour", 165, 2},     {"run_start_day", 168, 2},
    {"run_start_month", 171, 2},    {"run_start_year", 174, 2},
    {"run_stop_minute", 177, 2},    {"run_stop_hour", 180, 2},
    {"run_stop_day", 183, 2},       {"run_stop_month", 186, 2},
    {"run_stop_year", 189, 2},      {"break1_start_minute", 192, 2},
    {"break1_start_hour", 195, 2},  {"break1_stop_minute", 198, 2},
    {"break1_stop_hour", 201, 2},   {"break2_start_minute", 204, 2},
    {"break2_start_hour", 207, 2},  {"break2_stop_minute", 210, 2},
    {"break2_stop_hour", 213, 2},   {"lunch_start_minute", 216, 2},
    {"lunch_start_hour", 219, 2},   {"lunch_stop_minute", 222, 2},
    {"lunch_stop_hour", 225, 2},    {"run_state", 228, 4},
}};
// clang-format on

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
    // A complete report reaches the end of its last field.
    static constexpr int kLength = kStatusLayout.back().position + kStatusLayout.back().width - 1;

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

inline constexpr std::array<ReportField, int(SetupField::Count)> kSetupLayout = {{
    {"timing", 5, 1},
    {"units", 7, 1},
    {"flow_fault", 11, 1},
    {"program_lock", 17, 1},
    {"password", 21, 1},
    {"timing_mode", 23, 1},
    {"start_screens", 25, 1},
    {"flow_control", 29, 1},
}};

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
// clang-format off
inline constexpr std::array<SetupSwitch, int(Switch::Count)> kSetupSwitches = {{
    {"Flow mode", {"G13", nullptr}, {"Y13", nullptr}, "S.T.P.", "Volumetric",
     SetupField::FlowControl, '0', false},
    {"Password", {"G09", nullptr}, {"Y09", nullptr}, "On", "Off", SetupField::Password, '1', true},
    {"Flow fault", {"G04", nullptr}, {"Y04", nullptr}, "Activated", "Deactivated",
     SetupField::FlowFault, '1', true},
    {"Start-up screens", {"G11", nullptr}, {"Y11", nullptr}, "On", "Off",
     SetupField::StartScreens, '1', true},
    {"Timing", {"G01", nullptr}, {"Y01", nullptr}, "Activated", "Deactivated",
     SetupField::Timing, '1', true},
    {"Timing mode", {"G10", nullptr}, {"Y10", nullptr}, "Duration", "Start/Stop",
     SetupField::TimingMode, '1', true},
    {"Units", {"G03", "G02"}, {"Y02", "Y03"}, "English", "Metric", SetupField::Units, '0', true},
}};
// clang-format on

inline const SetupSwitch& setupSwitch(Switch s) {
    return kSetupSwitches[std::size_t(s)];
}

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

// clang-format off
inline constexpr std::array<ReportField, int(PumpStateField::Count)> kPumpStateLayout = {{
    {"password", 7, 1},           {"flow_fault", 9, 1},
    {"target_flow_ccmin", 33, 6}, {"run_start_minute", 40, 2},
    {"run_start_hour", 43, 2},    {"run_start_day", 46, 2},
    {"run_start_month", 49, 2},   {"run_start_year", 52, 2},
    {"run_stop_minute", 55, 2},   {"run_stop_hour", 58, 2},
    {"run_stop_day", 61, 2},      {"run_stop_month", 64, 2},
    {"run_stop_year", 67, 2},     {"duration_hours", 70, 3},
    {"duration_minutes", 74, 2},  {"start_screens", 79, 1},
    {"flow_control", 81, 1},
}};
// clang-format on

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
