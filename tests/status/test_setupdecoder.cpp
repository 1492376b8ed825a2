// The setup report ("Z99") and the pump-state line ("P01"): flags, captions,
// colours, enabling, and where a garbled or short line stops the decode.
#include "status/setupdecoder.h"
#include "statuslines.h"
#include "support/statevalues.h"

#include <QTest>

namespace {

// Flags at the odd positions 5 to 29: timing on in Duration mode, English, flow
// fault on, "Program Pump" enabled, password on, start-up screens on, volumetric.
const QString kZ99 = "Z99 1 0 0 1 0 0 0 0 1 1 1 0 0";
// Password on, flow fault on, 2500 cc/min, start 08:30 on 2026-12-05, stop
// 16:00 the same day, duration 012:30, screens on, volumetric.
const QString kP01 =
    "P01   1 1" + QString(23, ' ') + "002500 30 08 05 12 26 00 16 05 12 26 012 30   1 0";
const QString kRunFields = "fpDateTime1,fpDateBREAK1START,fpDateTimeBREAK1STOP,fpDateTime7,"
                           "fpDateTime8,fpDateTime9,fpDateTime10,INP_STRT_Dttm";

// The line with characters replaced at 1-based positions, cut to `length`.
QString with(QString line, std::initializer_list<std::pair<int, const char*>> at, int length = -1) {
    for (const auto& [position, text] : at)
        line.replace(position - 1, int(qstrlen(text)), text);
    return line.left(length);
}

} // namespace

class TestSetupDecoder : public QObject {
    Q_OBJECT
private slots:
    void lines_data();
    void lines();
};

// Each row decodes one line; see TestLines::expectChanges for the expectations.
// A flag that is not a digit ends the line at that step: the rows that garble
// or cut a line check the step before it and that the next one is not done.
void TestSetupDecoder::lines_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("expected");
    auto row = [](const char* name, const QString& line, const QStringList& expected) {
        QTest::newRow(name) << line << expected;
    };
    row("all set", kZ99,
        {"Label1_6=Timing Routines are: Activated    ", "Label47=Timing Routines are: Activated",
         "Label1_4,Label48=Unit Of Measurement: English",
         "Label1_5,Label45=Flow Fault is: Activated       ", "Label1_3,Label44=Password is: On",
         "Label_COUNTDOWNFLAG,Label15=Duration", "Label1_2,Label46=Startup Display Screens Are: On",
         "Label3_17,Label43=Flow Mode is: Volumetric", "visible:Label_COUNTDOWNFLAG,Label15=1",
         "facts:programmingLocked=0", "enabled:" + kRunFields + "=0", "color:Label3_6=#0000c0",
         "color:Label3_7=#008000", "values:UnitsFlag=0",
         "values:TimingFlag,FlowFaultFlag,PasswordFlag,DurationModeFlag,StartScreensFlag=1"});
    row("timing off ignores the mode", with(kZ99, {{5, "0"}}),
        {"Label1_6,Label47=Timing Routines are: Deactivated", "Label15= N/A",
         "visible:Label15,Label_COUNTDOWNFLAG=0", "Label_COUNTDOWNFLAG", "enabled:" + kRunFields,
         "values:DurationModeFlag=1", "Label43=Flow Mode is: Volumetric"});
    row("units 5 is metric", with(kZ99, {{7, "5"}}),
        {"Label1_4,Label48=Unit Of Measurement: Metric  ", "values:UnitsFlag=5"});
    row("flow fault 2 is off", with(kZ99, {{11, "2"}}),
        {"Label1_5,Label45=Flow Fault is: Deactivated"});
    row("program lock", with(kZ99, {{17, "1"}}), {"facts:programmingLocked=1"});
    row("password off", with(kZ99, {{21, "0"}}), {"Label1_3,Label44=Password is: Off"});
    row("start/stop mode", with(kZ99, {{23, "0"}}),
        {"Label15,Label_COUNTDOWNFLAG=Start/Stop", "enabled:INP_STRT_Dttm,fpDateTime1=1",
         "enabled:fpDateTime7,fpDateTime10"});
    row("screens off", with(kZ99, {{25, "0"}}),
        {"Label1_2,Label46=Startup Display Screens Are: Off"});
    row("stp 9", with(kZ99, {{29, "9"}}),
        {"Label3_17,Label43=Flow Mode is: S.T.P.     ", "color:Label3_7=#0000c0",
         "color:Label3_6=#008000"});
    row("letter at unread position 9", with(kZ99, {{9, "x"}}),
        {"Label43=Flow Mode is: Volumetric"});
    row("blank timing", with(kZ99, {{5, " "}}), {"Label1_6,Label47,Label43", "values:UnitsFlag"});
    row("letter units", with(kZ99, {{7, "E"}}),
        {"Label47=Timing Routines are: Activated", "Label48,Label45", "values:UnitsFlag"});
    row("blank flow fault", with(kZ99, {{11, " "}}),
        {"Label48=Unit Of Measurement: English", "Label1_5,Label45,Label43"});
    row("letter lock", with(kZ99, {{17, "L"}}),
        {"Label45=Flow Fault is: Activated       ", "facts:programmingLocked", "Label44"});
    row("line ends before password", kZ99.left(20), {"facts:programmingLocked=0", "Label44"});
    row("blank mode with timing on", with(kZ99, {{23, " "}}),
        {"Label44=Password is: On", "Label15,Label46", "enabled:" + kRunFields});
    row("blank mode with timing off", with(kZ99, {{5, "0"}, {23, " "}}),
        {"Label15= N/A", "Label46=Startup Display Screens Are: On",
         "Label43=Flow Mode is: Volumetric"});
    row("line ends before screens", kZ99.left(24), {"Label15=Duration", "Label46,Label43"});
    row("minus flow mode", with(kZ99, {{29, "-"}}),
        {"Label46=Startup Display Screens Are: On", "Label43", "color:Label3_6,Label3_7"});

    // The pump-state line writes the "Setup Pump" captions only.
    row("pump state", with(kP01, {{81, "1"}}),
        {"date:fpDateTime5,fpDateTimeRunstart=20261205",
         "time:fpDateTime5,fpDateTimeRunstart=08:30", "Label45=Flow Fault is: Activated       ",
         "Label44=Password is: On", "Label46=Startup Display Screens Are: On",
         "Label43=Flow Mode is: S.T.P.     ", "Label1_5,Label1_3,Label1_2,Label3_17,Label15",
         "color:Label3_6,Label3_7", "facts:programmingLocked", "visible:Label15",
         "values:currentFlowSetting=002500", "values:runStartTime=08:30",
         "values:runStartDate,runStopDate=20261205", "values:runStopTime=16:00",
         "values:FlowFaultFlag,PasswordFlag,StartScreensFlag=1", "values:runDuration=012:30"});
    row("start year garbled", with(kP01, {{52, "x6"}}),
        {"values:runStartTime=08:30", "values:runStartDate,runStopTime", "date:fpDateTime5"});
    row("stop year blank", with(kP01, {{67, "  "}}),
        {"values:runStopTime=16:00", "values:runStopDate,FlowFaultFlag"});
    row("flow fault blank", with(kP01, {{9, " "}}), {"values:runStopDate=20261205", "Label45"});
    row("password letter", with(kP01, {{7, "Y"}}),
        {"Label45=Flow Fault is: Activated       ", "Label44", "values:StartScreensFlag"});
    row("year with blank is a number", with(kP01, {{52, " 3"}, {67, "3 "}}),
        {"values:runStartDate,runStopDate=20031205", "Label43=Flow Mode is: Volumetric"});
}

void TestSetupDecoder::lines() {
    QFETCH(QString, line);
    QFETCH(QStringList, expected);
    AppState state;
    state.UnitsFlag = 3;
    const UiChanges c = line.startsWith("Z99")
                            ? Decode::setupReport(parseSetupReport(line), state)
                            : Decode::pumpStateReport(parsePumpStateReport(line), state);
    TestLines::expectChanges(c, expected);
    // The values reported are the ones kept for the send steps; UnitsFlag is
    // kept only when it was read.
    const QMap<QString, QString> kept = stateValues(state);
    for (auto it = c.values.cbegin(); it != c.values.cend(); ++it)
        QCOMPARE(kept.value(it.key(), "?"), it.value());
    if (!c.values.contains("UnitsFlag"))
        QCOMPARE(state.UnitsFlag, 3);
}

QTEST_GUILESS_MAIN(TestSetupDecoder)
#include "test_setupdecoder.moc"
