// What the setup and program pages hold, as plain values: the pages hand
// them out, the settings save stores them, and the sequence builders turn
// them into the commands for the pump. Texts are kept exactly as the boxes
// and pickers show them, because the pump is sent the box's text unchanged.
#pragma once

#include <QString>

// The "Setup Pump" page.
struct SetupValues {
    bool volumetric = false;   // Option17 "Volumetric Flow" selected; otherwise S.T.P.
    bool password = false;     // Option8 "On"
    bool flowFault = false;    // Option11 "Activated"
    bool startScreens = false; // Option12 "On"
    bool timing = false;       // check_trflag "Timing Rountines Activated" ticked
    bool startStop = false;    // Opstart "Start/Stop" selected; otherwise Duration
    bool metric = true;        // Option14 "Metric" selected; otherwise English (Option15)
    QString logRate;           // txtLogRate, as typed
};

// One pause of the run program: its check box and its two time pickers.
struct PauseValues {
    bool ticked = false;
    QString start = QStringLiteral("12:00:00.00"); // HH:MM:SS.hh
    QString stop = QStringLiteral("12:00:00.00");
};

// The "Program Pump" page.
struct ProgramValues {
    QString targetFlow; // Txt_target_flow, as typed
    // INP_STRT_Dttm and fpDateTime1: date "YYYYMMDD", time "HH:MM:SS.hh".
    QString startDate;
    QString startTime;
    QString stopDate;
    QString stopTime;
    PauseValues break1;   // Check1, fpDateBREAK1START, fpDateTimeBREAK1STOP
    PauseValues lunch;    // Check2, fpDateTime9, fpDateTime10
    PauseValues break2;   // Check3, fpDateTime7, fpDateTime8
    QString durationText; // txt_duration as shown, hh:mm
};
