// The setup report ("Z99") and the pump-state line ("P01"): flags, captions,
// colours, enabling, and where a garbled or short line stops the decode.
#include "status/setupdecoder.h"
#include "statuslines.h"

#include <QTest>
#include <utility>
#include <vector>

namespace {

using Places = std::vector<std::pair<int, QString>>;

QString place(QString line, const Places& at) {
    for (const auto& [position, text] : at) {
        if (line.size() < position - 1 + text.size())
            line.resize(position - 1 + text.size(), QLatin1Char(' '));
        line.replace(position - 1, text.size(), text);
    }
    return line;
}

// Timing on in Duration mode, English, flow fault on, "Program Pump" enabled,
// password on, start-up screens on, volumetric flow.
QString z99(const Places& changes = {}, int length = 29) {
    const QString base = TestLines::flagLine(QStringLiteral("Z99"), 29,
                                             {{5, "1"},
                                              {7, "0"},
                                              {9, "0"},
                                              {11, "1"},
                                              {17, "0"},
                                              {21, "1"},
                                              {23, "1"},
                                              {25, "1"},
                                              {29, "0"}});
    return place(base, changes).left(length);
}

// A pump-state line: password on, flow fault on, 2500 cc/min, start 08:30 on
// 2026-12-05, stop 16:00 the same day, duration 012:30, screens on, volumetric.
QString p01(const Places& changes = {}, int length = 81) {
    const QString base = TestLines::flagLine(QStringLiteral("P01"), 81,
                                             {{7, "1"},
                                              {9, "1"},
                                              {33, "002500"},
                                              {40, "30"},
                                              {43, "08"},
                                              {46, "05"},
                                              {49, "12"},
                                              {52, "26"},
                                              {55, "00"},
                                              {58, "16"},
                                              {61, "05"},
                                              {64, "12"},
                                              {67, "26"},
                                              {70, "012"},
                                              {74, "30"},
                                              {79, "1"},
                                              {81, "0"}});
    return place(base, changes).left(length);
}

UiChanges setup(AppState& state, const QString& line) {
    state.LastLine = line;
    return decodeSetupReport(state);
}

UiChanges pumpState(AppState& state, const QString& line) {
    state.LastLine = line;
    state.PumpStateLine = line;
    return pumpStatSub(state);
}

QStringList sortedKeys(const QMap<QString, QString>& m) {
    return m.keys();
}

} // namespace

class TestSetupDecoder : public QObject {
    Q_OBJECT
private slots:
    void setupAllSet();
    void setupTimingOff();
    void setupValues_data();
    void setupValues();
    void setupStops_data();
    void setupStops();
    void pumpStateLine();
    void pumpStateStops_data();
    void pumpStateStops();
};

void TestSetupDecoder::setupAllSet() {
    AppState state;
    state.UnitsFlag = 1;
    const UiChanges c = setup(state, z99());
    const QMap<QString, QString> expected{
        {"Label1_6", "Timing Routines are: Activated    "},
        {"Label47", "Timing Routines are: Activated"},
        {"Label1_4", "Unit Of Measurement: English"},
        {"Label48", "Unit Of Measurement: English"},
        {"Label1_5", "Flow Fault is: Activated       "},
        {"Label45", "Flow Fault is: Activated       "},
        {"Label1_3", "Password is: On"},
        {"Label44", "Password is: On"},
        {"Label_COUNTDOWNFLAG", "Duration"},
        {"Label15", "Duration"},
        {"Label1_2", "Startup Display Screens Are: On"},
        {"Label46", "Startup Display Screens Are: On"},
        {"Label3_17", "Flow Mode is: Volumetric"},
        {"Label43", "Flow Mode is: Volumetric"},
    };
    QCOMPARE(c.text, expected);
    QCOMPARE(c.visible.value(QStringLiteral("Label_COUNTDOWNFLAG")), true);
    QCOMPARE(c.visible.value(QStringLiteral("Label15")), true);
    QCOMPARE(c.enabled.value(QStringLiteral("CommandButton29")), true);
    for (const char* field :
         {"fpDateTime1", "fpDateBREAK1START", "fpDateTimeBREAK1STOP", "fpDateTime7", "fpDateTime8",
          "fpDateTime9", "fpDateTime10", "INP_STRT_Dttm"}) {
        QVERIFY2(c.enabled.contains(QLatin1String(field)), field);
        QVERIFY2(!c.enabled.value(QLatin1String(field)), field);
    }
    QCOMPARE(c.color.value(QStringLiteral("Label3_6")), QStringLiteral("#0000c0"));
    QCOMPARE(c.color.value(QStringLiteral("Label3_7")), QStringLiteral("#008000"));
    QCOMPARE(state.UnitsFlag, 0);
    QCOMPARE(state.TimingFlag, QStringLiteral("1"));
    QCOMPARE(state.DurationModeFlag, QStringLiteral("1"));
    QCOMPARE(state.FlowFaultFlag, QStringLiteral("1"));
    QCOMPARE(state.PasswordFlag, QStringLiteral("1"));
    QCOMPARE(state.StartScreensFlag, QStringLiteral("1"));
    const QMap<QString, QString> values{{"TimingFlag", "1"},       {"UnitsFlag", "0"},
                                        {"FlowFaultFlag", "1"},    {"PasswordFlag", "1"},
                                        {"DurationModeFlag", "1"}, {"StartScreensFlag", "1"}};
    QCOMPARE(c.values, values);
}

void TestSetupDecoder::setupTimingOff() {
    AppState state;
    const UiChanges c = setup(state, z99({{5, "0"}}));
    QCOMPARE(c.text.value(QStringLiteral("Label1_6")),
             QStringLiteral("Timing Routines are: Deactivated"));
    QCOMPARE(c.text.value(QStringLiteral("Label47")),
             QStringLiteral("Timing Routines are: Deactivated"));
    QCOMPARE(c.text.value(QStringLiteral("Label15")), QStringLiteral(" N/A"));
    QCOMPARE(c.visible.value(QStringLiteral("Label15"), true), false);
    QCOMPARE(c.visible.value(QStringLiteral("Label_COUNTDOWNFLAG"), true), false);
    // The timing mode is kept but shows nothing and touches no field.
    QVERIFY(!c.text.contains(QStringLiteral("Label_COUNTDOWNFLAG")));
    QCOMPARE(c.enabled.keys(), QStringList{QStringLiteral("CommandButton29")});
    QCOMPARE(state.DurationModeFlag, QStringLiteral("1"));
    QCOMPARE(c.text.value(QStringLiteral("Label43")), QStringLiteral("Flow Mode is: Volumetric"));
}

// Single flags and what they show, each on the otherwise full line.
void TestSetupDecoder::setupValues_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("flag");
    QTest::addColumn<QString>("element");
    QTest::addColumn<QString>("expected");
    QTest::newRow("metric") << 7 << "1"
                            << "Label48"
                            << "Unit Of Measurement: Metric  ";
    QTest::newRow("units 5 is metric") << 7 << "5"
                                       << "Label1_4"
                                       << "Unit Of Measurement: Metric  ";
    QTest::newRow("flow fault off") << 11 << "0"
                                    << "Label45"
                                    << "Flow Fault is: Deactivated";
    QTest::newRow("flow fault 2 is off") << 11 << "2"
                                         << "Label1_5"
                                         << "Flow Fault is: Deactivated";
    QTest::newRow("password off") << 21 << "0"
                                  << "Label1_3"
                                  << "Password is: Off";
    QTest::newRow("screens off") << 25 << "0"
                                 << "Label46"
                                 << "Startup Display Screens Are: Off";
    QTest::newRow("stp") << 29 << "1"
                         << "Label3_17"
                         << "Flow Mode is: S.T.P.     ";
    QTest::newRow("stp 9") << 29 << "9"
                           << "Label43"
                           << "Flow Mode is: S.T.P.     ";
    QTest::newRow("start/stop mode") << 23 << "0"
                                     << "Label15"
                                     << "Start/Stop";
    QTest::newRow("timing 2 is off") << 5 << "2"
                                     << "Label1_6"
                                     << "Timing Routines are: Deactivated";
    QTest::newRow("unread position 9") << 9 << "x"
                                       << "Label43"
                                       << "Flow Mode is: Volumetric";
}

void TestSetupDecoder::setupValues() {
    QFETCH(int, position);
    QFETCH(QString, flag);
    QFETCH(QString, element);
    QFETCH(QString, expected);
    AppState state;
    const UiChanges c = setup(state, z99({{position, flag}}));
    QCOMPARE(c.text.value(element), expected);
    if (position == 7) {
        QCOMPARE(state.UnitsFlag, flag.toInt());
        QCOMPARE(c.values.value(QStringLiteral("UnitsFlag")), flag);
    }
    if (position == 29 && flag != QLatin1String("0")) {
        QCOMPARE(c.color.value(QStringLiteral("Label3_7")), QStringLiteral("#0000c0"));
        QCOMPARE(c.color.value(QStringLiteral("Label3_6")), QStringLiteral("#008000"));
    }
    if (position == 23) {
        QCOMPARE(c.enabled.value(QStringLiteral("INP_STRT_Dttm")), true);
        QCOMPARE(c.enabled.value(QStringLiteral("fpDateTime1")), true);
        QVERIFY(!c.enabled.contains(QStringLiteral("fpDateTime7")));
    }
}

// A flag that is not a digit ends the line there: the captions written are
// exactly those of the steps before it.
void TestSetupDecoder::setupStops_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("written");
    QTest::addColumn<bool>("unitsRead");
    const QStringList timing{"Label1_6", "Label47"};
    const QStringList units = timing + QStringList{"Label1_4", "Label48"};
    const QStringList fault = units + QStringList{"Label1_5", "Label45"};
    const QStringList password = fault + QStringList{"Label1_3", "Label44"};
    const QStringList mode = password + QStringList{"Label15", "Label_COUNTDOWNFLAG"};
    const QStringList screens = mode + QStringList{"Label1_2", "Label46"};
    const QStringList all = screens + QStringList{"Label3_17", "Label43"};

    QTest::newRow("reply code only") << z99({}, 3) << QStringList{} << false;
    QTest::newRow("blank timing") << z99({{5, " "}}) << QStringList{} << false;
    QTest::newRow("letter units") << z99({{7, "E"}}) << timing << false;
    QTest::newRow("blank flow fault") << z99({{11, " "}}) << units << true;
    QTest::newRow("letter lock") << z99({{17, "L"}}) << fault << true;
    QTest::newRow("line ends before password") << z99({}, 20) << fault << true;
    QTest::newRow("blank mode with timing on") << z99({{23, " "}}) << password << true;
    QTest::newRow("blank mode with timing off")
        << z99({{5, "0"}, {23, " "}})
        << (password + QStringList{"Label15", "Label1_2", "Label46", "Label3_17", "Label43"})
        << true;
    QTest::newRow("line ends before screens") << z99({}, 24) << mode << true;
    QTest::newRow("line ends before flow mode") << z99({}, 28) << screens << true;
    QTest::newRow("minus flow mode") << z99({{29, "-"}}) << screens << true;
    QTest::newRow("whole line") << z99() << all << true;
}

void TestSetupDecoder::setupStops() {
    QFETCH(QString, line);
    QFETCH(QStringList, written);
    QFETCH(bool, unitsRead);
    AppState state;
    state.UnitsFlag = 3;
    const UiChanges c = setup(state, line);
    written.removeDuplicates();
    written.sort();
    QCOMPARE(sortedKeys(c.text), written);
    QCOMPARE(state.UnitsFlag, unitsRead ? 0 : 3);
    QCOMPARE(c.values.contains(QStringLiteral("UnitsFlag")), unitsRead);
    // Nothing after the stop: no colours unless the flow mode was read.
    QCOMPARE(c.color.isEmpty(), !written.contains(QStringLiteral("Label43")));
}

void TestSetupDecoder::pumpStateLine() {
    AppState state;
    const UiChanges c = pumpState(state, p01({{81, "1"}}));
    for (const char* picker : {"fpDateTime5", "fpDateTimeRunstart"}) {
        QCOMPARE(c.date.value(QLatin1String(picker)), QStringLiteral("20261205"));
        QCOMPARE(c.time.value(QLatin1String(picker)), QStringLiteral("08:30"));
    }
    const QMap<QString, QString> text{
        {"Label45", "Flow Fault is: Activated       "},
        {"Label44", "Password is: On"},
        {"Label46", "Startup Display Screens Are: On"},
        {"Label43", "Flow Mode is: S.T.P.     "},
    };
    // Only the "Setup Pump" captions: no Label1 elements, no colours, no timing display.
    QCOMPARE(c.text, text);
    QVERIFY(c.color.isEmpty());
    QVERIFY(c.enabled.isEmpty());
    QVERIFY(c.visible.isEmpty());
    const QMap<QString, QString> values{
        {"currentFlowSetting", "002500"},
        {"runStartTime", "08:30"},
        {"runStartDate", "20261205"},
        {"runStopTime", "16:00"},
        {"runStopDate", "20261205"},
        {"FlowFaultFlag", "1"},
        {"PasswordFlag", "1"},
        {"StartScreensFlag", "1"},
        {"runDuration", "012:30"},
    };
    QCOMPARE(c.values, values);
    QCOMPARE(state.currentFlowSetting, QStringLiteral("002500"));
    QCOMPARE(state.runStopDate, QStringLiteral("20261205"));
    QCOMPARE(state.runDuration, QStringLiteral("012:30"));
}

void TestSetupDecoder::pumpStateStops_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("values"); // shared values written, sorted below
    QTest::addColumn<QStringList>("written");
    const QStringList start{"currentFlowSetting", "runStartTime", "runStartDate"};
    const QStringList stop = start + QStringList{"runStopTime", "runStopDate"};
    QTest::newRow("start year garbled")
        << p01({{52, "x6"}}) << QStringList{"currentFlowSetting", "runStartTime"} << QStringList{};
    QTest::newRow("stop year blank")
        << p01({{67, "  "}}) << (start + QStringList{"runStopTime"}) << QStringList{};
    QTest::newRow("flow fault blank")
        << p01({{9, " "}}) << (stop + QStringList{"FlowFaultFlag"}) << QStringList{};
    QTest::newRow("password letter")
        << p01({{7, "Y"}}) << (stop + QStringList{"FlowFaultFlag", "PasswordFlag"})
        << QStringList{"Label45"};
    QTest::newRow("line ends before flow mode")
        << p01({}, 80) << (stop + QStringList{"FlowFaultFlag", "PasswordFlag", "StartScreensFlag"})
        << QStringList{"Label44", "Label45", "Label46"};
    QTest::newRow("year with blank is a number")
        << p01({{52, " 3"}, {67, "3 "}})
        << (stop + QStringList{"FlowFaultFlag", "PasswordFlag", "StartScreensFlag", "runDuration"})
        << QStringList{"Label43", "Label44", "Label45", "Label46"};
}

void TestSetupDecoder::pumpStateStops() {
    QFETCH(QString, line);
    QFETCH(QStringList, values);
    QFETCH(QStringList, written);
    AppState state;
    const UiChanges c = pumpState(state, line);
    values.sort();
    QCOMPARE(c.values.keys(), values);
    QCOMPARE(sortedKeys(c.text), written);
    QCOMPARE(c.date.contains(QStringLiteral("fpDateTime5")),
             values.contains(QStringLiteral("runStartDate")));
    if (values.contains(QStringLiteral("runStartDate")))
        QVERIFY(c.values.value(QStringLiteral("runStartDate")).startsWith(QLatin1String("20")));
}

QTEST_GUILESS_MAIN(TestSetupDecoder)
#include "test_setupdecoder.moc"
