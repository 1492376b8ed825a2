#include "status/setupdecoder.h"

#include "core/controlnames.h"

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
        w.text(Control::kRunModeTiming, QStringLiteral("Timing Routines are: Activated    "));
        w.c.visible.insert(Control::kRunModeTimingMode, true);
        w.text(Control::kSetupTiming, QStringLiteral("Timing Routines are: Activated"));
        w.c.visible.insert(Control::kSetupTimingMode, true);
    } else {
        w.text(Control::kRunModeTiming, QStringLiteral("Timing Routines are: Deactivated"));
        w.c.visible.insert(Control::kRunModeTimingMode, false);
        w.text(Control::kSetupTiming, QStringLiteral("Timing Routines are: Deactivated"));
        w.c.visible.insert(Control::kSetupTimingMode, false);
        w.text(Control::kSetupTimingMode, QStringLiteral(" N/A"));
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
    w.text(Control::kRunModeUnits, unitsCaption);
    w.text(Control::kSetupUnits, unitsCaption);

    // Flow fault.
    w.flag("FlowFaultFlag", state.FlowFaultFlag, r.text(SetupField::FlowFault));
    const auto fault = r.isOn(Switch::FlowFault);
    if (!fault)
        return;
    w.text(Control::kRunModeFlowFault, flowFaultCaption(*fault));
    w.text(Control::kSetupFlowFault, flowFaultCaption(*fault));

    // Programming lock.
    const auto lock = r.digit(SetupField::ProgramLock);
    if (!lock)
        return;
    w.c.facts.programmingLocked = *lock == 1;

    // Keypad password.
    w.flag("PasswordFlag", state.PasswordFlag, r.text(SetupField::Password));
    const auto password = r.isOn(Switch::Password);
    if (!password)
        return;
    w.text(Control::kRunModePassword, passwordCaption(*password));
    w.text(Control::kSetupPassword, passwordCaption(*password));

    // Timing mode: the character is kept, but only looked at while the
    // timing routines are active.
    w.flag("DurationModeFlag", state.DurationModeFlag, r.text(SetupField::TimingMode));
    if (*timing) {
        const auto duration = r.isOn(Switch::TimingMode);
        if (!duration)
            return;
        if (*duration) {
            w.text(Control::kRunModeTimingMode, QStringLiteral("Duration"));
            w.text(Control::kSetupTimingMode, QStringLiteral("Duration"));
            for (const char* name :
                 {Control::kRunStopBox, Control::kBreak1StartBox, Control::kBreak1StopBox,
                  Control::kBreak2StartBox, Control::kBreak2StopBox, Control::kLunchStartBox,
                  Control::kLunchStopBox, Control::kRunStartBox})
                w.c.enabled.insert(QLatin1String(name), false);
        } else {
            w.text(Control::kRunModeTimingMode, QStringLiteral("Start/Stop"));
            w.text(Control::kSetupTimingMode, QStringLiteral("Start/Stop"));
            w.c.enabled.insert(Control::kRunStartBox, true);
            w.c.enabled.insert(Control::kRunStopBox, true);
        }
    }

    // Start-up display screens.
    w.flag("StartScreensFlag", state.StartScreensFlag, r.text(SetupField::StartScreens));
    const auto screens = r.isOn(Switch::StartScreens);
    if (!screens)
        return;
    w.text(Control::kRunModeStartScreens, startScreensCaption(*screens));
    w.text(Control::kSetupStartScreens, startScreensCaption(*screens));

    // Flow control: the caption of the flow being controlled is shown in blue.
    const auto stp = r.isOn(Switch::FlowMode);
    if (!stp)
        return;
    w.text(Control::kRunModeFlowMode, flowModeCaption(*stp));
    w.text(Control::kSetupFlowMode, flowModeCaption(*stp));
    const bool volumetric = !*stp;
    w.c.color.insert(Control::kVolumetricFlow, volumetric ? kBlue : kGreen);
    w.c.color.insert(Control::kStpFlow, volumetric ? kGreen : kBlue);
}

void decodePumpState(const PumpStateReport& r, AppState& state, Writer& w) {
    w.flag("currentFlowSetting", state.currentFlowSetting, r.text(PumpStateField::FlowSetting));

    w.flag("runStartTime", state.runStartTime, r.timeText(PumpStateTime::RunStart));
    const auto startDate = r.dateText(PumpStateTime::RunStart);
    if (!startDate)
        return;
    w.flag("runStartDate", state.runStartDate, *startDate);
    for (const char* name : {Control::kRunModeCalibrationTime, Control::kRunStartPicker}) {
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
    w.text(Control::kSetupFlowFault, flowFaultCaption(*fault));

    w.flag("PasswordFlag", state.PasswordFlag, r.text(PumpStateField::Password));
    const auto password = switchShows(Switch::Password, state.PasswordFlag);
    if (!password)
        return;
    w.text(Control::kSetupPassword, passwordCaption(*password));

    w.flag("StartScreensFlag", state.StartScreensFlag, r.text(PumpStateField::StartScreens));
    const auto screens = switchShows(Switch::StartScreens, state.StartScreensFlag);
    if (!screens)
        return;
    w.text(Control::kSetupStartScreens, startScreensCaption(*screens));

    // Only the "Setup Pump" caption; the flow captions keep their colours.
    const auto stp = switchShows(Switch::FlowMode, r.text(PumpStateField::FlowControl));
    if (!stp)
        return;
    w.text(Control::kSetupFlowMode, flowModeCaption(*stp));

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
