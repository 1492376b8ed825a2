#include "status/statusdecoder.h"

#include "core/controlnames.h"
#include "core/pickertext.h"
#include "status/modeltable.h"
#include "status/numberformat.h"

using namespace NumberFormat;

namespace {

class StatusDecode {
public:
    StatusDecode(const StatusReport& report, AppState& state, const QDateTime& now)
        : m_state(state), m_now(now), m_r(report) {}
    UiChanges run();

private:
    QString field(StatusField f) const { return m_r.text(f); }
    void text(const QString& name, const QString& caption) { m_c.text.insert(name, caption); }
    // A caption that cannot be built keeps its previous text.
    void textIf(const QString& name, const std::optional<QString>& caption) {
        if (caption)
            m_c.text.insert(name, *caption);
    }
    void visible(const char* name, bool on) { m_c.visible.insert(QLatin1String(name), on); }
    void picker(const char* name, const std::optional<QString>& date, const QString& time) {
        if (date)
            m_c.date.insert(QLatin1String(name), *date);
        m_c.time.insert(QLatin1String(name), time);
    }
    static std::optional<QString> join(const char* prefix, const std::optional<QString>& value,
                                       const char* suffix) {
        if (!value)
            return std::nullopt;
        return QLatin1String(prefix) + *value + QLatin1String(suffix);
    }
    bool metric() const { return m_state.UnitsFlag != 0; }

    void runTimes();
    void pressures();
    void flowsAndVolumes();
    void pumpClock();
    void batteryAndTemperature();
    void logs();
    void calibration();
    void identity();
    void programmedTimes();
    void breakPair(StatusTime start, StatusTime stop, const char* startPicker,
                   const char* stopPicker, const char* label, const char* caption,
                   const char* notActivated);
    void runState();

    AppState& m_state;
    const QDateTime m_now;
    const StatusReport& m_r;
    UiChanges m_c;
};

UiChanges StatusDecode::run() {
    runTimes();                                       // 1, 2
    pressures();                                      // 3, 4
    flowsAndVolumes();                                // 5, 6
    ModelTable::apply(m_state, m_r.modelCode(), m_c); // 7
    pumpClock();                                      // 8
    // 9
    text(Control::kSampleRunTime, QLatin1String("Sample Run Time:") +
                                      field(StatusField::SampleHours) + QLatin1String("h ") +
                                      field(StatusField::SampleMinutes) + QLatin1String("m"));
    batteryAndTemperature(); // 10, 11
    logs();                  // 12, 13
    calibration();           // 14, 15
    identity();              // 16 to 21
    programmedTimes();       // 22 to 26
    runState();              // 27
    return m_c;
}

void StatusDecode::runTimes() {
    text(Control::kBoardHours, QLatin1String("Total hours on Circuit Board: ") +
                                   field(StatusField::BoardHours) + QLatin1String("h ") +
                                   field(StatusField::BoardMinutes) + QLatin1String("m"));
    text(Control::kMotorHours, QLatin1String("Total hours on Motor: ") +
                                   field(StatusField::MotorHours) + QLatin1String("h ") +
                                   field(StatusField::MotorMinutes) + QLatin1String("m"));
}

void StatusDecode::pressures() {
    const QString bp = field(StatusField::BarometricPressure);
    const QString dp = field(StatusField::DifferentialPressure);
    if (metric()) {
        textIf(Control::kBarometricPressure,
               join("Current BP: ", barometricMillimetres(bp), " mm of Mercury"));
        textIf(Control::kDifferentialPressure,
               join("Current DP:  ", differentialMillimetres(dp), " mm of Water"));
    } else {
        text(Control::kBarometricPressure,
             QLatin1String("Current BP: ") + bp + QLatin1String(" Inches of Mercury"));
        text(Control::kDifferentialPressure,
             QLatin1String("Current DP: ") + dp + QLatin1String(" Inches of Water"));
    }
}

void StatusDecode::flowsAndVolumes() {
    textIf(Control::kFlowSetting,
           join("Current Flow Setting: ", flowText(field(StatusField::FlowSetting)), ""));
    textIf(Control::kVolumetricFlow,
           join("Volumetric Flow: ", flowText(field(StatusField::VolumetricFlow)), ""));
    textIf(Control::kStpFlow, join("S.T.P. Flow: ", flowText(field(StatusField::StpFlow)), ""));
    text(Control::kStpVolume, QLatin1String("S.T.P. Cumulative Volume: ") +
                                  field(StatusField::StpCumulativeVolume) + QLatin1String(" L"));
    text(Control::kCumulativeVolume, QLatin1String("Cumulative Volume: ") +
                                         field(StatusField::CumulativeVolume) +
                                         QLatin1String(" L"));
}

void StatusDecode::pumpClock() {
    const auto clockDate = m_r.dateText(StatusTime::Clock);
    const QString clockTime = m_r.timeText(StatusTime::Clock);
    picker(Control::kRunModePumpTime, clockDate, clockTime);
    picker(Control::kSetupPumpTime, clockDate, clockTime);
    const QString pcDate = PickerText::pcDate(m_now.date());
    const QString pcTime = PickerText::pcTime(m_now.time());
    picker(Control::kSetupPcTime, pcDate, pcTime);
    picker(Control::kProgramPcTime, pcDate, pcTime);
}

void StatusDecode::batteryAndTemperature() {
    const QString battery = QLatin1String("Battery Capacity: ") +
                            wholeNumberField(field(StatusField::Battery)) + QLatin1String("%");
    text(Control::kBatteryCapacity, battery);
    text(Control::kSamplingBattery, battery);

    const QString temp = field(StatusField::Temperature);
    const auto caption = metric()
                             ? join("Current Temp: ", celsiusText(temp), "C")
                             : std::optional<QString>(QLatin1String("Current Temp: ") +
                                                      wholeNumberField(temp) + QLatin1String("F"));
    textIf(Control::kTemperature, caption);
    textIf(Control::kSamplingTemperature, caption);
}

void StatusDecode::logs() {
    const QString rate = field(StatusField::LogRate);
    // The choice of wording needs the number; a rate that is not one leaves
    // both captions as they were.
    if (const auto n = m_r.logRate()) {
        if (*n == 1) {
            text(Control::kRunModeLogRate,
                 QLatin1String("History Report Logging Rate: ") + rate + QLatin1String(" per/min"));
            text(Control::kSetupLogRate,
                 QLatin1String("Logging Rate: ") + rate + QLatin1String(" per/min"));
        } else {
            text(Control::kRunModeLogRate, QLatin1String("History Report Logging Rate:Every ") +
                                               rate + QLatin1String(" Minutes"));
            text(Control::kSetupLogRate,
                 QLatin1String("Logging Rate:Every ") + rate + QLatin1String(" Minutes"));
        }
    }

    const QString count = field(StatusField::LogCount);
    m_state.logCount = count;
    m_c.values.insert(QStringLiteral("logCount"), count);
    if (const auto n = m_r.logCount())
        m_state.SavedLogCount = *n;
    const QString caption = QLatin1String("Total Logs Saved are: ") + count;
    text(Control::kRunModeLogCount, caption);
    text(Control::kLogsLogCount, caption);
    m_c.facts.logsCounted = true;
}

void StatusDecode::calibration() {
    const auto flow =
        join("Last Calibration Flow Rate was: ", flowText(field(StatusField::CalibrationFlow)), "");
    textIf(Control::kRunModeCalibrationFlow, flow);
    textIf(Control::kProgramCalibrationFlow, flow);

    const auto calDate = m_r.dateText(StatusTime::Calibration);
    const QString calTime = m_r.timeText(StatusTime::Calibration);
    picker(Control::kProgramCalibrationTime, calDate, calTime);
    picker(Control::kRunModeCalibrationTime, calDate, calTime);
}

void StatusDecode::identity() {
    const QString serial = m_r.serial();
    m_state.serialNumber = serial;
    m_state.LastSerialNumber = serial;
    m_c.values.insert(QStringLiteral("serialNumber"), serial);
    m_c.values.insert(QStringLiteral("LastSerialNumber"), serial);
    text(Control::kCurrentPump, QLatin1String("Current Pump :") + serial);
    const QString caption = QLatin1String("Serial Number: ") + serial;
    for (const char* name :
         {Control::kSetupSerial, Control::kLogsSerial, Control::kCommunicationSerial,
          Control::kRunModeSerial, Control::kProgramSerial})
        text(QLatin1String(name), caption);
    for (const char* name : {Control::kCommunicationSerial, Control::kRunModeSerial,
                             Control::kLogsSerial, Control::kProgramSerial})
        visible(name, true);

    for (const char* name : {Control::kTimingValuesFrame, Control::kSetupStatusFrame,
                             Control::kRunTimeFrame, Control::kFlowModeFrame})
        visible(name, true);

    const QString firmware =
        QLatin1String("Pump Firmware Version is ") + field(StatusField::Firmware);
    text(Control::kRunModeFirmware, firmware);
    text(Control::kCommunicationFirmware, firmware);

    text(Control::kBatteryTimeLeft, QLatin1String("Current Battery Time Left: ") +
                                        field(StatusField::BatteryHours) + QLatin1String("h ") +
                                        field(StatusField::BatteryMinutes) + QLatin1String("m"));

    const QString avg = field(StatusField::AverageTemperature);
    textIf(Control::kAverageTemperature,
           metric() ? join("Avg Temp: ", celsiusText(avg), "C")
                    : std::optional<QString>(QLatin1String("Avg Temp: ") + wholeNumberField(avg) +
                                             QLatin1String("F")));
    if (const auto n = parseNumber(avg); n && *n == 255)
        text(Control::kAverageTemperature, QStringLiteral("Avg Temp:n/a "));

    text(Control::kLogCapacityUsed, QLatin1String("Log Capacity Used: ") +
                                        wholeNumberField(field(StatusField::LogCapacityUsed)) +
                                        QLatin1String("%"));
}

void StatusDecode::programmedTimes() {
    // A start or stop whose time reads 55:55 is not activated.
    struct Run {
        StatusTime group;
        const char* picker;
        const char* label;
        const char* on;
        const char* off;
    };
    const Run runs[] = {
        {StatusTime::RunStart, Control::kRunStartPicker, Control::kRunStartCaption,
         "Current Start Time ", "Current Start Time      not activated"},
        {StatusTime::RunStop, Control::kRunStopPicker, Control::kRunStopCaption,
         "Current Stop Time", "Current Stop Time      not activated"},
    };
    for (const Run& r : runs) {
        const QString t = m_r.timeText(r.group);
        if (t == QLatin1String("55:55")) {
            picker(r.picker, QStringLiteral("20030101"), QStringLiteral("00:00"));
            text(QLatin1String(r.label), QLatin1String(r.off));
            visible(r.picker, false);
        } else {
            picker(r.picker, m_r.dateText(r.group), t);
            text(QLatin1String(r.label), QLatin1String(r.on));
            visible(r.picker, true);
        }
    }
    // The line holds first break, second break, lunch; they are shown in the
    // order first break, lunch, second break.
    breakPair(StatusTime::Break1Start, StatusTime::Break1Stop, Control::kBreak1StartShown,
              Control::kBreak1StopShown, Control::kBreak1Caption, "Break1 Start/Stop",
              "Break1 Start/Stop       not activated");
    breakPair(StatusTime::LunchStart, StatusTime::LunchStop, Control::kLunchStartShown,
              Control::kLunchStopShown, Control::kLunchCaption, "Lunch Start/Stop",
              "Lunch Start/Stop         not activated");
    breakPair(StatusTime::Break2Start, StatusTime::Break2Stop, Control::kBreak2StartShown,
              Control::kBreak2StopShown, Control::kBreak2Caption, "Break2 Start/Stop",
              "Break2 Start/Stop       not activated");
}

void StatusDecode::breakPair(StatusTime startGroup, StatusTime stopGroup, const char* startPicker,
                             const char* stopPicker, const char* label, const char* caption,
                             const char* notActivated) {
    // Only the start time of a pair says whether the break is in use.
    const QString start = m_r.timeText(startGroup);
    if (start == QLatin1String("55:55")) {
        const QString cleared = QStringLiteral("12:00:00.00");
        m_c.time.insert(QLatin1String(startPicker), cleared);
        m_c.time.insert(QLatin1String(stopPicker), cleared);
        text(QLatin1String(label), QLatin1String(notActivated));
        visible(stopPicker, false);
        visible(startPicker, false);
    } else {
        m_c.time.insert(QLatin1String(startPicker), start);
        m_c.time.insert(QLatin1String(stopPicker), m_r.timeText(stopGroup));
        text(QLatin1String(label), QLatin1String(caption));
        visible(startPicker, true);
        visible(stopPicker, true);
    }
}

void StatusDecode::runState() {
    const auto code = m_r.runState();
    if (!code)
        return;
    const bool running = *code > 400;
    for (const char* name : {Control::kSamplingDataFrame, Control::kStpConditionsFrame,
                             Control::kPressureBatteryFrame})
        visible(name, running);
    visible(Control::kNotRunningNote, !running);
    m_c.facts.running = running;
    m_c.tooltip.insert(Control::kClearSamplingDataButton,
                       running ? QStringLiteral("Pump cann't be in RUN Mode")
                               : QStringLiteral("Clear all data in pump"));
}

} // namespace

namespace Decode {

UiChanges statusReport(const StatusReport& report, AppState& state, const QDateTime& now) {
    return StatusDecode(report, state, now).run();
}

} // namespace Decode
