// The history-line decoder on real lines of every kind, in both unit systems,
// and on short and garbled ones: the kind, the row, and each cell as the
// table shows it.
#include "logs/logdecoder.h"

#include <QTest>

namespace {

const char kDate[] = "12/06/2026 14:05";

// "kind row: c1|c2|...|c10", a column the line did not write shown as "-".
QString described(const LogLineResult& r) {
    switch (r.kind) {
    case LogLineResult::Kind::Other:
        return QStringLiteral("other");
    case LogLineResult::Kind::Title:
        return QStringLiteral("title");
    case LogLineResult::Kind::End:
        return QStringLiteral("end");
    case LogLineResult::Kind::Record:
        break;
    }
    QStringList cells;
    for (int c = 1; c <= 10; ++c)
        cells << r.cells.value(c, QStringLiteral("-"));
    return QStringLiteral("record %1: ").arg(r.record.row) + cells.join(QLatin1Char('|'));
}

// A full record after `title`: battery, temperature, BP, DP, elapsed, flow,
// volume, STP volume, each after one comma.
QString full(const char* title, const char* battery = "085", const char* temp = "072",
             const char* bp = "29.92", const char* dp = "05.02", const char* flow = "002000") {
    return QStringLiteral("%1,%2,%3,%4,%5,%6,00123,%7,0012.345,00012.345")
        .arg(QLatin1String(title), QLatin1String(kDate), QLatin1String(battery),
             QLatin1String(temp), QLatin1String(bp), QLatin1String(dp), QLatin1String(flow));
}

QString entry(const char* title, const char* rest = "") {
    return QLatin1String(title) + QLatin1Char(',') + QLatin1String(kDate) + QLatin1String(rest);
}

} // namespace

class TestLogDecoder : public QObject {
    Q_OBJECT
private slots:
    void decode_data();
    void decode();
    void everyLine_data();
    void everyLine();
};

void TestLogDecoder::decode_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("metric");
    QTest::addColumn<QString>("expected");
    auto row = [](const char* name, const QString& line, bool metric, const QString& expected) {
        QTest::newRow(name) << line << metric << expected;
    };
    const QString d = QLatin1String(kDate);
    const QString rest = QStringLiteral("|00123|2000|0012.345|00012.345");
    const QString en = QStringLiteral("|85%|72F|29.92 ''|05.02''") + rest;
    const QString mm = QStringLiteral("|85%|22C|759 mm|127mm") + rest;

    // The full records, each kind at its own positions.
    row("Run Update, English", full("Run Update"), false, "record 4: Run Update|" + d + en);
    row("Run Update, metric: 22C, 759 mm, 127mm", full("Run Update"), true,
        "record 4: Run Update|" + d + mm);
    row("User Hold", full("User Hold"), false, "record 4: User Hold|" + d + en);
    row("No Flow", full("No Flow"), true, "record 4: No Flow|" + d + mm);
    row("Pump Program", full("Pump Program"), false, "record 4: Pump Program|" + d + en);
    row("5% Shut Down: title and five blanks", full("5% Shut Down"), true,
        "record 4: 5% Shut Down     |" + d + mm);
    for (const bool metric : {false, true})
        QTest::addRow("Filter Out: DP as it stands, %s", metric ? "metric" : "English")
            << full("Filter Out") << metric
            << "record 4: Filter Out|" + d +
                   (metric ? "|85%|22C|759 mm|05.02" : "|85%|72F|29.92 ''|05.02") + rest;
    // Number rules.
    row("battery 000 and temperature 032 metric: empty numbers", full("Run Update", "000", "032"),
        true, "record 4: Run Update|" + d + "|%|C|759 mm|127mm" + rest);
    row("flow 005000 in litres", full("Run Update", "085", "072", "29.92", "05.02", "005000"),
        false,
        "record 4: Run Update|" + d + "|85%|72F|29.92 ''|05.02''|00123|5.00|0012.345|00012.345");
    row("flow 004999 in cc", full("Run Update", "085", "072", "29.92", "05.02", "004999"), false,
        "record 4: Run Update|" + d + "|85%|72F|29.92 ''|05.02''|00123|4999|0012.345|00012.345");
    row("flow 012345: hundredths, halves away from zero; flow 0 empty",
        full("User Hold", "100", "212", "10.00", "05.00", "012345"), true,
        "record 4: User Hold|" + d + "|100%|100C|254 mm|127mm|00123|12.35|0012.345|00012.345");
    row("flow 000000 empty; 10.00 inches is 254 mm, not 253",
        full("No Flow", "085", "072", "10.00", "00.00", "000000"), true,
        "record 4: No Flow|" + d + "|85%|22C|254 mm|0mm|00123||0012.345|00012.345");
    row("Celsius halves to even: 9.5F is -12.5C, shown -12", full("Run Update", "085", "9.5"), true,
        "record 4: Run Update|" + d + "|85%|-12C|759 mm|127mm" + rest);

    // Fields that hold no number: their characters as they stand, no unit.
    row("garbled numbers, English", full("Run Update", "0x5", "7 2", "2a.92", "--.--", "20O0  "),
        false,
        "record 4: Run Update|" + d + "|0x5|7 2|2a.92 ''|--.--''|00123|20O0  |0012.345|00012.345");
    row("garbled numbers, metric", full("Run Update", "0x5", "abc", "2a.92", "05,02"), true,
        "record 4: Run Update|" + d + "|0x5|abc|2a.92|05,02" + rest);
    row("blank numbers", full("Run Update", "   ", "   ", "     ", "     ", "      "), true,
        "record 4: Run Update|" + d + "|   |   |     |     |00123|      |0012.345|00012.345");
    // Cut short: the fields that are there, shortened or empty.
    row("short record, English", QStringLiteral("Run Update,12/06/2026 14:05,08"), false,
        "record 4: Run Update|" + d + "|8%|| ''|''||||");
    row("short record, metric", QStringLiteral("Run Update,12/06"), true,
        "record 4: Run Update|12/06||||||||");
    row("title only", QStringLiteral("Power On"), false, "record 4: Power On||-|-|-|-|-|-|-|-");

    // Plain events: title and date only ("Duty Begins" cut to ten characters).
    for (const char* title :
         {"Log Init", "Low Battery", "Power On", "Power Off", "Clear Data", "Change Time",
          "Change Flow", "Change Date", "Event End", "Break1 Begin", "Lunch Begin", "Break2 Begin",
          "Duty Begins", "Stop Sampling"})
        QTest::addRow("%s", title) << entry(title) << false
                                   << QStringLiteral("record 4: %1|%2|-|-|-|-|-|-|-|-")
                                          .arg(QString(title).replace("Begins", "Begin"), d);
    row("Start Sampling: seventeen characters of date", entry("Start Sampling", ","), false,
        "record 4: Start Sampling|" + d + ",|-|-|-|-|-|-|-|-");

    // Kinds with fields of their own.
    row("Calibration: flow as it stands", entry("Calibration", ",002000"), true,
        "record 4: Calibration|" + d + "|-|-|-|-|-|002000|-|-");
    row("Change Rate: flow as it stands", entry("Change Rate", ",000800"), false,
        "record 4: Change Rate|" + d + "|-|-|-|-|-|000800|-|-");
    row("Verify Flow: flow text", entry("Verify Flow", ",001000"), false,
        "record 4: Verify Flow|" + d + "|-|-|-|-|-|1000|-|-");
    row("Verify Calibrate", entry("Verify Calibrate", ",012345,005000"), false,
        "record 4: Verify Calibrate|" + d + "|012345|-|-|-|-|5.00|-|-");
    row("Trimauto", entry("Trimauto Flow Adjusted", ",012345,002500"), true,
        "record 4: Trimauto Flow Adjusted|" + d + "|Serial Number:012345| Flow 2500|-|-|-|-|-|-");
    row("Program Installed", entry("Program Installed", ",012345,KST204"), false,
        "record 4: Program Installed|" + d + "|Serial Number:012345|KST204|-|-|-|-|-|-");

    // Lines that write nothing.
    row("column titles", QStringLiteral("LogType,Date/Time,Battery,Temp"), false, "title");
    row("closing line", QStringLiteral("Done ok"), false, "end");
    row("closing line with a blank is not", QStringLiteral("Done ok "), false, "other");
    row("key compared case-sensitively", full("run update"), false, "other");
    row("seven characters of a key", QStringLiteral("Run Upd"), false, "other");
    row("LogType without its comma", QStringLiteral("LogType Date"), false, "other");
    row("empty line", QString(), false, "other");
    row("status report", QStringLiteral("R99 1 2 3"), false, "other");
}

void TestLogDecoder::decode() {
    QFETCH(QString, line);
    QFETCH(bool, metric);
    AppState state;
    state.UnitsFlag = metric ? 2 : 0; // any value but 0 is metric
    state.CaptureMode = true;
    const LogLineResult r = Decode::logLine(line, 5, state);
    QTEST(described(r), "expected");
    QCOMPARE(state.CaptureMode, r.kind != LogLineResult::Kind::End);
}

// Whatever the line, the window hears which line is being read, and the bar
// moves to it.
void TestLogDecoder::everyLine_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("count");
    QTest::newRow("record") << full("Run Update") << 7;
    QTest::newRow("titles") << QStringLiteral("LogType,") << 1;
    QTest::newRow("closing") << QStringLiteral("Done ok") << 1001;
    QTest::newRow("unknown") << QStringLiteral("\x7f?") << 3;
}

void TestLogDecoder::everyLine() {
    QFETCH(QString, line);
    QFETCH(int, count);
    AppState state;
    const LogLineResult r = Decode::logLine(line, count, state);
    QCOMPARE(r.changes.text.value("Label3_29"), "Reading Log Number : " + QString::number(count));
    QCOMPARE(r.changes.bars.value("PBar1"), count);
    QCOMPARE(r.changes.text.size() + r.changes.bars.size(), 2);
    QVERIFY(r.changes.visible.isEmpty() && r.changes.enabled.isEmpty() &&
            r.changes.messages.isEmpty());
}

QTEST_GUILESS_MAIN(TestLogDecoder)
#include "test_logdecoder.moc"
