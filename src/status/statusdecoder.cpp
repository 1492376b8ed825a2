#include "status/statusdecoder.h"

#include "core/pickertext.h"
#include "status/modeltable.h"
#include "status/numberformat.h"

#include <cmath>

using namespace NumberFormat;

namespace {

class StatusDecode {
public:
    StatusDecode(const QString& line, AppState& state, const QDateTime& now)
        : m_state(state), m_now(now), m_line(line) {}
    UiChanges run();

private:
    // Fields are taken by 1-based position and width alone; past the end of a
    // short line a field reads as empty (or as what is left of it).
    QString field(int position, int width) const { return m_line.mid(position - 1, width); }
    QString time(int minutePosition) const {
        return pumpTime(field(minutePosition + 3, 2), field(minutePosition, 2));
    }
    std::optional<QString> date(int dayPosition) const {
        return pumpDate(field(dayPosition, 2), field(dayPosition + 3, 2),
                        field(dayPosition + 6, 2));
    }
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
    void breakPair(int startMinute, int stopMinute, const char* startPicker, const char* stopPicker,
                   const char* label, const char* caption, const char* notActivated);
    void runState();

    AppState& m_state;
    const QDateTime m_now;
    const QString& m_line;
    UiChanges m_c;
};

UiChanges StatusDecode::run() {
    runTimes();                                    // 1, 2
    pressures();                                   // 3, 4
    flowsAndVolumes();                             // 5, 6
    ModelTable::apply(m_state, field(72, 2), m_c); // 7
    pumpClock();                                   // 8
    // 9
    text(QStringLiteral("Label3_12"), QLatin1String("Sample Run Time:") + field(90, 3) +
                                          QLatin1String("h ") + field(94, 2) + QLatin1String("m"));
    batteryAndTemperature(); // 10, 11
    logs();                  // 12, 13
    calibration();           // 14, 15
    identity();              // 16 to 21
    programmedTimes();       // 22 to 26
    runState();              // 27
    return m_c;
}

void StatusDecode::runTimes() {
    text(QStringLiteral("Label3_27"), QLatin1String("Total hours on Circuit Board: ") +
                                          field(5, 4) + QLatin1String("h ") + field(10, 2) +
                                          QLatin1String("m"));
    text(QStringLiteral("Label3_2"), QLatin1String("Total hours on Motor: ") + field(13, 4) +
                                         QLatin1String("h ") + field(18, 2) + QLatin1String("m"));
}

void StatusDecode::pressures() {
    const QString bp = field(21, 5);
    const QString dp = field(27, 5);
    if (metric()) {
        textIf(QStringLiteral("Label3_3"),
               join("Current BP: ", barometricMillimetres(bp), " mm of Mercury"));
        textIf(QStringLiteral("Label3_4"),
               join("Current DP:  ", differentialMillimetres(dp), " mm of Water"));
    } else {
        text(QStringLiteral("Label3_3"),
             QLatin1String("Current BP: ") + bp + QLatin1String(" Inches of Mercury"));
        text(QStringLiteral("Label3_4"),
             QLatin1String("Current DP: ") + dp + QLatin1String(" Inches of Water"));
    }
}

void StatusDecode::flowsAndVolumes() {
    textIf(QStringLiteral("Label3_5"), join("Current Flow Setting: ", flowText(field(34, 6)), ""));
    textIf(QStringLiteral("Label3_6"), join("Volumetric Flow: ", flowText(field(40, 6)), ""));
    textIf(QStringLiteral("Label3_7"), join("S.T.P. Flow: ", flowText(field(47, 6)), ""));
    text(QStringLiteral("Label3_9"),
         QLatin1String("S.T.P. Cumulative Volume: ") + field(63, 8) + QLatin1String(" L"));
    text(QStringLiteral("Label3_8"),
         QLatin1String("Cumulative Volume: ") + field(54, 8) + QLatin1String(" L"));
}

void StatusDecode::pumpClock() {
    const auto clockDate = date(81);
    const QString clockTime = time(75);
    picker("fpDateTime3", clockDate, clockTime);
    picker("fpDateTime4_0", clockDate, clockTime);
    const QString pcDate = PickerText::pcDate(m_now.date());
    const QString pcTime = PickerText::pcTime(m_now.time());
    picker("fpDateTime4_1", pcDate, pcTime);
    picker("fpDateTime4_2", pcDate, pcTime);
}

void StatusDecode::batteryAndTemperature() {
    const QString battery =
        QLatin1String("Battery Capacity: ") + wholeNumberField(field(97, 3)) + QLatin1String("%");
    text(QStringLiteral("Label3_13"), battery);
    text(QStringLiteral("Label3_1"), battery);

    const QString temp = field(101, 3);
    const auto caption = metric()
                             ? join("Current Temp: ", celsiusText(temp), "C")
                             : std::optional<QString>(QLatin1String("Current Temp: ") +
                                                      wholeNumberField(temp) + QLatin1String("F"));
    textIf(QStringLiteral("Label3_14"), caption);
    textIf(QStringLiteral("Label3_26"), caption);
}

void StatusDecode::logs() {
    const QString rate = field(105, 2);
    // The choice of wording needs the number; a rate that is not one leaves
    // both captions as they were.
    if (const auto n = parseNumber(rate)) {
        if (*n == 1) {
            text(QStringLiteral("Label1_1"),
                 QLatin1String("History Report Logging Rate: ") + rate + QLatin1String(" per/min"));
            text(QStringLiteral("Label49"),
                 QLatin1String("Logging Rate: ") + rate + QLatin1String(" per/min"));
        } else {
            text(QStringLiteral("Label1_1"), QLatin1String("History Report Logging Rate:Every ") +
                                                 rate + QLatin1String(" Minutes"));
            text(QStringLiteral("Label49"),
                 QLatin1String("Logging Rate:Every ") + rate + QLatin1String(" Minutes"));
        }
    }

    const QString count = field(113, 3);
    m_state.logCount = count;
    m_c.values.insert(QStringLiteral("logCount"), count);
    if (const auto n = parseNumber(count))
        m_state.SavedLogCount = static_cast<int>(std::round(*n));
    const QString caption = QLatin1String("Total Logs Saved are: ") + count;
    text(QStringLiteral("Label3_11"), caption);
    text(QStringLiteral("Label3_16"), caption);
    m_c.enabled.insert(QStringLiteral("CommandButton7"), true);
}

void StatusDecode::calibration() {
    const auto flow = join("Last Calibration Flow Rate was: ", flowText(field(155, 6)), "");
    textIf(QStringLiteral("Label16"), flow);
    textIf(QStringLiteral("Label_califlow"), flow);

    const auto calDate = date(146);
    const QString calTime = time(140);
    picker("cali_Time_box", calDate, calTime);
    picker("fpDateTime5", calDate, calTime);
}

void StatusDecode::identity() {
    const QString serial = field(117, 8);
    m_state.serialNumber = serial;
    m_state.LastSerialNumber = serial;
    m_c.values.insert(QStringLiteral("serialNumber"), serial);
    m_c.values.insert(QStringLiteral("LastSerialNumber"), serial);
    text(QStringLiteral("Label39"), QLatin1String("Current Pump :") + serial);
    const QString caption = QLatin1String("Serial Number: ") + serial;
    for (const char* name : {"Label3_19", "Label3_24", "Label3_21", "Label3_0", "Label3_30"})
        text(QLatin1String(name), caption);
    for (const char* name : {"Label3_21", "Label3_0", "Label3_24", "Label3_30"})
        visible(name, true);

    for (const char* name : {"Frame7", "frmTimingR_1", "Frame3", "Frame_STPVOL"})
        visible(name, true);

    const QString firmware = QLatin1String("Pump Firmware Version is ") + field(108, 4);
    text(QStringLiteral("Label3_15"), firmware);
    text(QStringLiteral("Label3_23"), firmware);

    text(QStringLiteral("Label_battlife"), QLatin1String("Current Battery Time Left: ") +
                                               field(126, 2) + QLatin1String("h ") + field(129, 2) +
                                               QLatin1String("m"));

    const QString avg = field(132, 3);
    textIf(QStringLiteral("Label3_18"),
           metric() ? join("Avg Temp: ", celsiusText(avg), "C")
                    : std::optional<QString>(QLatin1String("Avg Temp: ") + wholeNumberField(avg) +
                                             QLatin1String("F")));
    if (const auto n = parseNumber(avg); n && *n == 255)
        text(QStringLiteral("Label3_18"), QStringLiteral("Avg Temp:n/a "));

    text(QStringLiteral("Label3_28"), QLatin1String("Log Capacity Used: ") +
                                          wholeNumberField(field(136, 3)) + QLatin1String("%"));
}

void StatusDecode::programmedTimes() {
    // A start or stop whose time reads 55:55 is not activated.
    struct Run {
        int minute;
        const char* picker;
        const char* label;
        const char* on;
        const char* off;
    };
    const Run runs[] = {
        {162, "fpDateTimeRunstart", "Label7", "Current Start Time ",
         "Current Start Time      not activated"},
        {177, "fpDateTimeRunstop", "Label8", "Current Stop Time",
         "Current Stop Time      not activated"},
    };
    for (const Run& r : runs) {
        const QString t = time(r.minute);
        if (t == QLatin1String("55:55")) {
            picker(r.picker, QStringLiteral("20030101"), QStringLiteral("00:00"));
            text(QLatin1String(r.label), QLatin1String(r.off));
            visible(r.picker, false);
        } else {
            picker(r.picker, date(r.minute + 6), t);
            text(QLatin1String(r.label), QLatin1String(r.on));
            visible(r.picker, true);
        }
    }
    // The line holds first break, second break, lunch; they are shown in the
    // order first break, lunch, second break.
    breakPair(192, 198, "DBREAK1START", "DBREAK1STOP", "Label3_32", "Break1 Start/Stop",
              "Break1 Start/Stop       not activated");
    breakPair(216, 222, "DLUNCHSTART", "DLUNCHSTOP", "Label3_33", "Lunch Start/Stop",
              "Lunch Start/Stop         not activated");
    breakPair(204, 210, "DBREAK2START", "DBREAK2STOP", "Label3_34", "Break2 Start/Stop",
              "Break2 Start/Stop       not activated");
}

void StatusDecode::breakPair(int startMinute, int stopMinute, const char* startPicker,
                             const char* stopPicker, const char* label, const char* caption,
                             const char* notActivated) {
    // Only the start time of a pair says whether the break is in use.
    const QString start = time(startMinute);
    if (start == QLatin1String("55:55")) {
        const QString cleared = QStringLiteral("12:00:00.00");
        m_c.time.insert(QLatin1String(startPicker), cleared);
        m_c.time.insert(QLatin1String(stopPicker), cleared);
        text(QLatin1String(label), QLatin1String(notActivated));
        visible(stopPicker, false);
        visible(startPicker, false);
    } else {
        m_c.time.insert(QLatin1String(startPicker), start);
        m_c.time.insert(QLatin1String(stopPicker), time(stopMinute));
        text(QLatin1String(label), QLatin1String(caption));
        visible(startPicker, true);
        visible(stopPicker, true);
    }
}

void StatusDecode::runState() {
    const auto code = parseNumber(field(228, 4));
    if (!code)
        return;
    // A 16-bit whole number, rounded with ties to even as the pump program reads it.
    const double n = std::nearbyint(*code);
    if (n < -32768 || n > 32767)
        return;
    const bool running = n > 400;
    for (const char* name : {"Frame2", "Frame_RUNUP", "Frame_Rundown"})
        visible(name, running);
    visible("Label27", !running);
    m_c.enabled.insert(QStringLiteral("CommandButton4"), !running);
    m_c.tooltip.insert(QStringLiteral("CommandButton4"),
                       running ? QStringLiteral("Pump cann't be in RUN Mode")
                               : QStringLiteral("Clear all data in pump"));
}

} // namespace

UiChanges decodeStatusReport(const QString& line, AppState& state, const QDateTime& now) {
    return StatusDecode(line, state, now).run();
}
