// The status report decode: the number display rules, then captions, pickers,
// RUN-mode groups and kept values from status lines built field by field.
#include "status/numberformat.h"
#include "status/statusdecoder.h"
#include "statuslines.h"

#include <QTest>

using TestLines::statusLine;

namespace {
UiChanges decode(AppState& state, const QString& line, bool metric = false) {
    state.UnitsFlag = metric ? 1 : 0;
    return Decode::statusReport(parseStatusReport(line), state,
                                QDateTime(QDate(2026, 3, 7), QTime(9, 5, 3)));
}
} // namespace

class TestStatusDecoder : public QObject {
    Q_OBJECT
private slots:
    void numberRules();
    void report_data();
    void report();
    void savedLogCount();
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

QTEST_GUILESS_MAIN(TestStatusDecoder)
#include "test_statusdecoder.moc"
