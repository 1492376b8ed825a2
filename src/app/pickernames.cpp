#include "app/pickernames.h"

#include "app/datetimepicker.h"
#include "core/controlnames.h"

#include <QWidget>

namespace PickerNames {

void apply(const std::function<QWidget*(const char* name)>& control) {
    static const struct {
        const char* picker;
        const char* name;
    } names[] = {
        // "Setup Pump"
        {Control::kSetupPumpTime, "Pump time"},
        {Control::kSetupPcTime, "PC time (Setup Pump)"},
        {Control::kTimeToSend, "Time to send to the pump"},
        // "Run Mode"
        {Control::kRunModeCalibrationTime, "Current setup status time"},
        {Control::kRunModePumpTime, "Pump clock"},
        {Control::kRunStartPicker, "Current run start"},
        {Control::kRunStopPicker, "Current run stop"},
        {Control::kBreak1StartShown, "Current break 1 start"},
        {Control::kBreak1StopShown, "Current break 1 end"},
        {Control::kLunchStartShown, "Current lunch start"},
        {Control::kLunchStopShown, "Current lunch end"},
        {Control::kBreak2StartShown, "Current break 2 start"},
        {Control::kBreak2StopShown, "Current break 2 end"},
        // "Program Pump"
        {Control::kProgramCalibrationTime, "Last calibration"},
        {Control::kRunStartBox, "Run start"},
        {Control::kRunStopBox, "Run stop"},
        {Control::kBreak1StartBox, "Break 1 start"},
        {Control::kBreak1StopBox, "Break 1 end"},
        {Control::kLunchStartBox, "Lunch start"},
        {Control::kLunchStopBox, "Lunch end"},
        {Control::kBreak2StartBox, "Break 2 start"},
        {Control::kBreak2StopBox, "Break 2 end"},
        {Control::kProgramPcTime, "PC time (Program Pump)"},
    };
    for (const auto& n : names)
        if (auto* p = qobject_cast<DateTimePicker*>(control(n.picker)))
            p->setAccessibleName(QString::fromLatin1(n.name));
}

} // namespace PickerNames
