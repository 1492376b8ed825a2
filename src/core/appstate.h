// The values the window's handlers share, owned by the application and handed
// by reference to whoever needs them (window, command-line tools, tests).
#pragma once

#include <QString>

struct AppState {
    // Reply assembly: the log capture position.
    bool CaptureMode = false;
    int CaptureCount = 1;

    // Serial port chosen last, 1 to 4; 0 means none chosen yet.
    int SelectedPort = 0;

    // Missing-pump check of the poll cycle: emptied by it, set by each status report.
    QString LastSerialNumber;

    // From the last status report.
    QString serialNumber;
    QString logCount; // three characters as sent
    int SavedLogCount = 0;

    // Mirrors of the pump's setup; flags keep the one character the pump sent.
    int UnitsFlag = 0; // 0 English units, anything else metric
    QString TimingFlag;
    QString DurationModeFlag;
    QString FlowFaultFlag;
    QString PasswordFlag;
    QString StartScreensFlag;

    // From the last pump-state line ("P01"): target flow as sent, programmed
    // start and stop (date "YYYYMMDD", time "HH:MM") and duration "hhh:mm".
    QString currentFlowSetting;
    QString runStartDate;
    QString runStartTime;
    QString runStopDate;
    QString runStopTime;
    QString runDuration;

    // Folder of the program + firmware file name of the attached model.
    QString FirmwareFile;
    // Folder the firmware file names are joined to (the program's folder).
    QString ProgramFolder;

    // Model caption last written to Label3_10 (copied to the other model labels).
    QString ModelCaption = QStringLiteral("No Pump Currently Attached");
    // Bounds of the target-flow spinner UpDown1.
    int FlowMin = 800;
    int FlowMax = 5000;

    // Folder of the log file saved or opened last: the file dialogs start
    // there. Kept in the per-user store beside the window placement.
    QString LogFolder;
};
