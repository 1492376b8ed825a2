// Sampling runs cut from histories as a pump prints them: how runs open and
// close, which calibrations are a run's checks, the figures and their
// rounding, each case with the exact JSON line the command line prints; and
// the CSV cells a spreadsheet must never run.
#include "logs/csvwriter.h"
#include "logs/logrecords.h"
#include "logs/runs.h"

#include <QTest>

namespace {

QString at(const char* time) {
    return QStringLiteral("12/06/2026 ") + QLatin1String(time);
}

// A full sampling record: title, date, battery, temperature, BP, DP, elapsed
// minutes, flow, volume, STP volume, each after one comma.
QString full(const char* title, const char* time, const char* battery, const char* elapsed,
             const char* flow, const char* volume, const char* stp) {
    return QStringLiteral("%1,%2,%3,072,29.92,05.02,%4,%5,%6,%7")
        .arg(QLatin1String(title), at(time), QLatin1String(battery), QLatin1String(elapsed),
             QLatin1String(flow), QLatin1String(volume), QLatin1String(stp));
}
QString entry(const char* title, const char* time) {
    return QLatin1String(title) + QLatin1Char(',') + at(time);
}
// "Calibration" and "Verify Flow" carry the flow at 30-35, "Verify
// Calibrate" at 42-47.
QString check(const char* title, const char* time, const char* flow) {
    const QString extra = QLatin1String(title) == QLatin1String("Verify Calibrate")
                              ? QStringLiteral(",A1B2C3,")
                              : QStringLiteral(",");
    return entry(title, time) + extra + QLatin1String(flow);
}

QString update(const char* time, const char* battery, const char* elapsed, const char* flow,
               const char* volume) {
    return full("Run Update", time, battery, elapsed, flow, volume, "00000.000");
}

QByteArray file(const QStringList& lines) {
    QByteArray bytes = "LogType,Date/Time,...  \r\n";
    for (const QString& l : lines)
        bytes += l.toLatin1() + "  \r\n";
    return bytes + "Done ok  \r\n";
}

// The line the command line prints for a run. `figures`: sampling minutes,
// volume, STP volume, average, least and most flow; `checks`: battery at the
// start and the end, flow before and after, their difference, the verdict,
// the calibrated volume; blank-separated, "null" for none. `faults`: "kind@time"
// texts, ";" between two; a start or stop "" is null.
QString run(int n, const char* start, const char* stop, const char* end, int records,
            const char* figures, int holds, const char* faults, const char* checks) {
    static const QStringList figureKeys = {"sampling_minutes", "volume_l",
                                           "stp_volume_l",     "average_flow_ccmin",
                                           "min_flow_ccmin",   "max_flow_ccmin"};
    static const QStringList checkKeys = {
        "battery_start_pct",  "battery_end_pct", "pre_cal_flow_ccmin", "post_cal_flow_ccmin",
        "cal_difference_pct", "flow_check",      "calibrated_volume_l"};
    const auto time = [](const char* t) {
        return *t ? QStringLiteral("\"%1\"").arg(at(t)) : QStringLiteral("null");
    };
    const auto members = [](const QStringList& keys, const char* values) {
        const QStringList v = QString(values).split(' ');
        QStringList out;
        for (int i = 0; i < keys.size(); ++i)
            out << QStringLiteral("\"%1\":%2")
                       .arg(keys[i], keys[i] == "flow_check" ? '"' + v.value(i) + '"' : v.value(i));
        return out.join(',');
    };
    QStringList kinds;
    for (const QString& f : QString(faults).split(';', Qt::SkipEmptyParts))
        kinds << QStringLiteral("{\"kind\":\"%1\",\"at\":%2}")
                     .arg(f.section('@', 0, 0), time(qPrintable(f.section('@', 1))));
    return QStringLiteral("{\"run\":%1,\"start\":%2,\"stop\":%3,\"end\":\"%4\",\"records\":%5,%6,"
                          "\"holds\":%7,\"faults\":[%8],%9,\"source_sha256\":\"h\"}")
        .arg(n)
        .arg(time(start), time(stop), QLatin1String(end))
        .arg(records)
        .arg(members(figureKeys, figures))
        .arg(holds)
        .arg(kinds.join(','), members(checkKeys, checks));
}

} // namespace

class TestRuns : public QObject {
    Q_OBJECT
private slots:
    void histories_data();
    void histories();
    void csvCells_data();
    void csvCells();
    void exportRow();
};

void TestRuns::histories_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("expected");
    const char* noFigures = "null null null null null null";
    const char* noChecks = "null null null null null unknown null";

    QTest::newRow("no start: nothing")
        << QStringList{entry("Power On", "07:00"),
                       update("07:10", "095", "00010", "002000", "0020.000"),
                       entry("Stop Sampling", "07:20"), check("Calibration", "07:30", "002000")}
        << QStringList{};

    QTest::newRow("checked before and after, hold, pass")
        << QStringList{check("Calibration", "07:50", "002000"),
                       entry("Start Sampling", "08:00"),
                       update("08:30", "095", "00030", "002000", "0060.000"),
                       full("User Hold", "08:40", "093", "00040", "002010", "0080.000",
                            "00077.500"),
                       update("09:00", "090", "00060", "001990", "0120.000"),
                       entry("Stop Sampling", "09:01"),
                       check("Verify Flow", "09:10", "002050")}
        << QStringList{run(1, "08:00", "09:01", "stop", 5, "60 120 0 2000 1990 2000", 1, "",
                           "95 90 2000 2050 2.5 pass 121.5")};

    QTest::newRow("nested start restarts, power off cuts, low battery a fault")
        << QStringList{entry("Start Sampling", "08:00"),
                       update("08:10", "080", "00010", "001000", "0010.000"),
                       entry("Start Sampling", "08:20"), entry("Low Battery", "08:25"),
                       entry("Power Off", "08:30")}
        << QStringList{run(1, "08:00", "", "restarted", 2, "10 10 0 1000 1000 1000", 0, "",
                           "80 80 null null null unknown null"),
                       run(2, "08:20", "08:30", "power off", 3, noFigures, 0, "Low Battery@08:25",
                           noChecks)};

    QTest::newRow("shutdown closes and is the last sample; open at the end")
        << QStringList{entry("Start Sampling", "08:00"),
                       full("5% Shut Down", "08:45", "070", "00045", "001500", "0067.500",
                            "00066.000"),
                       check("Calibration", "08:50", "001500"),
                       entry("Start Sampling", "09:00"),
                       check("Calibration", "09:05", "002500"),
                       entry("Break1 Begin", "09:10")}
        << QStringList{run(1, "08:00", "08:45", "shutdown", 2, "45 67.5 66 1500 null null", 0,
                           "5% Shut Down@08:45", "70 70 null 1500 null unknown null"),
                       // The calibration inside the open run is not its check.
                       run(2, "09:00", "", "open", 3, noFigures, 1, "",
                           "null null 1500 null null unknown null")};

    QTest::newRow("first check after, last before; 10 % off fails")
        << QStringList{check("Calibration", "07:00", "001000"),
                       entry("Start Sampling", "08:00"),
                       entry("Stop Sampling", "08:10"),
                       check("Verify Calibrate", "08:20", "002000"),
                       check("Verify Flow", "08:30", "003000"),
                       entry("Start Sampling", "09:00"),
                       update("09:10", "099", "00010", "003300", "0033.000"),
                       entry("Stop Sampling", "09:11"),
                       check("Calibration", "09:20", "003300")}
        << QStringList{run(1, "08:00", "08:10", "stop", 2, noFigures, 0, "",
                           "null null 1000 2000 100 fail null"),
                       run(2, "09:00", "09:11", "stop", 3, "10 33 0 3300 3300 3300", 0, "",
                           "99 99 3000 3300 10 fail 31.5")};

    QTest::newRow("fields that are no numbers are null; the last numeric minutes count")
        << QStringList{entry("Start Sampling", "08:00"),
                       update("08:10", "0x5", "00010", "0020x0", "0020.000"),
                       full("No Flow", "08:15", "   ", "  -  ", "      ", "????????", "?????????"),
                       entry("Stop Sampling", "08:20")}
        << QStringList{run(1, "08:00", "08:20", "stop", 4, "10 20 0 2000 null null", 0,
                           "No Flow@08:15", noChecks)};

    QTest::newRow("rounding: 5.0 % passes, halves away from zero, zero minutes")
        << QStringList{check("Calibration", "07:00", "001900"),
                       entry("Start Sampling", "08:00"),
                       update("08:07", "050", "00007", "001950", "0100.000"),
                       entry("Stop Sampling", "08:08"),
                       check("Calibration", "08:10", "001995"),
                       check("Calibration", "08:20", "000000"),
                       entry("Start Sampling", "09:00"),
                       update("09:00", "050", "00000", "002000", "0000.000"),
                       entry("Stop Sampling", "09:01"),
                       check("Calibration", "09:10", "002000")}
        << QStringList{run(1, "08:00", "08:08", "stop", 3, "7 100 0 14285.7 1950 1950", 0, "",
                           "50 50 1900 1995 5 pass 13.633"),
                       // A zero flow before: no percentage, and no division by zero.
                       run(2, "09:00", "09:01", "stop", 3, "0 0 0 null 2000 2000", 0, "",
                           "50 50 0 2000 null unknown 0")};
}

void TestRuns::histories() {
    QFETCH(QStringList, lines);
    QStringList got;
    for (const RunSummary& r : splitRuns(LogRecords::fromFileBytes(file(lines)), "h"))
        got << QString::fromUtf8(RunFormat::jsonLine(r));
    QTEST(got, "expected");
}

void TestRuns::csvCells_data() {
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("written");
    for (const auto& [name, cell, written] :
         {std::tuple{"plain", "Run Update", "Run Update"},
          {"empty", "", ""},
          {"comma quoted", "a,b", "\"a,b\""},
          {"quote doubled", "29.92 ''\"", "\"29.92 ''\"\"\""},
          {"line end quoted", "a\nb", "\"a\nb\""},
          {"formula", "=HYPERLINK(\"x\")", "\"'=HYPERLINK(\"\"x\"\")\""},
          {"plus", "+cmd|' /C calc'!A0", "'+cmd|' /C calc'!A0"},
          {"at", "@SUM(A1)", "'@SUM(A1)"},
          {"minus text", "-2+3", "'-2+3"},
          {"tab", "\tx", "'\tx"},
          {"negative number kept", "-5.5", "-5.5"},
          {"plus number as text", "+5", "'+5"},
          {"non-ASCII as it is", "25 \u00b0C", "25 \u00b0C"}})
        QTest::newRow(name) << QString::fromUtf8(cell) << QString::fromUtf8(written);
}

void TestRuns::csvCells() {
    QFETCH(QString, cell);
    QFETCH(QString, written);
    QCOMPARE(Csv::cell(cell), written);
    QCOMPARE(Csv::row({cell, cell}), (written + ',' + written + "\r\n").toUtf8());
}

// The export's numbers are the fields as printed, whatever the table shows.
void TestRuns::exportRow() {
    const QList<LogRecord> records = LogRecords::fromFileBytes(
        file({full("Filter Out", "08:00", "085", "00123", "005000", "0012.345", "00012.345"),
              check("Verify Calibrate", "08:10", "004999")}));
    QCOMPARE(records.size(), 2);
    QCOMPARE(LogRecords::exportCells(records.at(0)).join('|'),
             QStringLiteral("1|Filter Out|12/06/2026 08:00|85%|72F|29.92 ''|05.02|00123|5.00|"
                            "0012.345|00012.345|85|72|29.92|5.02|123|5000|12.345|12.345"));
    QCOMPARE(LogRecords::exportCells(records.at(1)).join('|'),
             QStringLiteral("2|Verify Calibrate|12/06/2026 08:10|A1B2C3|||||4999||||||||4999||"));
}

QTEST_APPLESS_MAIN(TestRuns)
#include "test_runs.moc"
