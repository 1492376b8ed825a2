#include "status/setupdecoder.h"

#include "status/numberformat.h"

namespace {

const QString kBlue = QStringLiteral("#0000c0");
const QString kGreen = QStringLiteral("#008000");

// One report line read flag by flag. The pump program compares each flag
// character with a number, so a character that is not a digit (a blank, a
// letter, or nothing past the end of the line) stops the decode of the line
// at that step; what was done before it stands.
class FlagLine {
public:
    explicit FlagLine(const QString& line) : m_line(line) {}

    QString at(int position) const { return m_line.mid(position - 1, 1); }
    QString field(int position, int width) const { return m_line.mid(position - 1, width); }
    // The flag's digit, or -1 when it is not a digit.
    static int digit(const QString& flag) {
        if (flag.size() != 1 || flag[0] < QLatin1Char('0') || flag[0] > QLatin1Char('9'))
            return -1;
        return flag[0].digitValue();
    }

private:
    QString m_line;
};

struct Writer {
    UiChanges c;
    void text(const char* name, const QString& caption) {
        c.text.insert(QLatin1String(name), caption);
    }
    void flag(const char* name, QString& target, const QString& value) {
        target = value;
        c.values.insert(QLatin1String(name), value);
    }
};

QString flowFaultCaption(int d) {
    return d == 1 ? QStringLiteral("Flow Fault is: Activated       ")
                  : QStringLiteral("Flow Fault is: Deactivated");
}
QString passwordCaption(int d) {
    return d == 1 ? QStringLiteral("Password is: On") : QStringLiteral("Password is: Off");
}
QString startScreensCaption(int d) {
    return d == 1 ? QStringLiteral("Startup Display Screens Are: On")
                  : QStringLiteral("Startup Display Screens Are: Off");
}
QString flowModeCaption(int d) {
    return d == 0 ? QStringLiteral("Flow Mode is: Volumetric")
                  : QStringLiteral("Flow Mode is: S.T.P.     ");
}

void decodeSetup(const QString& text, AppState& state, Writer& w) {
    const FlagLine line(text);

    // Timing routines.
    w.flag("TimingFlag", state.TimingFlag, line.at(5));
    const int timing = FlagLine::digit(state.TimingFlag);
    if (timing < 0)
        return;
    if (timing == 1) {
        w.text("Label1_6", QStringLiteral("Timing Routines are: Activated    "));
        w.c.visible.insert(QStringLiteral("Label_COUNTDOWNFLAG"), true);
        w.text("Label47", QStringLiteral("Timing Routines are: Activated"));
        w.c.visible.insert(QStringLiteral("Label15"), true);
    } else {
        w.text("Label1_6", QStringLiteral("Timing Routines are: Deactivated"));
        w.c.visible.insert(QStringLiteral("Label_COUNTDOWNFLAG"), false);
        w.text("Label47", QStringLiteral("Timing Routines are: Deactivated"));
        w.c.visible.insert(QStringLiteral("Label15"), false);
        w.text("Label15", QStringLiteral(" N/A"));
    }

    // Units: UnitsFlag holds a number, so a character that is not a digit
    // cannot be stored and the decode stops before it.
    const QString unitsChar = line.at(7);
    const int units = FlagLine::digit(unitsChar);
    if (units < 0)
        return;
    state.UnitsFlag = units;
    w.c.values.insert(QStringLiteral("UnitsFlag"), unitsChar);
    const QString unitsCaption = units == 0 ? QStringLiteral("Unit Of Measurement: English")
                                            : QStringLiteral("Unit Of Measurement: Metric  ");
    w.text("Label1_4", unitsCaption);
    w.text("Label48", unitsCaption);

    // Flow fault.
    w.flag("FlowFaultFlag", state.FlowFaultFlag, line.at(11));
    const int fault = FlagLine::digit(state.FlowFaultFlag);
    if (fault < 0)
        return;
    w.text("Label1_5", flowFaultCaption(fault));
    w.text("Label45", flowFaultCaption(fault));

    // Programming lock.
    const int lock = FlagLine::digit(line.at(17));
    if (lock < 0)
        return;
    w.c.enabled.insert(QStringLiteral("CommandButton29"), lock != 1);

    // Keypad password.
    w.flag("PasswordFlag", state.PasswordFlag, line.at(21));
    const int password = FlagLine::digit(state.PasswordFlag);
    if (password < 0)
        return;
    w.text("Label1_3", passwordCaption(password));
    w.text("Label44", passwordCaption(password));

    // Timing mode: the character is kept, but only looked at while the
    // timing routines are active.
    w.flag("DurationModeFlag", state.DurationModeFlag, line.at(23));
    if (timing == 1) {
        const int mode = FlagLine::digit(state.DurationModeFlag);
        if (mode < 0)
            return;
        if (mode == 1) {
            w.text("Label_COUNTDOWNFLAG", QStringLiteral("Duration"));
            w.text("Label15", QStringLiteral("Duration"));
            for (const char* name :
                 {"fpDateTime1", "fpDateBREAK1START", "fpDateTimeBREAK1STOP", "fpDateTime7",
                  "fpDateTime8", "fpDateTime9", "fpDateTime10", "INP_STRT_Dttm"})
                w.c.enabled.insert(QLatin1String(name), false);
        } else {
            w.text("Label_COUNTDOWNFLAG", QStringLiteral("Start/Stop"));
            w.text("Label15", QStringLiteral("Start/Stop"));
            w.c.enabled.insert(QStringLiteral("INP_STRT_Dttm"), true);
            w.c.enabled.insert(QStringLiteral("fpDateTime1"), true);
        }
    }

    // Start-up display screens.
    w.flag("StartScreensFlag", state.StartScreensFlag, line.at(25));
    const int screens = FlagLine::digit(state.StartScreensFlag);
    if (screens < 0)
        return;
    w.text("Label1_2", startScreensCaption(screens));
    w.text("Label46", startScreensCaption(screens));

    // Flow control: the caption of the flow being controlled is shown in blue.
    const int flowMode = FlagLine::digit(line.at(29));
    if (flowMode < 0)
        return;
    w.text("Label3_17", flowModeCaption(flowMode));
    w.text("Label43", flowModeCaption(flowMode));
    const bool volumetric = flowMode == 0;
    w.c.color.insert(QStringLiteral("Label3_6"), volumetric ? kBlue : kGreen);
    w.c.color.insert(QStringLiteral("Label3_7"), volumetric ? kGreen : kBlue);
}

void decodePumpState(const QString& text, AppState& state, Writer& w) {
    const FlagLine line(text);
    using NumberFormat::pumpDate;
    using NumberFormat::pumpTime;

    w.flag("currentFlowSetting", state.currentFlowSetting, line.field(33, 6));

    w.flag("runStartTime", state.runStartTime, pumpTime(line.field(43, 2), line.field(40, 2)));
    const auto startDate = pumpDate(line.field(46, 2), line.field(49, 2), line.field(52, 2));
    if (!startDate)
        return;
    w.flag("runStartDate", state.runStartDate, *startDate);
    for (const char* name : {"fpDateTime5", "fpDateTimeRunstart"}) {
        w.c.date.insert(QLatin1String(name), state.runStartDate);
        w.c.time.insert(QLatin1String(name), state.runStartTime);
    }

    w.flag("runStopTime", state.runStopTime, pumpTime(line.field(58, 2), line.field(55, 2)));
    const auto stopDate = pumpDate(line.field(61, 2), line.field(64, 2), line.field(67, 2));
    if (!stopDate)
        return;
    w.flag("runStopDate", state.runStopDate, *stopDate);

    w.flag("FlowFaultFlag", state.FlowFaultFlag, line.at(9));
    const int fault = FlagLine::digit(state.FlowFaultFlag);
    if (fault < 0)
        return;
    w.text("Label45", flowFaultCaption(fault));

    w.flag("PasswordFlag", state.PasswordFlag, line.at(7));
    const int password = FlagLine::digit(state.PasswordFlag);
    if (password < 0)
        return;
    w.text("Label44", passwordCaption(password));

    w.flag("StartScreensFlag", state.StartScreensFlag, line.at(79));
    const int screens = FlagLine::digit(state.StartScreensFlag);
    if (screens < 0)
        return;
    w.text("Label46", startScreensCaption(screens));

    // Only the "Setup Pump" caption; the flow captions keep their colours.
    const int flowMode = FlagLine::digit(line.at(81));
    if (flowMode < 0)
        return;
    w.text("Label43", flowModeCaption(flowMode));

    w.flag("runDuration", state.runDuration,
           line.field(70, 3) + QLatin1Char(':') + line.field(74, 2));
}

} // namespace

UiChanges decodeSetupReport(const QString& line, AppState& state) {
    Writer w;
    decodeSetup(line, state, w);
    return w.c;
}

UiChanges pumpStatSub(const QString& line, AppState& state) {
    Writer w;
    decodePumpState(line, state, w);
    return w.c;
}
