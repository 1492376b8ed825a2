// The simulated pump seen from the wire: what each command does to the next
// reports, where every field of a report stands, the history dump's layout,
// run mode, and the faults it can be told to make.
#include "sim/simpump.h"

#include <QRegularExpression>
#include <QSet>
#include <QTest>

namespace {
// A quarter second past the full second, as a real clock mostly is.
const QDateTime kStart(QDate(2026, 12, 6), QTime(14, 5, 30, 250));

// A pump on a hand-turned clock.
struct Bench {
    QDateTime now = kStart;
    SimPump pump;
    explicit Bench(SimPumpOptions o = {}) : pump(std::move(o), [this] { return now; }) {}

    // Writes commands (CR added to each) and returns the reply lines.
    QList<QByteArray> send(const QList<QByteArray>& commands) {
        pump.write(commands.join('\r') + '\r');
        QList<QByteArray> lines = pump.read().replace("\r\n", "\n").split('\n');
        lines.removeAll(QByteArray());
        return lines;
    }
    QByteArray reply(const QByteArray& command) {
        return send({command}).join('\n').split('\n').last();
    }
};

QByteArray at(const QByteArray& line, int position, int width) {
    return line.mid(position - 1, width);
}
bool matches(const QByteArray& text, const QByteArray& pattern) {
    return QRegularExpression(QRegularExpression::anchoredPattern(QString::fromLatin1(pattern)))
        .match(QString::fromLatin1(text))
        .hasMatch();
}
} // namespace

class TestSimPump : public QObject {
    Q_OBJECT
private slots:
    void statusFields();
    void commandEffect_data();
    void commandEffect();
    void historyDump();
    void sampling();
    void faults();
    void hostileInput();
};

void TestSimPump::statusFields() {
    SimPumpOptions o;
    o.model = "29";
    o.serial = "AB123456";
    o.firmware = "3.10";
    o.records = 17;
    Bench b(o);
    const QByteArray line = b.reply("R99");
    QCOMPARE(line.size(), SimPump::kStatusLength);
    // POSITION/WIDTH/CONTENT, fixed where the start state fixes it.
    QByteArray fields = "1/3/R99|5/4/1234|10/2/56|13/4/0987|18/2/12|21/5/\\d\\d\\.\\d\\d|"
                        "27/5/00\\.00|34/6/002000|40/6/000000|47/6/000000|54/8/0000\\.000|"
                        "63/8/0000\\.000|72/2/29|75/14/05 14 06 12 26|90/3/000|94/2/00|97/3/092|"
                        "101/3/0[6-7]\\d|105/2/15|108/4/3\\.10|113/3/017|117/8/AB123456|126/2/99|"
                        "129/2/\\d\\d|132/3/255|136/3/002|140/14/30 09 02 11 26|155/6/002000|"
                        "228/4/0100";
    for (int pos = 162; pos <= 225; pos += 3) // start, stop and pauses not in use
        fields += '|' + QByteArray::number(pos) + "/2/55";
    for (const QByteArray& field : fields.split('|')) {
        const QList<QByteArray> f = field.split('/');
        QVERIFY2(matches(at(line, f[0].toInt(), f[1].toInt()), f[2]), field.constData());
    }
}

// A row is a script of commands, clock steps and checks, separated by ";":
// "+N" turns the clock N minutes on; COMMAND#N sends and expects N reply
// lines; REPORT@POSITION=TEXT asks for the report (P01: the pump-state line
// as it stands; LOG: the last history record) and compares. Rows with a list
// of codes run on a pump that misses those commands; rows with a model code
// on that model.
void TestSimPump::commandEffect_data() {
    QTest::addColumn<QByteArray>("ignore");
    QTest::addColumn<QByteArray>("model");
    QTest::addColumn<QByteArray>("script");
    auto row = [](const char* name, const char* script, const char* ignore = "") {
        QTest::newRow(name) << QByteArray(ignore) << QByteArray() << QByteArray(script);
    };
    row("P01 only when it changed", "G09#1;G09#0;Y03#0;W04 3000#1;W04 3000#0");
    row("POWER_OFF silent until back on", "POWER_OFF ;R99#0;Z99#0;+1;R99#1");
    row("G01/Y01 timing, G05/Y05 flow mode, G10/Y10 duration, G07 armed",
        "G01;Z99@5=1;Y01;Z99@5=0;G05;Z99@13=1;Y05;Z99@13=0;G10;Z99@23=1;Y10;Z99@23=0;G07;Z99@19=1");
    row("G03 G02 english, Y02 Y03 metric", "Y02;Y03;Z99@7=1;Z99@9=1;G03;G02;Z99@7=0;Z99@9=0");
    row("Y04/G04 flow fault", "Y04;Z99@11=0;P01@9=0;G04;Z99@11=1;P01@9=1");
    row("G09/Y09 password", "G09;Z99@21=1;P01@7=1;Y09;Z99@21=0;P01@7=0");
    row("Y11/G11 screens", "Y11;Z99@25=0;P01@79=0;G11;Z99@25=1;P01@79=1");
    row("G13/Y13 stp", "G13;Z99@29=1;P01@81=1;Y13;Z99@29=0;P01@81=0");
    row("W04 target flow", "W04 2500;R99@34=002500;P01@33=002500");
    row("W04 out of range or no number", "W04 9000;W04 799;W04 2k;R99@34=002000");
    row("W06 log rate 1 to 99",
        "W06 5;UPDATE_LOGTYPE ;R99@105=05;W06 0;UPDATE_LOGTYPE ;R99@105=05;"
        "W06 99;UPDATE_LOGTYPE ;R99@105=99;W06 100;UPDATE_LOGTYPE ;R99@105=99");
    row("W16 waits for UPDATE_SYS_TIME",
        "W16 59 23 31 12 08;R99@75=05 14 06 12 26;UPDATE_SYS_TIME;R99@75=59 23 31 12 08;"
        "R99@113=041;+1;R99@75=00 00 01 01 09");
    // Set ahead, the new minute starts at once, whatever the computer's
    // clock shows after the full second.
    row("W16 ahead", "W16 00 15 06 12 26;UPDATE_SYS_TIME;R99@75=00 15 06 12 26;+1;"
                     "R99@75=01 15 06 12 26");
    row("W16 impossible date", "W16 00 10 31 02 27;UPDATE_SYS_TIME;R99@75=05 14 06 12 26");
    row("W17 W18 wait for G12",
        "W17 30 08 07 12 26;W18 00 17 07 12 26;R99@162=55 55 55 55 55;G12;R99@162=30 08 07 12 26;"
        "R99@177=00 17 07 12 26;P01@40=30 08 07 12 26;P01@55=00 17 07 12 26");
    row("W17, W23 and Y12 not in use",
        "W17 30 08 07 12 26;W23 15 10 30 10;G12;W23 255 255 255 255 255;"
        "W17 255 255 255 255 255;Y12;G12;R99@162=55 55 55 55 55;R99@192=55 55 55 55");
    row("W23 W24 W25 pauses", "W23 15 10 30 10;W24 00 15 15 15;W25 00 12 30 12;G12;"
                              "R99@192=15 10 30 10;R99@204=00 15 15 15;R99@216=00 12 30 12");
    row("W19 duration", "W19 286;P01@70=001:30;W19 012:45;P01@70=012:45;W19 255 255;P01@70=255:55");
    row("LOG_INIT empties the history", "LOG_INIT;R99@113=000;R99@136=000;PRINTLOG#3");
    row("CLEAR_ALL adds a record, RUN_CLEAR accepted",
        "RUN_CLEAR;R99@113=040;CLEAR_ALL;R99@113=041");
    row("lower case ignored", "X42;g09;Z99@21=0");
    row("control and high bytes around a command", "\001G\177\37709\n;Z99@21=1");
    // Switched off and on again, a programmed pump runs as programmed.
    row("run: no timing, at once", "Y01;G07;POWER_OFF ;+1;R99@228=0410;Z99@17=1;+90;R99@228=0410");
    row("run: duration 1h, then CLEAR_ALL",
        "G01;W19 256;G10;G07;POWER_OFF ;+1;R99@228=0410;+90;R99@228=0100;R99@90=001 00;"
        "CLEAR_ALL;R99@90=000 00;R99@54=0000.000 0000.000;R99@132=255");
    row("run: start/stop", "G01;Y10;W17 00 15 06 12 26;W18 00 16 06 12 26;G12;G07;POWER_OFF ;+1;"
                           "R99@228=0300;+60;R99@228=0410;+90;R99@228=0100;Z99@17=0");
    row("run: not programmed", "G01;POWER_OFF ;+1;R99@228=0100");
    // A pump that misses a command: no effect and no answer; the others work.
    row("missed G09, Y01, UPDATE_SYS_TIME and POWER_OFF",
        "G09#0;Z99@21=0;P01@7=0;Y04#1;G01;Y01;Z99@5=1;W16 59 23 31 12 08;UPDATE_SYS_TIME;"
        "R99@75=05 14 06 12 26;G07;POWER_OFF #0;R99@228=0100;Z99#1",
        "G09,Y01,UPDATE_SYS_TIME,POWER_OFF");
    row("missed W06 and W16",
        "W06 5;UPDATE_LOGTYPE ;R99@105=15;W16 59 23 31 12 08;UPDATE_SYS_TIME;"
        "R99@75=05 14 06 12 26;R99@113=040;G09#1;Y09#1",
        "W06,W16 ");
    row("missed R99 and PRINTLOG", "R99#0;PRINTLOG#0;Z99#1", "R99,PRINTLOG");
    // "W04 " at and beyond the ends of the model's range, from a target in
    // the middle: a flow the model takes becomes the target (one "P01" line,
    // one "Change Rate" entry); one beyond is dropped without a word or an
    // entry (the log count stays). An ORBIT has no range of its own: it takes
    // what the six-digit field holds.
    for (const auto& [model, low, high] :
         {std::tuple{"21", 800, 5000}, {"29", 2000, 12000}, {"31", 100, 600}, {"25", 1, 999999}}) {
        QByteArray script = "W04 " + QByteArray::number((low + high) / 2);
        int held = 41; // the 40 entries the pump starts with and the first change
        for (const auto& [flow, beyond] : {std::pair{low, low - 1}, {high, high + 1}}) {
            const QByteArray f = SimText::digits(flow, 6);
            script += ";W04 " + QByteArray::number(flow) + "#1;R99@34=" + f + ";P01@33=" + f +
                      ";LOG@30=" + f + ";W04 " + QByteArray::number(beyond) + "#0;R99@34=" + f +
                      ";R99@113=" + SimText::digits(++held, 3);
        }
        QTest::addRow("model %s: flows at and beyond its range", model)
            << QByteArray() << QByteArray(model) << script;
    }
}

void TestSimPump::commandEffect() {
    QFETCH(QByteArray, ignore);
    QFETCH(QByteArray, model);
    QFETCH(QByteArray, script);
    SimPumpOptions o;
    o.faults.ignoreCommands = ignore.isEmpty() ? QByteArrayList() : ignore.split(',');
    if (!model.isEmpty())
        o.model = model;
    Bench b(o);
    for (const QByteArray& step : script.split(';')) {
        const int equals = step.indexOf('='), hash = step.indexOf('#');
        if (step.startsWith('+')) {
            b.now = b.now.addSecs(step.mid(1).toInt() * 60);
        } else if (hash > 0) {
            QVERIFY2(b.send({step.left(hash)}).size() == step.mid(hash + 1).toInt(),
                     step.constData());
        } else if (equals < 0) {
            b.send({step});
        } else {
            const QByteArray report = step.left(3), expected = step.mid(equals + 1);
            const QByteArray line = report == "P01"   ? b.pump.pumpStateLine()
                                    : report == "LOG" ? b.pump.records().last().line()
                                                      : b.reply(report);
            QVERIFY2(report == "LOG" || line.startsWith(report), step.constData());
            QCOMPARE(at(line, step.mid(4, equals - 4).toInt(), int(expected.size())), expected);
        }
    }
}

// The record layouts a log decoder reads, kind by kind: the key (the first
// eight characters), where the date stands and how long it is, and each
// further field by position and length, counted from 1. Each field follows
// a comma and the line ends with the last one.
void TestSimPump::historyDump() {
    struct Field {
        int position, length;
        QByteArray pattern;
    };
    const QByteArray flow = "\\d{6}", text = "[^,]{6}";
    auto full = [&](int battery) { // battery, temperature, BP, DP, elapsed, flow, volumes
        return QList<Field>{{battery, 3, "\\d{3}"},
                            {battery + 4, 3, "\\d{3}"},
                            {battery + 8, 5, "\\d\\d\\.\\d\\d"},
                            {battery + 14, 5, "\\d\\d\\.\\d\\d"},
                            {battery + 20, 5, "\\d{5}"},
                            {battery + 26, 6, flow},
                            {battery + 33, 8, "\\d{4}\\.\\d{3}"},
                            {battery + 42, 9, "\\d{5}\\.\\d{3}"}};
    };
    struct Layout {
        int date, dateLength;
        QList<Field> fields;
    };
    const QMap<QByteArray, Layout> layouts = {
        {"Run Upda", {12, 16, full(29)}},
        {"Log Init", {10, 16, {}}},
        {"Low Batt", {13, 16, {}}},
        {"Power On", {10, 16, {}}},
        {"Power Of", {11, 16, {}}},
        {"Clear Da", {12, 16, {}}},
        {"Calibrat", {13, 16, {{30, 6, flow}}}},
        {"Start Sa", {16, 17, {}}}, // the date and a comma of its own
        {"User Hol", {11, 16, full(28)}},
        {"No Flow,", {9, 16, full(26)}},
        {"Change T", {13, 16, {}}},
        {"Change F", {13, 16, {}}},
        {"Change D", {13, 16, {}}},
        {"Change R", {13, 16, {{30, 6, flow}}}},
        {"Pump Pro", {14, 16, full(31)}},
        {"Event En", {11, 16, {}}},
        {"Break1 B", {14, 16, {}}},
        {"Lunch Be", {13, 16, {}}},
        {"Break2 B", {14, 16, {}}},
        {"Duty Beg", {13, 16, {}}},
        {"Stop Sam", {15, 16, {}}},
        {"Trimauto", {24, 16, {{41, 6, text}, {48, 6, flow}}}},
        {"Verify C", {18, 16, {{35, 6, text}, {42, 6, flow}}}},
        {"Verify F", {13, 16, {{30, 6, flow}}}},
        {"5% Shut ", {14, 16, full(31)}},
        {"Filter O", {12, 16, full(29)}},
        {"Program ", {19, 16, {{36, 6, text}, {43, 6, text}}}},
    };
    for (int records : {0, 80, 1500}) {
        SimPumpOptions o;
        o.records = records; // 80: more than one pass through every kind
        Bench b(o);
        const int held = std::min(records, SimPump::kMaxRecords);
        QCOMPARE(at(b.reply("R99"), 113, 3).toInt(), held);
        const QList<QByteArray> lines = b.send({"PRINTLOG"});
        QCOMPARE(lines.size(), held + 3);
        QCOMPARE(lines.first(), "PRINTING " + SimText::digits(held, 3) + " LOGS");
        QVERIFY(lines.at(1).startsWith("LogType,"));
        QCOMPARE(lines.last(), QByteArray("Done ok"));
        QSet<QByteArray> seen;
        for (const QByteArray& line : lines.mid(2, held)) {
            const QByteArray key = line.left(8);
            QVERIFY2(layouts.contains(key), line.constData());
            const Layout& l = layouts[key];
            QList<Field> fields = l.fields;
            fields.prepend(
                {l.date, l.dateLength,
                 "\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d" + QByteArray(l.dateLength - 16, ',')});
            for (const Field& f : fields)
                QVERIFY2(line.at(f.position - 2) == ',' &&
                             matches(at(line, f.position, f.length), f.pattern),
                         line.constData());
            QCOMPARE(line.size(), fields.last().position + fields.last().length - 1);
            seen << key;
        }
        QCOMPARE(seen.size(), records == 0 ? 0 : int(layouts.size()));
    }
}

// A sampling pump: volume, average temperature and run updates grow, flow
// stays near the target, "CLEAR_ALL" is refused. With no power-off delay it
// says nothing until switched on by hand.
void TestSimPump::sampling() {
    SimPumpOptions o;
    o.powerOffMs = 0;
    o.running = true;
    Bench b(o);
    b.now = b.now.addSecs(30 * 60);
    const QByteArray before = b.reply("R99");
    QVERIFY(at(before, 54, 8).toDouble() > 50 && at(before, 132, 3) != "255"); // 2 l/min
    QVERIFY(qAbs(at(before, 40, 6).toInt() - 2000) <= 20);
    QCOMPARE(at(before, 113, 3).toInt(), int(b.pump.records().size()));
    QVERIFY(b.pump.records().last().kind == SimRecord::RunUpdate);
    QCOMPARE(at(b.send({"CLEAR_ALL", "R99"}).last(), 54, 8), at(before, 54, 8));
    b.send({"POWER_OFF "});
    b.now = b.now.addSecs(3600);
    QVERIFY(b.send({"R99", "Z99"}).isEmpty() && !b.pump.poweredOn());
    b.pump.powerOn();
    QCOMPARE(b.pump.records().last().kind, SimRecord::PowerOn);
}

// Faults on demand: four "R99" replies, each as its length and log count
// ("x": no reply, "+": random bytes came before it).
void TestSimPump::faults() {
    auto replies = [](const SimPumpFaults& faults) {
        SimPumpOptions o;
        o.faults = faults;
        Bench b(o);
        QByteArrayList got;
        for (int i = 0; i < 4; ++i) {
            b.pump.write("R99\r");
            const QByteArray raw = b.pump.read(),
                             r = raw.mid(raw.lastIndexOf("R99")).split('\r').first();
            got << (r.isEmpty() ? "x"
                                : QByteArray::number(r.size()) + ':' + at(r, 113, 3) +
                                      (raw.size() > r.size() + 2 ? "+" : ""));
        }
        return got.join(' ');
    };
    SimPumpFaults silent, cut, skew, garbage;
    silent.silentAfterLines = cut.truncateStatusEvery = 2;
    skew.logCountSkew = 3;
    garbage.garbageEveryLines = 1;
    for (const auto& [faults, expected] : {std::pair{silent, "231:040 231:040 x x"},
                                           {cut, "231:040 100: 231:040 100:"},
                                           {skew, "231:043 231:043 231:043 231:043"},
                                           {garbage, "231:040+ 231:040+ 231:040+ 231:040+"}})
        QCOMPARE(replies(faults), QByteArray(expected));
}

void TestSimPump::hostileInput() {
    Bench b; // a command longer than any the pump knows is dropped up to its CR
    b.pump.write(QByteArray(100000, 'G') + "09\r");
    QCOMPARE(at(b.reply("Z99"), 21, 1), QByteArray("0"));
    QByteArray junk; // random bytes: no crash, and it answers afterwards
    for (QRandomGenerator rng(7); junk.size() < 12800;)
        junk += char(rng.bounded(256));
    b.pump.write(junk);
    b.pump.read();
    QVERIFY(b.reply("").isEmpty() && b.reply("R99").startsWith("R99"));
}

QTEST_GUILESS_MAIN(TestSimPump)
#include "test_simpump.moc"
