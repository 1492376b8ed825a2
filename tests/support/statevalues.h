// The shared values the editor and the pump's setup decoders write, by the
// names a change list gives them, so a test compares them all at once.
#pragma once

#include "core/appstate.h"

#include <QMap>

inline QMap<QString, QString> stateValues(const AppState& s) {
    return {{"TimingFlag", s.TimingFlag},
            {"DurationModeFlag", s.DurationModeFlag},
            {"FlowFaultFlag", s.FlowFaultFlag},
            {"PasswordFlag", s.PasswordFlag},
            {"StartScreensFlag", s.StartScreensFlag},
            {"UnitsFlag", QString::number(s.UnitsFlag)},
            {"currentFlowSetting", s.currentFlowSetting},
            {"runStartDate", s.runStartDate},
            {"runStartTime", s.runStartTime},
            {"runStopDate", s.runStopDate},
            {"runStopTime", s.runStopTime},
            {"runDuration", s.runDuration}};
}
