#include "protocol/pollcycle.h"

#include "core/controlnames.h"
#include "protocol/commands.h"

#include <initializer_list>

namespace {

UiChanges indicators(const QString& caption) {
    UiChanges c;
    for (const char* name : {Control::kRunModeUpdating, Control::kProgramUpdating,
                             Control::kSetupUpdating, Control::kLogsUpdating})
        c.text.insert(QLatin1String(name), caption);
    return c;
}

// A poll's steps: no hourglass beyond the write's own, Timer1 left as it is.
Sequence poll(const UiChanges& before) {
    Sequence s;
    s.name = QStringLiteral("Poll");
    s.holdsPolling = false;
    s.busyCursor = false;
    s << Step::change(before) << Step::write(Commands::statusRequest());
    return s;
}

} // namespace

Sequence PollCycle::tick() {
    Sequence step = poll(indicators(kUpdatingDisplay));
    if (m_boxOpen)
        return step; // the indicators keep their caption until the box closes

    int& count = m_ticks;
    if (count == kClearAt)
        m_state.LastSerialNumber.clear();
    if (count > kCheckAbove) {
        if (m_state.LastSerialNumber.isEmpty()) {
            // The indicators keep their caption until the box is closed.
            m_boxOpen = true;
            return step << Step::owner(Step::Kind::OpenBox, 0, kNoPumpFound);
        }
        // A report came in: start the next cycle so the pump keeps being
        // watched and an unplugged one is noticed.
        count = 0;
    } else {
        ++count;
    }
    return step << Step::change(indicators(QString()));
}

UiChanges PollCycle::noPumpBoxClosed() {
    if (!m_boxOpen)
        return {};
    m_boxOpen = false;
    m_ticks = 0;
    UiChanges c = showNoPump(m_state);
    c.merge(indicators(QString()));
    return c;
}

UiChanges PollCycle::pumpReturned() {
    if (!m_boxOpen)
        return {};
    m_boxOpen = false;
    m_ticks = 0;
    return indicators(QString());
}

Sequence PollCycle::refreshDisplay(bool timerRunning) {
    Sequence step = requestStatus();
    if (!timerRunning)
        step.steps.prepend(Step::owner(Step::Kind::PollingOn));
    return step;
}

Sequence PollCycle::refreshPumpData() {
    return requestStatus();
}

Sequence requestStatus() {
    UiChanges before, after;
    before.text.insert(Control::kRunModeUpdating, kUpdatingDisplay);
    after.text.insert(Control::kRunModeUpdating, QString());
    return poll(before) << Step::change(after);
}

UiChanges showNoPump(AppState& state) {
    UiChanges c;
    for (const char* name :
         {Control::kRunModeSerial, Control::kCommunicationSerial, Control::kTimingValuesFrame,
          Control::kSetupStatusFrame, Control::kStpConditionsFrame, Control::kFlowModeFrame,
          Control::kPressureBatteryFrame, Control::kSamplingDataFrame})
        c.visible.insert(QLatin1String(name), false);
    state.ModelCaption = kNoPumpAttached;
    for (const char* name : {Control::kSetupModel, Control::kLogsModel, Control::kRunModeModel,
                             Control::kProgramModel})
        c.text.insert(QLatin1String(name), state.ModelCaption);
    return c;
}

void clearPumpStatus(AppState& state) {
    // The status decoder works from each line afresh; the serial number is
    // the one value of the last report it leaves in the shared state.
    state.serialNumber.clear();
}
