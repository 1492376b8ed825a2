#include "status/setupdecoder.h"

namespace {

const QString kBlue = QStringLiteral("#0000c0");
const QString kGreen = QStringLiteral("#008000");

// The pump program compares each flag character with a number, so a
// character that is not a digit (a blank, a letter, or nothing past the end
// of the line) stops the decode of the line at that step; what was done
// before it stands. Which digit shows which choice is the switch table's
// (switchShows).
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

QString flowFaultCaption(bool on) {
    return on ? QStringLiteral("Flow Fault is: Activated       ")
              : QStringLiteral("Flow Fault is: Deactivated");
}
QString passwordCaption(bool on) {
    return on ? QStringLiteral("Password is: On") : QStringLiteral("Password is: Off");
}
QString startScreensCaption(bool on) {
    return on ? QStringLiteral("Startup Display Screens Are: On")
              : QStringLiteral("Startup Display Screens Are: Off");
}
QString flowModeCaption(bool stp) {
    return stp ? QStringLiteral("Flow Mode is: S.T.P.     ")
               : QStringLiteral("Flow Mode is: Volumetric");
}

void decodeSetup(const SetupReport& r, AppState& state, Writer& w) {
    // Timing routines.
    w.flag("TimingFlag", state.TimingFlag, r.text(SetupField::Timing));
    const auto timing = r.isOn(Switch::Timing);
    if (!timing)
        return;
    if (*timing) {
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
    const auto units = r.digit(SetupField::Units);
    if (!units)
        return;
    state.UnitsFlag = *units;
    w.c.values.insert(QStringLiteral("UnitsFlag"), r.text(SetupField::Units));
    const QString unitsCaption = r.isOn(Switch::Units).value()
                                     ? QStringLiteral("Unit Of Measurement: English")
                                     : QStringLiteral("Unit Of Measurement: Metric  ");
    w.text("Label1_4", unitsCaption);
    w.text("Label48", unitsCaption);

    // Flow fault.
    w.flag("FlowFaultFlag", state.FlowFaultFlag, r.text(SetupField::FlowFault));
    const auto fault = r.isOn(Switch::FlowFault);
    if (!fault)
        return;
    w.text("Label1_5", flowFaultCaption(*fault));
    w.text("Label45", flowFaultCaption(*fault));

    // Programming lock.
    const auto lock = r.digit(SetupField::ProgramLock);
    if (!lock)
        return;
    w.c.enabled.insert(QStringLiteral("CommandButton29"), *lock != 1);

    // Keypad password.
    w.flag("PasswordFlag", state.PasswordFlag, r.text(SetupField::Password));
    const auto password = r.isOn(Switch::Password);
    if (!password)
        return;
    w.text("Label1_3", passwordCaption(*password));
    w.text("Label44", passwordCaption(*password));

    // Timing mode: the character is kept, but only looked at while the
    // timing routines are active.
    w.flag("DurationModeFlag", state.DurationModeFlag, r.text(SetupField::TimingMode));
    if (*timing) {
        const auto duration = r.isOn(Switch::TimingMode);
        if (!duration)
            return;
        if (*duration) {
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
    w.flag("StartScreensFlag", state.StartScreensFlag, r.text(SetupField::StartScreens));
    const auto screens = r.isOn(Switch::StartScreens);
    if (!screens)
        return;
    w.text("Label1_2", startScreensCaption(*screens));
    w.text("Label46", startScreensCaption(*screens));

    // Flow control: the caption of the flow being controlled is shown in blue.
    const auto stp = r.isOn(Switch::FlowMode);
    if (!stp)
        return;
    w.text("Label3_17", flowModeCaption(*stp));
    w.text("Label43", flowModeCaption(*stp));
    const bool volumetric = !*stp;
    w.c.color.insert(QStringLiteral("Label3_6"), volumetric ? kBlue : kGreen);
    w.c.color.insert(QStringLiteral("Label3_7"), volumetric ? kGreen : kBlue);
}

void decodePumpState(const PumpStateReport& r, AppState& state, Writer& w) {
    w.flag("currentFlowSetting", state.currentFlowSetting, r.text(PumpStateField::FlowSetting));

    w.flag("runStartTime", state.runStartTime, r.timeText(PumpStateTime::RunStart));
    const auto startDate = r.dateText(PumpStateTime::RunStart);
    if (!startDate)
        return;
    w.flag("runStartDate", state.runStartDate, *startDate);
    for (const char* name : {"fpDateTime5", "fpDateTimeRunstart"}) {
        w.c.date.insert(QLatin1String(name), state.runStartDate);
        w.c.time.insert(QLatin1String(name), state.runStartTime);
    }

    w.flag("runStopTime", state.runStopTime, r.timeText(PumpStateTime::RunStop));
    const auto stopDate = r.dateText(PumpStateTime::RunStop);
    if (!stopDate)
        return;
    w.flag("runStopDate", state.runStopDate, *stopDate);

    w.flag("FlowFaultFlag", state.FlowFaultFlag, r.text(PumpStateField::FlowFault));
    const auto fault = switchShows(Switch::FlowFault, state.FlowFaultFlag);
    if (!fault)
        return;
    w.text("Label45", flowFaultCaption(*fault));

    w.flag("PasswordFlag", state.PasswordFlag, r.text(PumpStateField::Password));
    const auto password = switchShows(Switch::Password, state.PasswordFlag);
    if (!password)
        return;
    w.text("Label44", passwordCaption(*password));

    w.flag("StartScreensFlag", state.StartScreensFlag, r.text(PumpStateField::StartScreens));
    const auto screens = switchShows(Switch::StartScreens, state.StartScreensFlag);
    if (!screens)
        return;
    w.text("Label46", startScreensCaption(*screens));

    // Only the "Setup Pump" caption; the flow captions keep their colours.
    const auto stp = switchShows(Switch::FlowMode, r.text(PumpStateField::FlowControl));
    if (!stp)
        return;
    w.text("Label43", flowModeCaption(*stp));

    w.flag("runDuration", state.runDuration, r.durationText());
}

} // namespace

namespace Decode {

UiChanges setupReport(const SetupReport& report, AppState& state) {
    Writer w;
    decodeSetup(report, state, w);
    return w.c;
}

UiChanges pumpStateReport(const PumpStateReport& report, AppState& state) {
    Writer w;
    decodePumpState(report, state, w);
    return w.c;
}

} // namespace Decode
