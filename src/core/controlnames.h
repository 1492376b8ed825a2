// The names of the window's controls that the core addresses in UiChanges
// (captions, visibility, enabling, colours, picker values, bars) and that
// the window connects to. Each value is the control's objectName, kept as
// the pump program named it so a requirement traces to its control; code
// uses the constant, so a slip is a compile error instead of a change that
// is silently skipped. kAll lists every one, from the same list: the window
// test checks each exists exactly once.
#pragma once

// X(constant, objectName), page by page.
#define CORVANE_CONTROL_NAMES(X)                                                                   \
    /* Setup Pump */                                                                               \
    X(kSetupModel, "Label3_10")                                                                    \
    X(kSetupSerial, "Label3_19")                                                                   \
    X(kSetupUpdating, "Label22")                                                                   \
    X(kFlowModeFrame, "Frame_STPVOL")                                                              \
    X(kSetupFlowMode, "Label43")                                                                   \
    X(kSetupPassword, "Label44")                                                                   \
    X(kSetupFlowFault, "Label45")                                                                  \
    X(kSetupStartScreens, "Label46")                                                               \
    X(kSetupUnits, "Label48")                                                                      \
    X(kSetupLogRate, "Label49")                                                                    \
    X(kLogRateBox, "txtLogRate")                                                                   \
    X(kPasswordOnOption, "Option8")                                                                \
    X(kPasswordOffOption, "Option9")                                                               \
    X(kFlowFaultOffOption, "Option10")                                                             \
    X(kFlowFaultOnOption, "Option11")                                                              \
    X(kStartScreensOnOption, "Option12")                                                           \
    X(kStartScreensOffOption, "Option13")                                                          \
    X(kMetricOption, "Option14")                                                                   \
    X(kEnglishOption, "Option15")                                                                  \
    X(kTimingBox, "check_trflag")                                                                  \
    X(kStartStopOption, "Opstart")                                                                 \
    X(kDurationOption, "Opduration")                                                               \
    X(kSetupTiming, "Label47")                                                                     \
    X(kSetupTimingMode, "Label15")                                                                 \
    X(kSendSetupButton, "CommandButton_systime")                                                   \
    X(kTakePumpSettingsButton, "cmdTakePumpSettings")                                              \
    X(kSetupProgressFrame, "Frame21")                                                              \
    X(kSetupProgressBar, "PBar2")                                                                  \
    X(kSetupReadBack, "lblReadBack")                                                               \
    X(kCurrentPump, "Label39")                                                                     \
    X(kSetupPumpTime, "fpDateTime4_0")                                                             \
    X(kSetupPcTime, "fpDateTime4_1")                                                               \
    X(kTimeToSend, "fpDateTime2_0")                                                                \
    X(kSendPcTimeButton, "CommandButton1")                                                         \
    X(kSendChosenTimeButton, "CommandButton3")                                                     \
    X(kClockDrift, "lblClockDrift")                                                                \
    X(kClockReadBack, "lblClockReadBack")                                                          \
    /* Run Mode */                                                                                 \
    X(kRunModeModel, "Label3_20")                                                                  \
    X(kRunModeSerial, "Label3_0")                                                                  \
    X(kRunModeUpdating, "Label6")                                                                  \
    X(kRefreshDisplayButton, "CommandButton16")                                                    \
    X(kRunTimeFrame, "Frame3")                                                                     \
    X(kBoardHours, "Label3_27")                                                                    \
    X(kMotorHours, "Label3_2")                                                                     \
    X(kPressureBatteryFrame, "Frame_Rundown")                                                      \
    X(kDifferentialPressure, "Label3_4")                                                           \
    X(kBatteryCapacity, "Label3_13")                                                               \
    X(kBatteryTimeLeft, "Label_battlife")                                                          \
    X(kStpConditionsFrame, "Frame_RUNUP")                                                          \
    X(kBarometricPressure, "Label3_3")                                                             \
    X(kStpFlow, "Label3_7")                                                                        \
    X(kStpVolume, "Label3_9")                                                                      \
    X(kTemperature, "Label3_14")                                                                   \
    X(kSetupStatusFrame, "frmTimingR_1")                                                           \
    X(kFlowSetting, "Label3_5")                                                                    \
    X(kRunModeLogRate, "Label1_1")                                                                 \
    X(kRunModeStartScreens, "Label1_2")                                                            \
    X(kRunModePassword, "Label1_3")                                                                \
    X(kRunModeUnits, "Label1_4")                                                                   \
    X(kRunModeFlowFault, "Label1_5")                                                               \
    X(kRunModeTiming, "Label1_6")                                                                  \
    X(kRunModeTimingMode, "Label_COUNTDOWNFLAG")                                                   \
    X(kRunModeFlowMode, "Label3_17")                                                               \
    X(kRunModeFirmware, "Label3_15")                                                               \
    X(kRunModeCalibrationFlow, "Label16")                                                          \
    X(kRunModeCalibrationTime, "fpDateTime5")                                                      \
    X(kTimingValuesFrame, "Frame7")                                                                \
    X(kRunModePumpTime, "fpDateTime3")                                                             \
    X(kRunStartCaption, "Label7")                                                                  \
    X(kRunStartPicker, "fpDateTimeRunstart")                                                       \
    X(kRunStopCaption, "Label8")                                                                   \
    X(kRunStopPicker, "fpDateTimeRunstop")                                                         \
    X(kBreak1Caption, "Label3_32")                                                                 \
    X(kBreak1StartShown, "DBREAK1START")                                                           \
    X(kBreak1StopShown, "DBREAK1STOP")                                                             \
    X(kLunchCaption, "Label3_33")                                                                  \
    X(kLunchStartShown, "DLUNCHSTART")                                                             \
    X(kLunchStopShown, "DLUNCHSTOP")                                                               \
    X(kBreak2Caption, "Label3_34")                                                                 \
    X(kBreak2StartShown, "DBREAK2START")                                                           \
    X(kBreak2StopShown, "DBREAK2STOP")                                                             \
    X(kSamplingDataFrame, "Frame2")                                                                \
    X(kVolumetricFlow, "Label3_6")                                                                 \
    X(kCumulativeVolume, "Label3_8")                                                               \
    X(kSampleRunTime, "Label3_12")                                                                 \
    X(kSamplingBattery, "Label3_1")                                                                \
    X(kSamplingTemperature, "Label3_26")                                                           \
    X(kAverageTemperature, "Label3_18")                                                            \
    X(kRunModeLogCount, "Label3_11")                                                               \
    X(kLogCapacityUsed, "Label3_28")                                                               \
    X(kNotRunningNote, "Label27")                                                                  \
    /* Logs */                                                                                     \
    X(kLogsModel, "Label3_25")                                                                     \
    X(kLogsSerial, "Label3_24")                                                                    \
    X(kLogsLogCount, "Label3_16")                                                                  \
    X(kLogsUpdating, "Label23")                                                                    \
    X(kDownloadFrame, "Frame6")                                                                    \
    X(kDownloadBar, "PBar1")                                                                       \
    X(kDownloadCounter, "Label3_29")                                                               \
    X(kReadLogsButton, "CommandButton7")                                                           \
    X(kSaveLogsButton, "CommandButton8")                                                           \
    X(kPrintLogsButton, "CommandButton9")                                                          \
    X(kEraseLogsInPumpButton, "CommandButton25")                                                   \
    X(kOpenLogButton, "CommandButton10")                                                           \
    X(kStopReadingButton, "StopReading")                                                           \
    /* Pump Communication */                                                                       \
    X(kRefreshPumpDataButton, "CommandButton2")                                                    \
    X(kCommunicationModel, "Label3_22")                                                            \
    X(kCommunicationSerial, "Label3_21")                                                           \
    X(kCommunicationFirmware, "Label3_23")                                                         \
    X(kFirmwareFile, "LabelH7")                                                                    \
    X(kCom1Option, "Option7_0")                                                                    \
    X(kCom2Option, "Option7_1")                                                                    \
    X(kCom3Option, "Option7_2")                                                                    \
    X(kCom4Option, "Option7_3")                                                                    \
    /* Program Pump */                                                                             \
    X(kProgramModel, "Label3_31")                                                                  \
    X(kProgramSerial, "Label3_30")                                                                 \
    X(kProgramUpdating, "Label21")                                                                 \
    X(kTargetFlowBox, "Txt_target_flow")                                                           \
    X(kTargetLitres, "Label_targetL")                                                              \
    X(kFlowRange, "Label_flowrate")                                                                \
    X(kProgramCalibrationFlow, "Label_califlow")                                                   \
    X(kProgramCalibrationTime, "cali_Time_box")                                                    \
    X(kRunStartBox, "INP_STRT_Dttm")                                                               \
    X(kRunStopBox, "fpDateTime1")                                                                  \
    X(kBreak1Box, "Check1")                                                                        \
    X(kBreak1StartBox, "fpDateBREAK1START")                                                        \
    X(kBreak1StopBox, "fpDateTimeBREAK1STOP")                                                      \
    X(kLunchBox, "Check2")                                                                         \
    X(kLunchStartBox, "fpDateTime9")                                                               \
    X(kLunchStopBox, "fpDateTime10")                                                               \
    X(kBreak2Box, "Check3")                                                                        \
    X(kBreak2StartBox, "fpDateTime7")                                                              \
    X(kBreak2StopBox, "fpDateTime8")                                                               \
    X(kDurationBox, "txt_duration")                                                                \
    X(kProgramProgressFrame, "Frame20")                                                            \
    X(kProgramProgressBar, "pbar3")                                                                \
    X(kTimingTransferButton, "Command1")                                                           \
    X(kProgramPumpButton, "CommandButton29")                                                       \
    X(kClearSamplingDataButton, "CommandButton4")                                                  \
    X(kProgramReadBack, "lblProgramReadBack")                                                      \
    X(kProgramPcTime, "fpDateTime4_2")                                                             \
    /* The window's own buttons */                                                                 \
    X(kClearScreenButton, "CommandButton11")                                                       \
    X(kEraseLogsButton, "CommandButton14")                                                         \
    X(kSendToKstButton, "CommandButton13")

namespace Control {

#define CORVANE_CONTROL_CONSTANT(constant, objectName)                                             \
    inline constexpr char constant[] = objectName;
CORVANE_CONTROL_NAMES(CORVANE_CONTROL_CONSTANT)
#undef CORVANE_CONTROL_CONSTANT

#define CORVANE_CONTROL_ENTRY(constant, objectName) constant,
inline constexpr const char* kAll[] = {CORVANE_CONTROL_NAMES(CORVANE_CONTROL_ENTRY)};
#undef CORVANE_CONTROL_ENTRY

} // namespace Control
