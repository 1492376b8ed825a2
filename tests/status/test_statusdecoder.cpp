// The status report decode: the number display rules, then captions, pickers,
// RUN-mode groups and kept values from status lines built field by field; the
// pump model a report names; the setup report and the pump-state line; the
// three report layouts and their typed values.
#include "sim/simreports.h"
#include "status/numberformat.h"
#include "status/pumpreports.h"
#include "status/setupdecoder.h"
#include "status/statusdecoder.h"
#include "statuslines.h"
#include "support/statevalues.h"

#include <QDir>
#include <QTest>
#include <functional>

using TestLines::statusLine;

namespace {
UiChanges decode(AppState& state, const QString& line, bool metric = false) {
    state.UnitsFlag = metric ? 1 : 0;
    return Decode::statusReport(parseStatusReport(line), state,
                                QDateTime(QDate(2026, 3, 7), QTime(9, 5, 3)));
}

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

template <typename T> QString shown(const std::optional<T>& v) {
    if constexpr (std::is_same_v<T, QDateTime>)
        return v ? v->toString("yyyy-MM-dd HH:mm") : "-";
    else
        return v ? QString::number(*v) : "-";
}
QString status(const QStringList& fields, std::function<QString(const StatusReport&)> read) {
    return read(StatusReport(TestLines::statusLine(fields)));
}
} // namespace

class TestStatusDecoder : public QObject {
    Q_OBJECT
private slots:
    void numberRules();
    void report_data();
    void report();
    void savedLogCount();
    void modelSequence_data();
    void modelSequence();
    void setupLines_data();
    void setupLines();
    void reportsLayouts();
    void reportsSimulatedPump();
    void reportsTyped();
};

// The display rules on their own, where rounding and precision are easiest
// to see ("-": not a number, the caption stays as it was).
void TestStatusDecoder::numberRules() {
    using namespace NumberFormat;
    const auto shown = [](const std::optional<QString>& v) { return v.value_or("-"); };
    QCOMPARE(wholeNumberField("2.5"), "3"); // half rounds up
    QCOMPARE(shown(flowText("012345")), "12.35 L/min");
    QCOMPARE(shown(flowText("4999.6")), "5000cc/min");                       // decimals under 5000
    QCOMPARE(shown(flowText("1e4")), "-");                                   // an exponent is text
    QCOMPARE(shown(celsiusText("36.5")) + shown(celsiusText("45.5")), "28"); // ties to even
    QCOMPARE(shown(celsiusText("27.5")), "-2");
    QCOMPARE(shown(barometricMillimetres("10.00")), "254"); // 253.999... in binary
    QCOMPARE(shown(differentialMillimetres("0S.02")), "-");
}

// Each row decodes one line (cut to `cut` characters) and checks what it wrote;
// see TestLines::expectChanges for the form of the expectations.
void TestStatusDecoder::report_data() {
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<bool>("metric");
    QTest::addColumn<int>("cut");
    QTest::addColumn<QStringList>("expected");
    auto row = [](const char* name, const QStringList& fields, const QStringList& expected,
                  bool metric = false,
                  int cut = 231) { QTest::newRow(name) << fields << metric << cut << expected; };
    row("english sampling captions", {},
        {"Label3_27=Total hours on Circuit Board: 0123h 45m",
         "Label3_2=Total hours on Motor: 0100h 30m", "Label3_3=Current BP: 30.10 Inches of Mercury",
         "Label3_4=Current DP: 05.02 Inches of Water", "Label3_6=Volumetric Flow: 2010cc/min",
         "Label3_9=S.T.P. Cumulative Volume: 00012.00 L", "Label3_8=Cumulative Volume: 00012.34 L",
         "Label3_12=Sample Run Time:002h 15m", "Label3_13,Label3_1=Battery Capacity: 85%",
         "Label3_14,Label3_26=Current Temp: 72F", "Label3_18=Avg Temp: 70F"});
    row("english setup captions", {},
        {"Label1_1=History Report Logging Rate:Every 15 Minutes",
         "Label49=Logging Rate:Every 15 Minutes", "Label3_11,Label3_16=Total Logs Saved are: 012",
         "Label39=Current Pump :00012345", "Label3_15,Label3_23=Pump Firmware Version is 2.04",
         "Label_battlife=Current Battery Time Left: 10h 20m", "Label3_28=Log Capacity Used: 5%",
         "Label7=Current Start Time ", "Label8=Current Stop Time", "Label3_32=Break1 Start/Stop",
         "Label3_33=Lunch Start/Stop", "Label3_34=Break2 Start/Stop"});
    row("pickers", {},
        {"date:fpDateTime3,fpDateTime4_0=20261206", "time:fpDateTime3,fpDateTime4_0=14:05",
         "date:fpDateTime4_1,fpDateTime4_2=03,7,26", "time:fpDateTime4_1,fpDateTime4_2=09:05:03",
         "date:cali_Time_box,fpDateTime5=20260601", "time:cali_Time_box,fpDateTime5=09:00",
         "date:fpDateTimeRunstart,fpDateTimeRunstop=20261205", "time:fpDateTimeRunstart=08:30",
         "time:fpDateTimeRunstop=16:00", "time:DBREAK1START=10:00", "time:DBREAK1STOP=10:15",
         "time:DLUNCHSTART=12:00", "time:DLUNCHSTOP=12:30", "time:DBREAK2START=14:00",
         "time:DBREAK2STOP=14:15", "date:DBREAK1START,DBREAK1STOP,DLUNCHSTOP"});
    row("serial, groups and values", {},
        {"Label3_19,Label3_24,Label3_21,Label3_0,Label3_30=Serial Number: 00012345",
         "visible:fpDateTimeRunstart,fpDateTimeRunstop,DBREAK1START,DBREAK2STOP=1",
         "visible:Frame7,frmTimingR_1,Frame3,Frame_STPVOL,Label3_0,Label3_21,Label3_24=1",
         "visible:Frame2,Frame_RUNUP,Frame_Rundown=0", "visible:Label27=1", "facts:logsCounted=1",
         "facts:running=0", "tooltip:CommandButton4=Clear all data in pump",
         "values:serialNumber,LastSerialNumber=00012345", "values:logCount=012"});
    row("metric report", {"temp=212", "avgTemp=255"},
        {"Label3_3=Current BP: 764 mm of Mercury", "Label3_4=Current DP:  127 mm of Water",
         "Label3_14,Label3_26=Current Temp: 100C", "Label3_18=Avg Temp:n/a "},
        true);
    row("flows either side of 5000",
        {"flowSetting=004999", "volFlow=005000", "stpFlow=012000", "calFlow=005500"},
        {"Label3_5=Current Flow Setting: 4999cc/min", "Label3_6=Volumetric Flow: 5.00 L/min",
         "Label3_7=S.T.P. Flow: 12.00 L/min",
         "Label16,Label_califlow=Last Calibration Flow Rate was: 5.50 L/min"});
    row("zeros print empty, rate 00 as sent",
        {"flowSetting=000000", "battery=000", "temp=000", "logUsed=000", "logRate=00"},
        {"Label1_1=History Report Logging Rate:Every 00 Minutes",
         "Label3_5=Current Flow Setting: cc/min", "Label3_13,Label3_1=Battery Capacity: %",
         "Label3_14=Current Temp: F", "Label3_28=Log Capacity Used: %"});
    row("metric 32 and 0", {"temp=032", "avgTemp=000"},
        {"Label3_14=Current Temp: C", "Label3_18=Avg Temp: -18C"}, true);
    row("english text as sent, avg 255", {"baro=ab.cd", "battery=1x0", "temp=2?2", "avgTemp=255"},
        {"Label3_3=Current BP: ab.cd Inches of Mercury", "Label3_13=Battery Capacity: 1x0%",
         "Label3_14=Current Temp: 2?2F", "Label3_18=Avg Temp:n/a "});
    // A field that cannot be turned into the number its caption needs leaves
    // that caption alone, and the decode goes on.
    row("garbled numbers keep captions",
        {"baro=--.--", "flowSetting=00x000", "volFlow=      ", "calFlow=00?000", "temp=2?2",
         "avgTemp=abc", "logRate=  ", "clockYear=x6", "runState=04x1"},
        {"Label3_3", "Label3_5", "Label3_6", "Label16,Label_califlow", "Label3_14,Label3_26",
         "Label3_18", "Label1_1,Label49", "Label3_4=Current DP:  127 mm of Water",
         "Label3_28=Log Capacity Used: 5%", "date:fpDateTime3,fpDateTime4_0",
         "time:fpDateTime3=14:05", "visible:Frame2,Label27", "facts:running"},
        true);
    row("rate 01", {"logRate=01"},
        {"Label1_1=History Report Logging Rate: 01 per/min", "Label49=Logging Rate: 01 per/min"});
    row("start and stop not activated",
        {"startMinute=55", "startHour=55", "stopMinute=55", "stopHour=55"},
        {"Label7=Current Start Time      not activated",
         "Label8=Current Stop Time      not activated",
         "date:fpDateTimeRunstart,fpDateTimeRunstop=20030101",
         "time:fpDateTimeRunstart,fpDateTimeRunstop=00:00",
         "visible:fpDateTimeRunstart,fpDateTimeRunstop=0"});
    row("break2 set while break1 off", {"b1StartMinute=55", "b1StartHour=55"},
        {"Label3_32=Break1 Start/Stop       not activated",
         "time:DBREAK1START,DBREAK1STOP=12:00:00.00", "visible:DBREAK1START,DBREAK1STOP=0",
         "Label3_34=Break2 Start/Stop", "time:DBREAK2STOP=14:15",
         "visible:DBREAK2START,DBREAK2STOP=1"});
    row("lunch and break2 off",
        {"lunchStartMinute=55", "lunchStartHour=55", "b2StartMinute=55", "b2StartHour=55"},
        {"Label3_33=Lunch Start/Stop         not activated", "Label3_32=Break1 Start/Stop",
         "Label3_34=Break2 Start/Stop       not activated", "visible:DLUNCHSTOP,DBREAK2START=0"});
    row("start hour 55 only", {"startHour=55"},
        {"Label7=Current Start Time ", "time:fpDateTimeRunstart=55:30",
         "visible:fpDateTimeRunstart=1"});
    row("lunch stop 55:55 still activated", {"lunchStopMinute=55", "lunchStopHour=55"},
        {"Label3_33=Lunch Start/Stop", "time:DLUNCHSTOP=55:55", "visible:DLUNCHSTOP=1"});
    row("year blank before", {"clockYear= 3"}, {"date:fpDateTime3,fpDateTime4_0=20031206"});
    row("run state 400", {"runState=0400"}, {"visible:Frame2=0", "facts:running=0"});
    row("run state 401", {"runState=0401"},
        {"visible:Frame2,Frame_RUNUP,Frame_Rundown=1", "visible:Label27=0", "facts:running=1",
         "tooltip:CommandButton4=Pump cann't be in RUN Mode"});
    // A cut line: every step still runs, text fields show what is left of them.
    row("cut at 60", {},
        {"Label3_10,Label3_31=No pump type", "LabelH7=File Name:",
         "Label3_5=Current Flow Setting: 2000cc/min", "Label3_12=Sample Run Time:h m",
         "Label3_15=Pump Firmware Version is ", "Label3_21=Serial Number: ", "Label16", "Label1_1",
         "values:LastSerialNumber=", "Label7=Current Start Time ", "visible:Frame2"},
        false, 60);
}

void TestStatusDecoder::report() {
    QFETCH(QStringList, fields);
    QFETCH(bool, metric);
    QFETCH(int, cut);
    QFETCH(QStringList, expected);
    AppState state;
    TestLines::expectChanges(decode(state, statusLine(fields).left(cut), metric), expected);
}

// The count of logs to expect follows the report; a garbled count is shown
// as sent and leaves it alone.
void TestStatusDecoder::savedLogCount() {
    AppState state;
    decode(state, statusLine({"logCount=123"}));
    QCOMPARE(state.SavedLogCount, 123);
    TestLines::expectChanges(decode(state, statusLine({"logCount=1?3"})), {"values:logCount=1?3"});
    QCOMPARE(state.SavedLogCount, 123);
}

// The pump model named by a status report, and what it leaves for the next
// report: captions, firmware file, spinner bounds and range caption.
// Reports arrive one after another on a freshly started window; the columns
// describe the last one. A code under two characters is a line that ends
// inside the type field.
void TestStatusDecoder::modelSequence_data() {
    QTest::addColumn<QStringList>("codes");
    QTest::addColumn<QString>("caption"); // on the model labels after the last report
    QTest::addColumn<QString>("file");    // firmware file in the program folder
    QTest::addColumn<QString>("range");   // the spinner bounds written, as the range caption says
    QTest::addColumn<bool>("written");    // the model written to Label3_10 and Label3_22
    QTest::addColumn<QString>("folder");  // the program's folder
    auto row = [](const char* name, const QStringList& codes, const QString& caption,
                  const QString& file, const QString& range, bool written,
                  const QString& folder = "/opt/corvane") {
        QTest::newRow(name) << codes << caption << file << range << written << folder;
    };
    row("KST-1", {"31"}, "Model: NORDA KST-1 Pump ", "KST204.HEX", "100 cc/min to 600 cc/min",
        true);
    row("ORBIT-12", {"2D"}, "Model: NORDA ORBIT-12 Pump ", "ORB124.HEX", "", true);
    row("ORBIT-5 after KST-1", {"31", "25"}, "Model: NORDA ORBIT-5 Pump ", "ORB124.HEX", "", true);
    row("KST-5 after KST-12", {"29", "21"}, "Model: NORDA KST-5 Pump ", "KST204.HEX",
        "800 cc/min to 5000 cc/min", true);
    row("unknown on a fresh window", {"22"}, "No Pump Currently Attached", "", "", false);
    row("unknown keeps KST-12", {"29", "22"}, "Model: NORDA KST-12 Pump ", "KST204.HEX", "", false);
    row("lower case keeps TRX-05", {"80", "2d"}, "Model: TRX-05 ", "TRX143.HEX", "", false);
    row("no code keeps the file", {"31", ""}, "No pump type", "KST204.HEX", "", true);
    // A folder that already ends with its separator gets no second one.
    row("folder with separator", {"80"}, "Model: TRX-05 ", "TRX143.HEX", "", true, "/opt/corvane/");
    row("root folder", {"80"}, "Model: TRX-05 ", "TRX143.HEX", "", true, "/");
}

void TestStatusDecoder::modelSequence() {
    QFETCH(QStringList, codes);
    QFETCH(QString, caption);
    QFETCH(QString, file);
    QFETCH(QString, range);
    QFETCH(bool, written);
    QFETCH(QString, folder);
    AppState state;
    state.ProgramFolder = folder;
    UiChanges c;
    for (const QString& code : codes) {
        const QString line = TestLines::statusLine({"type=" + code.leftJustified(2)});
        c = Decode::statusReport(
            parseStatusReport(code.size() < 2 ? line.left(71 + code.size()) : line), state);
    }
    const QString dir = folder.endsWith('/') ? folder : folder + '/';
    const QString path = file.isEmpty() ? "" : QDir::toNativeSeparators(dir + file);
    TestLines::expectChanges(c, {"Label3_10,Label3_22" + (written ? "=" + caption : ""),
                                 "Label3_25,Label3_20,Label3_31=" + caption,
                                 "LabelH7=File Name:" + path,
                                 "Label_flowrate" + (range.isEmpty() ? "" : "=Range is " + range)});
    const auto [min, max] = c.flowRange.value_or(std::pair(0, 0));
    QCOMPARE(c.flowRange ? QString("%1 cc/min to %2 cc/min").arg(min).arg(max) : "", range);
}

// The setup report ("Z99") and the pump-state line ("P01"): flags, captions,
// colours, enabling, and where a garbled or short line stops the decode.
// Each row decodes one line; see TestLines::expectChanges for the expectations.
// A flag that is not a digit ends the line at that step: the rows that garble
// or cut a line check the step before it and that the next one is not done.
void TestStatusDecoder::setupLines_data() {
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

void TestStatusDecoder::setupLines() {
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

// The three report layouts against lines laid out apart from them (the test
// lines, literal lines, the simulated pump's writer), and the typed values
// where a field may not be a number or a date.
// Every field cut from a line whose fields are all told apart by their text.
void TestStatusDecoder::reportsLayouts() {
    const StatusReport status(TestLines::statusLine());
    QCOMPARE(int(TestLines::kStatusFields.size()), int(StatusField::Count));
    for (int i = 0; i < int(StatusField::Count); ++i)
        QCOMPARE(status.text(StatusField(i)), std::get<2>(TestLines::kStatusFields[i]));

    // Each position holds its own letter: "a" at 4, "b" at 5, ...
    QString z = "Z99";
    for (char c = 'a'; c <= 'z'; ++c)
        z += c;
    QString read;
    for (int i = 0; i < int(SetupField::Count); ++i)
        read += SetupReport(z).text(SetupField(i));
    QCOMPARE(read, "bdhnrtvz"); // 5, 7, 11, 17, 21, 23, 25, 29

    const PumpStateReport p("P01   2 3" + QString(23, ' ') +
                            "002500 30 08 05 12 26 45 16 07 11 27 012 34 x 4 5");
    QStringList fields;
    for (int i = 0; i < int(PumpStateField::Count); ++i)
        fields << p.text(PumpStateField(i));
    QCOMPARE(fields.join(' '), "2 3 002500 30 08 05 12 26 45 16 07 11 27 012 34 4 5");
}

// The simulated pump prints from its own positions: what it was told is what
// the typed values read back.
void TestStatusDecoder::reportsSimulatedPump() {
    SimPumpState s;
    s.now = QDateTime(QDate(2026, 12, 6), QTime(14, 5, 42));
    s.logRate = 7;
    s.serial = "00987654";
    s.setup.password = s.setup.stp = s.setup.units02 = '1';
    const StatusReport status(QString::fromLatin1(SimReports::status(s)));
    QCOMPARE(status.clock().value_or(QDateTime()),
             QDateTime(QDate(2026, 12, 6), QTime(14, 5), Qt::UTC));
    QCOMPARE(status.logRate().value_or(-1), 7.0);
    QCOMPARE(status.logCount().value_or(-1), 0);
    QCOMPARE(status.serial(), "00987654");
    QCOMPARE(status.modelCode(), "21");
    QVERIFY(status.runState().value_or(999) <= 400); // idle

    const SetupReport setup(QString::fromLatin1(SimReports::setup(s)));
    QString on;
    for (int i = 0; i < int(Switch::Count); ++i)
        on += setup.isOn(Switch(i)).value() ? '1' : '0';
    // Flow mode S.T.P., password on, fault on, screens on, timing off,
    // Start/Stop, metric.
    QCOMPARE(on, "1111000");
}

// The typed values where a field may not be a number or a date ("-").
void TestStatusDecoder::reportsTyped() {
    const auto clock = [](const StatusReport& r) { return shown(r.clock()); };
    QCOMPARE(status({"clockHour= 9", "clockYear=7 "}, clock), "2007-12-06 09:05");
    QCOMPARE(status({"clockHour=1x"}, clock), "-");
    QCOMPARE(status({"clockDay=31", "clockMonth=02"}, clock), "-"); // no such date
    QCOMPARE(status({"clockMinute=+5"}, clock), "-");
    const auto count = [](const StatusReport& r) { return shown(r.logCount()); };
    QCOMPARE(status({"logCount=2.5"}, count), "3");
    QCOMPARE(status({"logCount=1?3"}, count), "-");
    const auto run = [](const StatusReport& r) { return shown(r.runState()); };
    QCOMPARE(status({"runState= 401"}, run), "401");
    QCOMPARE(status({"runState=00.5"}, run), "0"); // ties to even
    QCOMPARE(status({"runState=04x1"}, run), "-");
    const auto rate = [](const StatusReport& r) { return shown(r.logRate()); };
    QCOMPARE(status({"logRate=05"}, rate), "5");
    QCOMPARE(status({"logRate=  "}, rate), "-");
    QCOMPARE(StatusReport(TestLines::statusLine().left(120)).serial(), "0001"); // line ends
    QVERIFY(!StatusReport(TestLines::statusLine()).dateText(StatusTime::Break1Start));

    // Which digit shows which choice: only "0" is volumetric and English,
    // anything but "1" is off, a non-digit is neither.
    const auto on = [](const char* line, Switch s) {
        return shown(SetupReport(QString(line)).isOn(s));
    };
    QCOMPARE(on("Z99 0 0 0 0 0 0 0 0 0 0 0 0 2", Switch::FlowMode), "1");
    QCOMPARE(on("Z99 0 5", Switch::Units), "0");
    QCOMPARE(on("Z99 0 0 0 0 0 0 0 0 2", Switch::Password), "0");
    QCOMPARE(on("Z99 0 0 0  ", Switch::FlowFault), "-");
}

QTEST_GUILESS_MAIN(TestStatusDecoder)
#include "test_statusdecoder.moc"
