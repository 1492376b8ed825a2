// The status report decode: captions, pickers, RUN-mode groups and the values
// left for the poll and the log download, from status lines built field by field.
#include "status/numberformat.h"
#include "status/statusdecoder.h"
#include "statuslines.h"

#include <QTest>

using TestLines::statusLine;

namespace {
UiChanges decode(AppState& state, const QString& line, bool metric = false,
                 const QDateTime& now = QDateTime(QDate(2026, 3, 7), QTime(9, 5, 3))) {
    state.LastLine = line;
    state.UnitsFlag = metric ? 1 : 0;
    return decodeStatusReport(state, now);
}
UiChanges decode(const QString& line, bool metric = false) {
    AppState state;
    return decode(state, line, metric);
}
} // namespace

class TestStatusDecoder : public QObject {
    Q_OBJECT
private slots:
    void numberRules_data();
    void numberRules();
    void captions_data();
    void captions();
    void shortLines_data();
    void shortLines();
    void pickers_data();
    void pickers();
    void runState_data();
    void runState();
    void sharedValues();
};

// The display rules on their own, where the rounding is easiest to see.
void TestStatusDecoder::numberRules_data() {
    QTest::addColumn<QString>("rule");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("expected"); // null: not a number
    QTest::newRow("whole leading zeros") << "whole"
                                         << "085"
                                         << "85";
    QTest::newRow("whole zero is empty") << "whole"
                                         << "000"
                                         << "";
    QTest::newRow("whole blanks around") << "whole"
                                         << " 7 "
                                         << "7";
    QTest::newRow("whole rounds half up") << "whole"
                                          << "2.5"
                                          << "3";
    QTest::newRow("whole negative") << "whole"
                                    << "-12"
                                    << "-12";
    QTest::newRow("whole text unchanged") << "whole"
                                          << "1x0"
                                          << "1x0";
    QTest::newRow("whole empty unchanged") << "whole"
                                           << ""
                                           << "";
    QTest::newRow("flow below 5000") << "flow"
                                     << "004999"
                                     << "4999cc/min";
    QTest::newRow("flow 5000") << "flow"
                               << "005000"
                               << "5.00 L/min";
    QTest::newRow("flow half rounds up") << "flow"
                                         << "012345"
                                         << "12.35 L/min";
    QTest::newRow("flow rounds down") << "flow"
                                      << "012344"
                                      << "12.34 L/min";
    QTest::newRow("flow decimals") << "flow"
                                   << "4999.6"
                                   << "5000cc/min";
    QTest::newRow("flow two points") << "flow"
                                     << "1.2.3" << QString();
    QTest::newRow("flow exponent is text") << "flow"
                                           << "1e4" << QString();
    QTest::newRow("celsius 212") << "celsius"
                                 << "212"
                                 << "100";
    QTest::newRow("celsius tie to even down") << "celsius"
                                              << "36.5"
                                              << "2";
    QTest::newRow("celsius tie to even up") << "celsius"
                                            << "45.5"
                                            << "8";
    QTest::newRow("celsius negative tie") << "celsius"
                                          << "27.5"
                                          << "-2";
    QTest::newRow("celsius rounds to zero") << "celsius"
                                            << "032"
                                            << "";
    QTest::newRow("celsius blank") << "celsius"
                                   << "   " << QString();
    QTest::newRow("bp 15 digits") << "bp"
                                  << "10.00"
                                  << "254";
    QTest::newRow("bp fraction dropped") << "bp"
                                         << "29.99"
                                         << "761";
    QTest::newRow("bp zero shows 0") << "bp"
                                     << "00.00"
                                     << "0";
    QTest::newRow("dp fraction dropped") << "dp"
                                         << "00.99"
                                         << "25";
    QTest::newRow("dp letters") << "dp"
                                << "0S.02" << QString();
    QTest::newRow("date year with blank") << "date"
                                          << " 3"
                                          << "20031206";
    QTest::newRow("date year not a number") << "date"
                                            << "x3" << QString();
}

void TestStatusDecoder::numberRules() {
    QFETCH(QString, rule);
    QFETCH(QString, field);
    QFETCH(QString, expected);
    using namespace NumberFormat;
    std::optional<QString> got;
    if (rule == QLatin1String("whole"))
        got = wholeNumberField(field);
    else if (rule == QLatin1String("flow"))
        got = flowText(field);
    else if (rule == QLatin1String("celsius"))
        got = celsiusText(field);
    else if (rule == QLatin1String("bp"))
        got = barometricMillimetres(field);
    else if (rule == QLatin1String("dp"))
        got = differentialMillimetres(field);
    else
        got = pumpDate(QStringLiteral("06"), QStringLiteral("12"), field);
    QCOMPARE(got.has_value(), !expected.isNull());
    if (got)
        QCOMPARE(*got, expected);
}

void TestStatusDecoder::captions_data() {
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<bool>("metric");
    QTest::addColumn<QString>("element");
    QTest::addColumn<QString>("expected"); // null: the caption is not written

    auto row = [](const char* name, QStringList f, bool metric, const char* element,
                  const QString& expected) {
        QTest::newRow(name) << f << metric << QString::fromLatin1(element) << expected;
    };
    const QString kept; // null

    row("board run time", {}, false, "Label3_27", "Total hours on Circuit Board: 0123h 45m");
    row("motor run time", {}, false, "Label3_2", "Total hours on Motor: 0100h 30m");
    row("sample run time", {}, false, "Label3_12", "Sample Run Time:002h 15m");
    row("battery time left", {}, false, "Label_battlife", "Current Battery Time Left: 10h 20m");

    row("bp english as sent", {}, false, "Label3_3", "Current BP: 30.10 Inches of Mercury");
    row("dp english leading zero", {}, false, "Label3_4", "Current DP: 05.02 Inches of Water");
    row("bp metric", {}, true, "Label3_3", "Current BP: 764 mm of Mercury");
    row("bp metric never rounded up", {"baro=29.99"}, true, "Label3_3",
        "Current BP: 761 mm of Mercury");
    row("dp metric two blanks", {}, true, "Label3_4", "Current DP:  127 mm of Water");
    row("bp metric not a number", {"baro=--.--"}, true, "Label3_3", kept);
    row("bp english text as sent", {"baro=ab.cd"}, false, "Label3_3",
        "Current BP: ab.cd Inches of Mercury");

    row("flow 4999", {"flowSetting=004999"}, false, "Label3_5", "Current Flow Setting: 4999cc/min");
    row("flow 5000", {"flowSetting=005000"}, false, "Label3_5", "Current Flow Setting: 5.00 L/min");
    row("flow 12000", {"flowSetting=012000"}, false, "Label3_5",
        "Current Flow Setting: 12.00 L/min");
    row("flow zeros", {"flowSetting=000000"}, false, "Label3_5", "Current Flow Setting: cc/min");
    row("flow not a number", {"flowSetting=00x000"}, false, "Label3_5", kept);
    row("flow blank", {"flowSetting=      "}, false, "Label3_5", kept);
    row("volumetric flow", {}, false, "Label3_6", "Volumetric Flow: 2010cc/min");
    row("stp flow litres", {"stpFlow=006000"}, false, "Label3_7", "S.T.P. Flow: 6.00 L/min");
    row("calibration flow", {"calFlow=005500"}, false, "Label16",
        "Last Calibration Flow Rate was: 5.50 L/min");
    row("calibration flow copy", {"calFlow=005500"}, false, "Label_califlow",
        "Last Calibration Flow Rate was: 5.50 L/min");
    row("calibration flow garbled", {"calFlow=00?000"}, false, "Label_califlow", kept);

    row("stp volume as sent", {}, false, "Label3_9", "S.T.P. Cumulative Volume: 00012.00 L");
    row("volume as sent", {}, false, "Label3_8", "Cumulative Volume: 00012.34 L");

    row("battery", {}, false, "Label3_13", "Battery Capacity: 85%");
    row("battery copy", {}, false, "Label3_1", "Battery Capacity: 85%");
    row("battery zero", {"battery=000"}, false, "Label3_13", "Battery Capacity: %");
    row("battery text", {"battery=1x0"}, false, "Label3_1", "Battery Capacity: 1x0%");

    row("temp english", {}, false, "Label3_14", "Current Temp: 72F");
    row("temp english zero", {"temp=000"}, false, "Label3_14", "Current Temp: F");
    row("temp metric 212", {"temp=212"}, true, "Label3_14", "Current Temp: 100C");
    row("temp metric 32", {"temp=032"}, true, "Label3_14", "Current Temp: C");
    row("temp metric 0", {"temp=000"}, true, "Label3_14", "Current Temp: -18C");
    row("temp copy", {"temp=212"}, true, "Label3_26", "Current Temp: 100C");
    row("temp metric garbled", {"temp=2?2"}, true, "Label3_26", kept);
    row("temp english garbled", {"temp=2?2"}, false, "Label3_26", "Current Temp: 2?2F");

    row("avg english", {}, false, "Label3_18", "Avg Temp: 70F");
    row("avg metric", {"avgTemp=212"}, true, "Label3_18", "Avg Temp: 100C");
    row("avg 255 english", {"avgTemp=255"}, false, "Label3_18", "Avg Temp:n/a ");
    row("avg 255 metric", {"avgTemp=255"}, true, "Label3_18", "Avg Temp:n/a ");
    row("avg garbled metric", {"avgTemp=abc"}, true, "Label3_18", kept);
    row("log capacity", {}, false, "Label3_28", "Log Capacity Used: 5%");
    row("log capacity zero", {"logUsed=000"}, false, "Label3_28", "Log Capacity Used: %");

    row("rate 01", {"logRate=01"}, false, "Label1_1", "History Report Logging Rate: 01 per/min");
    row("rate 01 setup page", {"logRate=01"}, false, "Label49", "Logging Rate: 01 per/min");
    row("rate blank 1", {"logRate= 1"}, false, "Label49", "Logging Rate:  1 per/min");
    row("rate 15", {}, false, "Label1_1", "History Report Logging Rate:Every 15 Minutes");
    row("rate 15 setup page", {}, false, "Label49", "Logging Rate:Every 15 Minutes");
    row("rate 00", {"logRate=00"}, false, "Label1_1",
        "History Report Logging Rate:Every 00 Minutes");
    row("rate blank", {"logRate=  "}, false, "Label1_1", kept);

    row("log count", {}, false, "Label3_11", "Total Logs Saved are: 012");
    row("log count copy", {}, false, "Label3_16", "Total Logs Saved are: 012");
    row("serial current pump", {}, false, "Label39", "Current Pump :00012345");
    for (const char* e : {"Label3_19", "Label3_24", "Label3_21", "Label3_0", "Label3_30"})
        row(qPrintable(QStringLiteral("serial %1").arg(QLatin1String(e))), {}, false, e,
            "Serial Number: 00012345");
    row("firmware", {}, false, "Label3_15", "Pump Firmware Version is 2.04");
    row("firmware copy", {}, false, "Label3_23", "Pump Firmware Version is 2.04");

    row("start set", {}, false, "Label7", "Current Start Time ");
    row("start not activated", {"startMinute=55", "startHour=55"}, false, "Label7",
        "Current Start Time      not activated");
    row("start hour 55 only", {"startHour=55"}, false, "Label7", "Current Start Time ");
    row("stop set", {}, false, "Label8", "Current Stop Time");
    row("stop not activated", {"stopMinute=55", "stopHour=55"}, false, "Label8",
        "Current Stop Time      not activated");
    row("break1 set", {}, false, "Label3_32", "Break1 Start/Stop");
    row("break1 not activated", {"b1StartMinute=55", "b1StartHour=55"}, false, "Label3_32",
        "Break1 Start/Stop       not activated");
    row("break2 set while break1 off", {"b1StartMinute=55", "b1StartHour=55"}, false, "Label3_34",
        "Break2 Start/Stop");
    row("break2 not activated", {"b2StartMinute=55", "b2StartHour=55"}, false, "Label3_34",
        "Break2 Start/Stop       not activated");
    row("lunch not activated", {"lunchStartMinute=55", "lunchStartHour=55"}, false, "Label3_33",
        "Lunch Start/Stop         not activated");
    row("lunch stop 55:55 still activated", {"lunchStopMinute=55", "lunchStopHour=55"}, false,
        "Label3_33", "Lunch Start/Stop");
}

void TestStatusDecoder::captions() {
    QFETCH(QStringList, fields);
    QFETCH(bool, metric);
    QFETCH(QString, element);
    QFETCH(QString, expected);
    const UiChanges c = decode(statusLine(fields), metric);
    QCOMPARE(c.text.contains(element), !expected.isNull());
    if (!expected.isNull())
        QCOMPARE(c.text.value(element), expected);
}

// Lines cut short: every step still runs, text fields show their prefixes alone.
void TestStatusDecoder::shortLines_data() {
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("element");
    QTest::addColumn<QString>("expected"); // null: not written
    const QString kept;
    QTest::newRow("60 model") << 60 << "Label3_10"
                              << "No pump type";
    QTest::newRow("60 model copy") << 60 << "Label3_31"
                                   << "No pump type";
    QTest::newRow("60 file name") << 60 << "LabelH7"
                                  << "File Name:";
    QTest::newRow("60 flow still read") << 60 << "Label3_5"
                                        << "Current Flow Setting: 2000cc/min";
    QTest::newRow("60 sample run time") << 60 << "Label3_12"
                                        << "Sample Run Time:h m";
    QTest::newRow("60 firmware") << 60 << "Label3_15"
                                 << "Pump Firmware Version is ";
    QTest::newRow("60 serial") << 60 << "Label3_21"
                               << "Serial Number: ";
    QTest::newRow("60 battery") << 60 << "Label3_13"
                                << "Battery Capacity: %";
    QTest::newRow("60 temp") << 60 << "Label3_14"
                             << "Current Temp: F";
    QTest::newRow("60 calibration flow") << 60 << "Label16" << kept;
    QTest::newRow("60 rate") << 60 << "Label1_1" << kept;
    QTest::newRow("60 start") << 60 << "Label7"
                              << "Current Start Time ";
    QTest::newRow("71 no type") << 71 << "Label3_22"
                                << "No pump type";
    QTest::newRow("72 half a code") << 72 << "Label3_22" << kept;
    QTest::newRow("72 copies keep caption") << 72 << "Label3_25"
                                            << "No Pump Currently Attached";
    QTest::newRow("code only") << 3 << "Label3_27"
                               << "Total hours on Circuit Board: h m";
    QTest::newRow("code only bp") << 3 << "Label3_3"
                                  << "Current BP:  Inches of Mercury";
    QTest::newRow("mid field") << 23 << "Label3_3"
                               << "Current BP: 30. Inches of Mercury";
    QTest::newRow("230 run state") << 230 << "Label3_34"
                                   << "Break2 Start/Stop";
}

void TestStatusDecoder::shortLines() {
    QFETCH(int, length);
    QFETCH(QString, element);
    QFETCH(QString, expected);
    const UiChanges c = decode(statusLine().left(length));
    QCOMPARE(c.text.contains(element), !expected.isNull());
    if (!expected.isNull())
        QCOMPARE(c.text.value(element), expected);
    if (length < 228) // run state field missing: the groups keep their visibility
        QVERIFY(!c.visible.contains(QStringLiteral("Frame2")));
}

void TestStatusDecoder::pickers_data() {
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("element");
    QTest::addColumn<QString>("date"); // null: no date handed
    QTest::addColumn<QString>("time");
    QTest::addColumn<int>("shown"); // 1 shown, 0 hidden, -1 left alone
    const QString none;
    QTest::newRow("pump clock") << QStringList{} << "fpDateTime3"
                                << "20261206"
                                << "14:05" << -1;
    QTest::newRow("pump clock reset page") << QStringList{} << "fpDateTime4_0"
                                           << "20261206"
                                           << "14:05" << -1;
    QTest::newRow("year blank before") << QStringList{"clockYear= 3"} << "fpDateTime3"
                                       << "20031206"
                                       << "14:05" << -1;
    QTest::newRow("year blank after") << QStringList{"clockYear=3 "} << "fpDateTime3"
                                      << "20031206"
                                      << "14:05" << -1;
    QTest::newRow("year garbled keeps date")
        << QStringList{"clockYear=x6"} << "fpDateTime3" << none << "14:05" << -1;
    QTest::newRow("pc clock") << QStringList{} << "fpDateTime4_1"
                              << "03,7,26"
                              << "09:05:03" << -1;
    QTest::newRow("pc clock copy") << QStringList{} << "fpDateTime4_2"
                                   << "03,7,26"
                                   << "09:05:03" << -1;
    QTest::newRow("calibration") << QStringList{} << "cali_Time_box"
                                 << "20260601"
                                 << "09:00" << -1;
    QTest::newRow("calibration status") << QStringList{} << "fpDateTime5"
                                        << "20260601"
                                        << "09:00" << -1;
    QTest::newRow("run start") << QStringList{} << "fpDateTimeRunstart"
                               << "20261205"
                               << "08:30" << 1;
    QTest::newRow("run start not activated")
        << QStringList{"startMinute=55", "startHour=55"} << "fpDateTimeRunstart"
        << "20030101"
        << "00:00" << 0;
    QTest::newRow("run stop") << QStringList{} << "fpDateTimeRunstop"
                              << "20261205"
                              << "16:00" << 1;
    QTest::newRow("run stop not activated")
        << QStringList{"stopMinute=55", "stopHour=55"} << "fpDateTimeRunstop"
        << "20030101"
        << "00:00" << 0;
    QTest::newRow("break1 start") << QStringList{} << "DBREAK1START" << none << "10:00" << 1;
    QTest::newRow("break1 stop") << QStringList{} << "DBREAK1STOP" << none << "10:15" << 1;
    QTest::newRow("break1 cleared") << QStringList{"b1StartMinute=55", "b1StartHour=55"}
                                    << "DBREAK1STOP" << none << "12:00:00.00" << 0;
    QTest::newRow("break2 from its own fields")
        << QStringList{} << "DBREAK2STOP" << none << "14:15" << 1;
    QTest::newRow("lunch from its own fields")
        << QStringList{} << "DLUNCHSTOP" << none << "12:30" << 1;
    QTest::newRow("lunch stop 55:55 passed on")
        << QStringList{"lunchStopMinute=55", "lunchStopHour=55"} << "DLUNCHSTOP" << none << "55:55"
        << 1;
}

void TestStatusDecoder::pickers() {
    QFETCH(QStringList, fields);
    QFETCH(QString, element);
    QFETCH(QString, date);
    QFETCH(QString, time);
    QFETCH(int, shown);
    const UiChanges c = decode(statusLine(fields));
    QCOMPARE(c.date.contains(element), !date.isNull());
    QCOMPARE(c.date.value(element), date);
    QCOMPARE(c.time.value(element), time);
    QCOMPARE(c.visible.contains(element), shown >= 0);
    if (shown >= 0)
        QCOMPARE(c.visible.value(element), shown == 1);
}

void TestStatusDecoder::runState_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("running"); // 1 run mode, 0 not, -1 nothing written
    QTest::newRow("400 not running") << "0400" << 0;
    QTest::newRow("401 running") << "0401" << 1;
    QTest::newRow("blank padded") << " 401" << 1;
    QTest::newRow("zero") << "0000" << 0;
    QTest::newRow("negative") << "-500" << 0;
    QTest::newRow("garbled") << "04x1" << -1;
    QTest::newRow("blank") << "    " << -1;
}

void TestStatusDecoder::runState() {
    QFETCH(QString, code);
    QFETCH(int, running);
    const UiChanges c = decode(statusLine({QStringLiteral("runState=") + code}));
    if (running < 0) {
        QVERIFY(!c.visible.contains(QStringLiteral("Frame2")));
        QVERIFY(!c.enabled.contains(QStringLiteral("CommandButton4")));
        return;
    }
    const bool run = running == 1;
    for (const char* group : {"Frame2", "Frame_RUNUP", "Frame_Rundown"})
        QCOMPARE(c.visible.value(QLatin1String(group)), run);
    QCOMPARE(c.visible.value(QStringLiteral("Label27")), !run);
    QCOMPARE(c.enabled.value(QStringLiteral("CommandButton4")), !run);
    QCOMPARE(c.tooltip.value(QStringLiteral("CommandButton4")),
             run ? QStringLiteral("Pump cann't be in RUN Mode")
                 : QStringLiteral("Clear all data in pump"));
}

void TestStatusDecoder::sharedValues() {
    AppState state;
    state.SavedLogCount = 7;
    UiChanges c = decode(state, statusLine({"serial=KST 0042", "logCount=123"}));
    QCOMPARE(state.serialNumber, QStringLiteral("KST 0042"));
    QCOMPARE(state.LastSerialNumber, QStringLiteral("KST 0042"));
    QCOMPARE(state.logCount, QStringLiteral("123"));
    QCOMPARE(state.SavedLogCount, 123);
    QCOMPARE(c.values.value(QStringLiteral("serialNumber")), QStringLiteral("KST 0042"));
    QCOMPARE(c.values.value(QStringLiteral("logCount")), QStringLiteral("123"));
    QCOMPARE(c.enabled.value(QStringLiteral("CommandButton7")), true);
    for (const char* name : {"Frame7", "frmTimingR_1", "Frame3", "Frame_STPVOL", "Label3_0"})
        QVERIFY2(c.visible.value(QLatin1String(name)), name);

    // A garbled count is kept as sent; the number of logs to expect stays.
    c = decode(state, statusLine({"logCount=1?3"}));
    QCOMPARE(state.logCount, QStringLiteral("1?3"));
    QCOMPARE(state.SavedLogCount, 123);

    // A line that ends before the serial number leaves an empty serial, which
    // the poll reads as no answer from a pump.
    decode(state, statusLine().left(100));
    QCOMPARE(state.LastSerialNumber, QString());
}

QTEST_GUILESS_MAIN(TestStatusDecoder)
#include "test_statusdecoder.moc"
