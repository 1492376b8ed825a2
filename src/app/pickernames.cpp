#include "app/pickernames.h"

#include "app/datetimepicker.h"

#include <QWidget>

namespace PickerNames {

void apply(QWidget* window) {
    static const struct {
        const char* picker;
        const char* name;
    } names[] = {
        // "Setup Pump"
        {"fpDateTime4_0", "Pump time"},
        {"fpDateTime4_1", "PC time (Setup Pump)"},
        {"fpDateTime2_0", "Time to send to the pump"},
        // "Run Mode"
        {"fpDateTime5", "Current setup status time"},
        {"fpDateTime3", "Pump clock"},
        {"fpDateTimeRunstart", "Current run start"},
        {"fpDateTimeRunstop", "Current run stop"},
        {"DBREAK1START", "Current break 1 start"},
        {"DBREAK1STOP", "Current break 1 end"},
        {"DLUNCHSTART", "Current lunch start"},
        {"DLUNCHSTOP", "Current lunch end"},
        {"DBREAK2START", "Current break 2 start"},
        {"DBREAK2STOP", "Current break 2 end"},
        // "Program Pump"
        {"cali_Time_box", "Last calibration"},
        {"INP_STRT_Dttm", "Run start"},
        {"fpDateTime1", "Run stop"},
        {"fpDateBREAK1START", "Break 1 start"},
        {"fpDateTimeBREAK1STOP", "Break 1 end"},
        {"fpDateTime9", "Lunch start"},
        {"fpDateTime10", "Lunch end"},
        {"fpDateTime7", "Break 2 start"},
        {"fpDateTime8", "Break 2 end"},
        {"fpDateTime4_2", "PC time (Program Pump)"},
    };
    for (const auto& n : names)
        if (auto* p = window->findChild<DateTimePicker*>(QLatin1String(n.picker)))
            p->setAccessibleName(QString::fromLatin1(n.name));
}

} // namespace PickerNames
