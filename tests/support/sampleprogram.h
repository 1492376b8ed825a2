// The run the program-page tests send: Start/Stop over a night, Break1 on,
// Lunch off (its start the "not set" marker time), Break2 off with times kept.
#pragma once

#include "core/pagevalues.h"

inline ProgramValues sampleProgram() {
    ProgramValues v;
    v.targetFlow = "2000";
    v.startDate = "20260131";
    v.startTime = "08:30:00.00";
    v.stopDate = "20260201";
    v.stopTime = "14:45:00.00";
    v.break1 = {true, "10:00:00.00", "10:15:00.00"};
    v.lunch = {false, "12:00:00.00", "12:30:00.00"};
    v.break2 = {false, "14:00:00.00", "14:15:00.00"};
    v.durationText = "08:00";
    return v;
}
