// The simulated pump seen from the wire: what each command does to the next
// reports, where every field of a report stands, the history dump's layout,
// run mode, and the faults it can be told to make.
#include "sim/simpump.h"

#include <QRegularExpression>
#include <QSet>
#include <QTest>

Q_DECLARE_METATYPE(SimPumpFaults)

namespace {
const QDateTime kStart(QDate(2026, 12, 6), QTime(14, 5, 30));

// A pump on a hand-turned clock.
struct Bench {
    QDateTime now = kStart;
    SimPump pump;
    explicit Bench(SimPumpOptions o = {}) : pump(std::move(o), [this] { return now; }) {}

    // Writes commands (CR added to each) and returns the reply lines.
    QList<QByteArray> send(const QList<QByteArray>& commands) {
        QByteArray wire;
        for (const QByteArray& c : commands)
            wire += c + '\r';
        pump.write(wire);
        QList<QByteArray> lines = pump.read().split('\n');
        for (QByteArray& l : lines)
            if (l.endsWith('\r'))
                l.chop(1);
        lines.removeAll(QByteArray());
        return lines;
    }
    QByteArray reply(const QByteArray& command) {
        const QList<QByteArray> lines = send({command});
        return lines.isEmpty() ? QByteArray() : lines.last();
    }
};

QByteArray at(const QByteArray& line, int position, int width) {
    return line.mid(position - 1, width);
}
} // namespace

class TestSimPump : public QObject {
    Q_OBJECT
private slots:
    void statusField_data();
    void statusField();
    void commandEffect_data();
    void commandEffect();
    void stateLineOnlyWhenChanged();
    void historyLayout_data();
    void historyLayout();
    void logCountMatchesDump_data();
    void logCountMatchesDump();
    void runModeAfterProgram_data();
    void runModeAfterProgram();
    void powerOffSilencesUntilOn();
    void clearAllRefusedWhileRunning();
    void faults_data();
    void faults();
    void disconnectMidDownload();
    void hostileInput();
};

void TestSimPump::statusField_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("pattern");
    // Fixed values where the start state fixes them; shapes where they move.
    QTest::newRow("code") << 1 << 3 << "R99";
    QTest::newRow("board hours") << 5 << 4 << "1234";
    QTest::newRow("board minutes") << 10 << 2 << "56";
    QTest::newRow("motor hours") << 13 << 4 << "0987";
    QTest::newRow("motor minutes") << 18 << 2 << "12";
    QTest::newRow("barometric") << 21 << 5 << "\\d\\d\\.\\d\\d";
    QTest::newRow("differential idle") << 27 << 5 << "00\\.00";
    QTest::newRow("flow setting") << 34 << 6 << "002000";
    QTest::newRow("volumetric idle") << 40 << 6 << "000000";
    QTest::newRow("stp flow idle") << 47 << 6 << "000000";
    QTest::newRow("volume") << 54 << 8 << "0000\\.000";
    QTest::newRow("stp volume") << 63 << 8 << "0000\\.000";
    QTest::newRow("type") << 72 << 2 << "29";
    QTest::newRow("clock minute") << 75 << 2 << "05";
    QTest::newRow("clock hour") << 78 << 2 << "14";
    QTest::newRow("clock day") << 81 << 2 << "06";
    QTest::newRow("clock month") << 84 << 2 << "12";
    QTest::newRow("clock year") << 87 << 2 << "26";
    QTest::newRow("sample hours") << 90 << 3 << "000";
    QTest::newRow("sample minutes") << 94 << 2 << "00";
    QTest::newRow("battery") << 97 << 3 << "092";
    QTest::newRow("temperature") << 101 << 3 << "0[6-7]\\d";
    QTest::newRow("log rate") << 105 << 2 << "15";
    QTest::newRow("firmware") << 108 << 4 << "3.10";
    QTest::newRow("log count") << 113 << 3 << "017";
    QTest::newRow("serial") << 117 << 8 << "AB123456";
    QTest::newRow("battery left hours") << 126 << 2 << "99";
    QTest::newRow("battery left minutes") << 129 << 2 << "\\d\\d";
    QTest::newRow("average temperature n/a") << 132 << 3 << "255";
    QTest::newRow("log capacity") << 136 << 3 << "002";
    QTest::newRow("calibration minute") << 140 << 2 << "30";
    QTest::newRow("calibration hour") << 143 << 2 << "09";
    QTest::newRow("calibration day") << 146 << 2 << "02";
    QTest::newRow("calibration month") << 149 << 2 << "11";
    QTest::newRow("calibration year") << 152 << 2 << "26";
    QTest::newRow("calibration flow") << 155 << 6 << "002000";
    for (int pos : {162, 165, 168, 171, 174})
        QTest::newRow(qPrintable(QStringLiteral("start unset %1").arg(pos))) << pos << 2 << "55";
    for (int pos : {177, 180, 183, 186, 189})
        QTest::newRow(qPrintable(QStringLiteral("stop unset %1").arg(pos))) << pos << 2 << "55";
    for (int pos = 192; pos <= 225; pos += 3)
        QTest::newRow(qPrintable(QStringLiteral("pause unset %1").arg(pos))) << pos << 2 << "55";
    QTest::newRow("run state idle") << 228 << 4 << "0100";
}

void TestSimPump::statusField() {
    QFETCH(int, position);
    QFETCH(int, width);
    QFETCH(QString, pattern);
    SimPumpOptions o;
    o.model = "29";
    o.serial = "AB123456";
    o.firmware = "3.10";
    o.records = 17;
    Bench b(o);
    const QByteArray line = b.reply("R99");
    QCOMPARE(line.size(), SimPump::kStatusLength);
    const QString field = QString::fromLatin1(at(line, position, width));
    QVERIFY2(
        QRegularExpression(QRegularExpression::anchoredPattern(pattern)).match(field).hasMatch(),
        qPrintable(field));
}

void TestSimPump::commandEffect_data() {
    QTest::addColumn<QList<QByteArray>>("commands");
    QTest::addColumn<QByteArray>("report"); // "R99", "Z99" or "P01"
    QTest::addColumn<int>("position");
    QTest::addColumn<QByteArray>("expected");
    using L = QList<QByteArray>;
    QTest::newRow("G01 timing on") << L{"G01"} << QByteArray("Z99") << 5 << QByteArray("1");
    QTest::newRow("Y01 timing off") << L{"G01", "Y01"} << QByteArray("Z99") << 5 << QByteArray("0");
    QTest::newRow("english G03 G02")
        << L{"Y02", "Y03", "G03", "G02"} << QByteArray("Z99") << 7 << QByteArray("0");
    QTest::newRow("metric Y02 Y03") << L{"Y02", "Y03"} << QByteArray("Z99") << 7 << QByteArray("1");
    QTest::newRow("metric Y03 shows at 9")
        << L{"Y02", "Y03"} << QByteArray("Z99") << 9 << QByteArray("1");
    QTest::newRow("Y04 flow fault off") << L{"Y04"} << QByteArray("Z99") << 11 << QByteArray("0");
    QTest::newRow("G04 flow fault on")
        << L{"Y04", "G04"} << QByteArray("Z99") << 11 << QByteArray("1");
    QTest::newRow("Y04 in pump state") << L{"Y04"} << QByteArray("P01") << 9 << QByteArray("0");
    QTest::newRow("G05 mode") << L{"G05"} << QByteArray("Z99") << 13 << QByteArray("1");
    QTest::newRow("Y05 flow mode") << L{"G05", "Y05"} << QByteArray("Z99") << 13 << QByteArray("0");
    QTest::newRow("G07 armed") << L{"G07"} << QByteArray("Z99") << 19 << QByteArray("1");
    QTest::newRow("G09 password on") << L{"G09"} << QByteArray("Z99") << 21 << QByteArray("1");
    QTest::newRow("G09 in pump state") << L{"G09"} << QByteArray("P01") << 7 << QByteArray("1");
    QTest::newRow("Y09 password off")
        << L{"G09", "Y09"} << QByteArray("Z99") << 21 << QByteArray("0");
    QTest::newRow("G10 duration") << L{"G10"} << QByteArray("Z99") << 23 << QByteArray("1");
    QTest::newRow("Y10 start/stop")
        << L{"G10", "Y10"} << QByteArray("Z99") << 23 << QByteArray("0");
    QTest::newRow("Y11 screens off") << L{"Y11"} << QByteArray("Z99") << 25 << QByteArray("0");
    QTest::newRow("Y11 in pump state") << L{"Y11"} << QByteArray("P01") << 79 << QByteArray("0");
    QTest::newRow("G11 screens on")
        << L{"Y11", "G11"} << QByteArray("Z99") << 25 << QByteArray("1");
    QTest::newRow("G13 stp") << L{"G13"} << QByteArray("Z99") << 29 << QByteArray("1");
    QTest::newRow("G13 in pump state") << L{"G13"} << QByteArray("P01") << 81 << QByteArray("1");
    QTest::newRow("Y13 volumetric")
        << L{"G13", "Y13"} << QByteArray("Z99") << 29 << QByteArray("0");
    QTest::newRow("W04 target flow")
        << L{"W04 2500"} << QByteArray("R99") << 34 << QByteArray("002500");
    QTest::newRow("W04 in pump state")
        << L{"W04 2500"} << QByteArray("P01") << 33 << QByteArray("002500");
    QTest::newRow("W04 above range kept")
        << L{"W04 9000"} << QByteArray("R99") << 34 << QByteArray("002000");
    QTest::newRow("W04 below range kept")
        << L{"W04 799"} << QByteArray("R99") << 34 << QByteArray("002000");
    QTest::newRow("W04 not a number kept")
        << L{"W04 2k"} << QByteArray("R99") << 34 << QByteArray("002000");
    QTest::newRow("W06 log rate") << L{"W06 5", "UPDATE_LOGTYPE "} << QByteArray("R99") << 105
                                  << QByteArray("05");
    QTest::newRow("W06 zero kept") << L{"W06 0"} << QByteArray("R99") << 105 << QByteArray("15");
    QTest::newRow("W16 + UPDATE_SYS_TIME")
        << L{"W16 59 23 31 12 08", "UPDATE_SYS_TIME"} << QByteArray("R99") << 75
        << QByteArray("59 23 31 12 08");
    QTest::newRow("W16 alone waits")
        << L{"W16 59 23 31 12 08"} << QByteArray("R99") << 75 << QByteArray("05 14 06 12 26");
    QTest::newRow("W16 impossible date") << L{"W16 00 10 31 02 27", "UPDATE_SYS_TIME"}
                                         << QByteArray("R99") << 75 << QByteArray("05 14 06 12 26");
    const L program = {"W17 30 08 07 12 26", "W18 00 17 07 12 26", "G12"};
    QTest::newRow("W17 G12 start")
        << program << QByteArray("R99") << 162 << QByteArray("30 08 07 12 26");
    QTest::newRow("W18 G12 stop") << program << QByteArray("R99") << 177
                                  << QByteArray("00 17 07 12 26");
    QTest::newRow("start in pump state")
        << program << QByteArray("P01") << 40 << QByteArray("30 08 07 12 26");
    QTest::newRow("stop in pump state")
        << program << QByteArray("P01") << 55 << QByteArray("00 17 07 12 26");
    QTest::newRow("W17 without G12 waits")
        << L{"W17 30 08 07 12 26"} << QByteArray("R99") << 162 << QByteArray("55 55 55 55 55");
    QTest::newRow("Y12 not in use") << L{"W17 30 08 07 12 26",
                                         "W18 00 17 07 12 26",
                                         "G12",
                                         "W17 255 255 255 255 255",
                                         "W18 255 255 255 255 255",
                                         "Y12",
                                         "G12"}
                                    << QByteArray("R99") << 162 << QByteArray("55 55 55 55 55");
    QTest::newRow("W23 break 1") << L{"W23 15 10 30 10", "G12"} << QByteArray("R99") << 192
                                 << QByteArray("15 10 30 10");
    QTest::newRow("W24 break 2") << L{"W24 00 15 15 15", "G12"} << QByteArray("R99") << 204
                                 << QByteArray("00 15 15 15");
    QTest::newRow("W25 lunch") << L{"W25 00 12 30 12", "G12"} << QByteArray("R99") << 216
                               << QByteArray("00 12 30 12");
    QTest::newRow("W23 not in use") << L{"W23 15 10 30 10", "G12", "W23 255 255 255 255 255", "G12"}
                                    << QByteArray("R99") << 192 << QByteArray("55 55 55 55");
    QTest::newRow("W19 8 hours") << L{"W19 2048", "G10"} << QByteArray("P01") << 70
                                 << QByteArray("008:00");
    QTest::newRow("W19 1:30") << L{"W19 286"} << QByteArray("P01") << 70 << QByteArray("001:30");
    QTest::newRow("W19 as the pump shows it")
        << L{"W19 012:45"} << QByteArray("P01") << 70 << QByteArray("012:45");
    QTest::newRow("W19 not in use")
        << L{"W19 286", "W19 255 255", "Y10"} << QByteArray("P01") << 70 << QByteArray("255:55");
    QTest::newRow("LOG_INIT count")
        << L{"LOG_INIT"} << QByteArray("R99") << 113 << QByteArray("000");
    QTest::newRow("LOG_INIT capacity")
        << L{"LOG_INIT"} << QByteArray("R99") << 136 << QByteArray("000");
    QTest::newRow("CLEAR_ALL adds a record")
        << L{"CLEAR_ALL"} << QByteArray("R99") << 113 << QByteArray("041");
    QTest::newRow("RUN_CLEAR accepted")
        << L{"RUN_CLEAR"} << QByteArray("R99") << 113 << QByteArray("040");
    QTest::newRow("unknown command ignored")
        << L{"X42"} << QByteArray("Z99") << 5 << QByteArray("0");
    QTest::newRow("lower case ignored") << L{"g09"} << QByteArray("Z99") << 21 << QByteArray("0");
}

void TestSimPump::commandEffect() {
    QFETCH(QList<QByteArray>, commands);
    QFETCH(QByteArray, report);
    QFETCH(int, position);
    QFETCH(QByteArray, expected);
    Bench b;
    b.send(commands);
    QByteArray line;
    if (report == "P01")
        line = b.pump.pumpStateLine();
    else
        line = b.reply(report);
    QVERIFY2(line.startsWith(report), line.constData());
    QCOMPARE(at(line, position, expected.size()), expected);
}

void TestSimPump::stateLineOnlyWhenChanged() {
    Bench b;
    const QList<QByteArray> first = b.send({"G09"});
    QCOMPARE(first.size(), 1);
    QVERIFY(first.at(0).startsWith("P01"));
    QCOMPARE(at(first.at(0), 7, 1), QByteArray("1"));
    QCOMPARE(first.at(0).size(), 81);
    QVERIFY(b.send({"G09"}).isEmpty()); // nothing changed
    QVERIFY(b.send({"Y03"}).isEmpty()); // units are not on the pump-state line
    QCOMPARE(b.send({"W04 3000", "W04 3000"}).size(), 1);
}

// Positions of each kind of history line, as Corvane's log table reads them.
void TestSimPump::historyLayout_data() {
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<int>("titleLength");
    QTest::addColumn<int>("datePosition");
    QTest::addColumn<int>("dateWidth");
    QTest::addColumn<int>("batteryPosition");      // full records; 0 otherwise
    QTest::addColumn<QList<int>>("sixCharFields"); // other six-character fields
    const QList<int> none;
    auto row = [](const char* key, int title, int date, int dateWidth, int battery,
                  QList<int> six) {
        QTest::newRow(key) << QByteArray(key) << title << date << dateWidth << battery << six;
    };
    row("Run Upda", 10, 12, 16, 29, none);
    row("Log Init", 8, 10, 16, 0, none);
    row("Low Batt", 11, 13, 16, 0, none);
    row("Power On", 8, 10, 16, 0, none);
    row("Power Of", 9, 11, 16, 0, none);
    row("Clear Da", 10, 12, 16, 0, none);
    row("Calibrat", 11, 13, 16, 0, {30});
    row("Start Sa", 14, 16, 17, 0, none);
    row("User Hol", 9, 11, 16, 28, none);
    row("No Flow,", 7, 9, 16, 26, none);
    row("Change T", 11, 13, 16, 0, none);
    row("Change F", 11, 13, 16, 0, none);
    row("Change D", 11, 13, 16, 0, none);
    row("Change R", 11, 13, 16, 0, {30});
    row("Pump Pro", 12, 14, 16, 31, none);
    row("Event En", 9, 11, 16, 0, none);
    row("Break1 B", 12, 14, 16, 0, none);
    row("Lunch Be", 11, 13, 16, 0, none);
    row("Break2 B", 12, 14, 16, 0, none);
    row("Duty Beg", 10, 13, 16, 0, none);
    row("Stop Sam", 13, 15, 16, 0, none);
    row("Trimauto", 22, 24, 16, 0, {41, 48});
    row("Verify C", 16, 18, 16, 0, {35, 42});
    row("Verify F", 11, 13, 16, 0, {30});
    row("5% Shut ", 12, 14, 16, 31, none);
    row("Filter O", 10, 12, 16, 29, none);
    row("Program ", 17, 19, 16, 0, {36, 43});
}

void TestSimPump::historyLayout() {
    QFETCH(QByteArray, key);
    QFETCH(int, titleLength);
    QFETCH(int, datePosition);
    QFETCH(int, dateWidth);
    QFETCH(int, batteryPosition);
    QFETCH(QList<int>, sixCharFields);
    SimPumpOptions o;
    o.records = 80; // more than one pass through every kind
    Bench b(o);
    const QList<QByteArray> lines = b.send({"PRINTLOG"});
    const QRegularExpression stamp(QStringLiteral("^\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d"));
    int seen = 0;
    for (const QByteArray& line : lines) {
        if (!line.startsWith(key))
            continue;
        ++seen;
        QVERIFY(line.left(titleLength).startsWith(key.left(std::min(8, titleLength))));
        QCOMPARE(line.at(datePosition - 2), ',');
        const QByteArray date = at(line, datePosition, dateWidth);
        QCOMPARE(date.size(), dateWidth);
        QVERIFY2(stamp.match(QString::fromLatin1(date)).hasMatch(), line.constData());
        if (batteryPosition > 0) {
            const int b0 = batteryPosition;
            const struct {
                int offset, width;
                const char* shape;
            } fields[] = {{0, 3, "\\d{3}"},           {4, 3, "\\d{3}"},
                          {8, 5, "\\d\\d\\.\\d\\d"},  {14, 5, "\\d\\d\\.\\d\\d"},
                          {20, 5, "\\d{5}"},          {26, 6, "\\d{6}"},
                          {33, 8, "\\d{4}\\.\\d{3}"}, {42, 9, "\\d{5}\\.\\d{3}"}};
            for (const auto& f : fields) {
                QCOMPARE(line.at(b0 + f.offset - 2), ',');
                const QString v = QString::fromLatin1(at(line, b0 + f.offset, f.width));
                QVERIFY2(QRegularExpression(
                             QRegularExpression::anchoredPattern(QString::fromLatin1(f.shape)))
                             .match(v)
                             .hasMatch(),
                         qPrintable(QString::fromLatin1(line) + " field " + v));
            }
            QCOMPARE(line.size(), b0 + 50); // nothing after the STP volume
        }
        for (int pos : sixCharFields) {
            QCOMPARE(line.at(pos - 2), ',');
            QCOMPARE(at(line, pos, 6).size(), 6);
            QVERIFY(!at(line, pos, 6).contains(','));
        }
        if (key == "Start Sa")
            QVERIFY(line.endsWith(','));
    }
    QVERIFY2(seen >= 1, "kind never printed");
}

void TestSimPump::logCountMatchesDump_data() {
    QTest::addColumn<int>("records");
    QTest::newRow("none") << 0;
    QTest::newRow("one") << 1;
    QTest::newRow("forty") << 40;
    QTest::newRow("full memory") << 999;
    QTest::newRow("more than fits") << 1500;
}

void TestSimPump::logCountMatchesDump() {
    QFETCH(int, records);
    SimPumpOptions o;
    o.records = records;
    Bench b(o);
    const int held = std::min(records, SimPump::kMaxRecords);
    QCOMPARE(at(b.reply("R99"), 113, 3).toInt(), held);
    const QList<QByteArray> lines = b.send({"PRINTLOG"});
    QVERIFY(lines.first().startsWith("PRI"));
    QVERIFY(lines.at(1).startsWith("LogType,"));
    QCOMPARE(lines.last(), QByteArray("Done ok"));
    QCOMPARE(lines.size(), held + 3);
    // No record could end the capture early or be taken for another reply.
    for (int i = 2; i < lines.size() - 1; ++i) {
        const QByteArray& l = lines.at(i);
        QVERIFY(!l.startsWith("ok ") && !l.startsWith(" ok") && !l.startsWith("PRI") &&
                !l.startsWith("R99") && !l.startsWith("Z99") && !l.startsWith("P01"));
    }
}

void TestSimPump::runModeAfterProgram_data() {
    QTest::addColumn<QList<QByteArray>>("program");
    QTest::addColumn<int>("waitMinutes"); // after switching on
    QTest::addColumn<int>("stateAfterWait");
    QTest::addColumn<int>("stateLater"); // another 90 minutes on
    using L = QList<QByteArray>;
    QTest::newRow("no timing: runs at once")
        << L{"Y01", "G07"} << 0 << SimPump::kStateRunning << SimPump::kStateRunning;
    QTest::newRow("duration 1h") << L{"G01", "W19 256", "G10", "G07"} << 0 << SimPump::kStateRunning
                                 << SimPump::kStateIdle;
    QTest::newRow("start/stop waits for start")
        << L{"G01", "Y10", "W17 00 15 06 12 26", "W18 00 16 06 12 26", "G12", "G07"} << 0
        << SimPump::kStateWaiting << SimPump::kStateRunning;
    QTest::newRow("start/stop runs then stops")
        << L{"G01", "Y10", "W17 00 15 06 12 26", "W18 00 16 06 12 26", "G12", "G07"} << 60
        << SimPump::kStateRunning << SimPump::kStateIdle;
    QTest::newRow("not programmed stays idle")
        << L{"G01"} << 0 << SimPump::kStateIdle << SimPump::kStateIdle;
}

void TestSimPump::runModeAfterProgram() {
    QFETCH(QList<QByteArray>, program);
    QFETCH(int, waitMinutes);
    QFETCH(int, stateAfterWait);
    QFETCH(int, stateLater);
    Bench b;
    b.send(program);
    const int before = int(b.pump.records().size());
    b.send({"POWER_OFF "});
    b.now = b.now.addSecs(6 + waitMinutes * 60); // switched on again after 5 s
    const QByteArray r = b.reply("R99");
    QCOMPARE(at(r, 228, 4).toInt(), stateAfterWait);
    QVERIFY(b.pump.records().size() >= before + 2); // Power Off, Power On
    b.now = b.now.addSecs(90 * 60);
    const QByteArray later = b.reply("R99");
    QCOMPARE(at(later, 228, 4).toInt(), stateLater);
    if (stateAfterWait == SimPump::kStateRunning || stateLater == SimPump::kStateRunning) {
        // Sampling shows: flow near the target, volume grown, run updates logged.
        QVERIFY(at(later, 54, 8).toDouble() > 0);
        QVERIFY(at(later, 90, 3).toInt() + at(later, 94, 2).toInt() > 0);
        int updates = 0;
        for (const SimRecord& rec : b.pump.records())
            updates += rec.kind == SimRecord::RunUpdate && rec.when > kStart;
        QVERIFY(updates >= 1);
        QCOMPARE(at(later, 113, 3).toInt(), int(b.pump.records().size()));
    }
    if (stateLater == SimPump::kStateRunning) {
        QVERIFY(qAbs(at(later, 40, 6).toInt() - 2000) <= 20);
        QCOMPARE(at(b.reply("Z99"), 17, 1), QByteArray("1")); // programming locked
    }
}

void TestSimPump::powerOffSilencesUntilOn() {
    SimPumpOptions o;
    o.powerOffMs = 0; // stays off until switched on by hand
    Bench b(o);
    QVERIFY(b.send({"POWER_OFF ", "R99"}).isEmpty());
    b.now = b.now.addSecs(3600);
    QVERIFY(b.send({"R99", "Z99"}).isEmpty());
    QVERIFY(!b.pump.poweredOn());
    b.pump.powerOn();
    QVERIFY(b.reply("R99").startsWith("R99"));
    QCOMPARE(b.pump.records().last().kind, SimRecord::PowerOn);
}

void TestSimPump::clearAllRefusedWhileRunning() {
    SimPumpOptions o;
    o.running = true;
    Bench b(o);
    b.now = b.now.addSecs(30 * 60);
    const QByteArray before = b.reply("R99");
    QVERIFY(at(before, 54, 8).toDouble() > 50); // 30 minutes at 2 l/min
    QVERIFY(at(before, 132, 3) != "255");       // an average exists
    b.send({"CLEAR_ALL"});
    QCOMPARE(at(b.reply("R99"), 54, 8), at(before, 54, 8));
    b.send({"POWER_OFF "});
    b.now = b.now.addSecs(10);
    b.send({"CLEAR_ALL"});
    const QByteArray after = b.reply("R99");
    QCOMPARE(at(after, 54, 8), QByteArray("0000.000"));
    QCOMPARE(at(after, 132, 3), QByteArray("255"));
}

void TestSimPump::faults_data() {
    QTest::addColumn<SimPumpFaults>("faults");
    QTest::addColumn<QByteArray>("expectedLengths"); // of the R99 lines, "x" for missing
    SimPumpFaults f;
    f.silentAfterLines = 2;
    QTest::newRow("silent after 2") << f << QByteArray("231 231 x x");
    f = {};
    f.truncateStatusEvery = 2;
    f.truncateStatusTo = 100;
    QTest::newRow("every 2nd cut") << f << QByteArray("231 100 231 100");
    f = {};
    f.logCountSkew = 3;
    QTest::newRow("stale count keeps length") << f << QByteArray("231 231 231 231");
}

void TestSimPump::faults() {
    QFETCH(SimPumpFaults, faults);
    QFETCH(QByteArray, expectedLengths);
    SimPumpOptions o;
    o.faults = faults;
    Bench b(o);
    QByteArrayList got;
    for (int i = 0; i < 4; ++i) {
        const QByteArray r = b.reply("R99");
        got << (r.isEmpty() ? QByteArray("x") : QByteArray::number(r.size()));
    }
    QCOMPARE(got.join(' '), expectedLengths);
}

void TestSimPump::disconnectMidDownload() {
    SimPumpOptions o;
    o.records = 10;
    o.faults.disconnectAfterRecords = 3;
    Bench b(o);
    b.pump.write("PRINTLOG\r");
    QVERIFY(!b.pump.takeDisconnect()); // not before the bytes are out
    const QByteArray out = b.pump.read(40);
    QVERIFY(!b.pump.takeDisconnect());
    const QByteArray rest = out + b.pump.read();
    QVERIFY(b.pump.takeDisconnect());
    QVERIFY(!b.pump.takeDisconnect());   // once
    QCOMPARE(rest.count("\r\n"), 2 + 3); // PRI, title, three records
    QVERIFY(!rest.endsWith("\r\n"));     // cut inside the fourth
    QVERIFY(!rest.contains("Done ok"));
    // Plugged in again, the next download is whole.
    b.pump.write("PRINTLOG\r");
    QVERIFY(b.pump.read().endsWith("Done ok\r\n"));
}

void TestSimPump::hostileInput() {
    Bench b;
    // A command longer than any the pump knows is dropped up to its CR.
    b.pump.write(QByteArray(100000, 'G'));
    b.pump.write("09\r");
    QCOMPARE(at(b.reply("Z99"), 21, 1), QByteArray("0"));
    // Control characters and high bytes around a command are not part of it.
    b.pump.write(QByteArray("\x01G\x7f\xff"
                            "09\n\r"));
    QCOMPARE(at(b.reply("Z99"), 21, 1), QByteArray("1"));
    // Random bytes: no crash, and the pump answers afterwards.
    QRandomGenerator rng(7);
    for (int i = 0; i < 200; ++i) {
        QByteArray junk(64, '\0');
        for (char& c : junk)
            c = char(rng.bounded(256));
        b.pump.write(junk);
        b.pump.read();
    }
    b.pump.write("\r"); // end whatever the junk left unfinished
    QVERIFY(b.reply("R99").startsWith("R99"));
    // Garbage and end-of-file faults sit between whole lines.
    SimPumpOptions o;
    o.faults.garbageEveryLines = 1;
    o.faults.eofAfterLines = 1;
    Bench g(o);
    g.pump.write("R99\rZ99\r");
    const QByteArray raw = g.pump.read();
    QCOMPARE(raw.count('\x1a'), 1);
    QByteArrayList printable;
    QByteArray cur;
    for (char c : raw) {
        if (c == '\r') {
            printable << cur;
            cur.clear();
        } else if (uchar(c) >= 32 && uchar(c) < 127) {
            cur += c;
        }
    }
    int whole = 0;
    for (const QByteArray& l : printable)
        whole += (l.startsWith("R99") && l.size() == SimPump::kStatusLength) ||
                 (l.startsWith("Z99") && l.size() == 29);
    QCOMPARE(whole, 2);
    QVERIFY(printable.size() >= 4); // two junk lines besides the replies
}

QTEST_GUILESS_MAIN(TestSimPump)
#include "test_simpump.moc"
