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

// The members that are the same in most runs, after faults.
QString run(int n, const char* start, const char* stop, const char* end, int records,
            const char* figures, const char* holdsFaults, const char* rest) {
    return QStringLiteral(
               "{\"run\":%1,\"start\":%2,\"stop\":%3,\"end\":\"%4\",\"records\":%5,%6,%7,%8,"
               "\"source_sha256\":\"h\"}")
        .arg(n)
        .arg(QLatin1String(start), QLatin1String(stop), QLatin1String(end))
        .arg(records)
        .arg(QLatin1String(figures), QLatin1String(holdsFaults), QLatin1String(rest));
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
    const char* noFigures = "\"sampling_minutes\":null,\"volume_l\":null,\"stp_volume_l\":null,"
                            "\"average_flow_ccmin\":null,\"min_flow_ccmin\":null,"
                            "\"max_flow_ccmin\":null";
    const char* noChecks = "\"battery_start_pct\":null,\"battery_end_pct\":null,"
                           "\"pre_cal_flow_ccmin\":null,\"post_cal_flow_ccmin\":null,"
                           "\"cal_difference_pct\":null,\"flow_check\":\"unknown\","
                           "\"calibrated_volume_l\":null";

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
        << QStringList{run(1, "\"12/06/2026 08:00\"", "\"12/06/2026 09:01\"", "stop", 5,
                           "\"sampling_minutes\":60,\"volume_l\":120,\"stp_volume_l\":0,"
                           "\"average_flow_ccmin\":2000,\"min_flow_ccmin\":1990,"
                           "\"max_flow_ccmin\":2000",
                           "\"holds\":1,\"faults\":[]",
                           "\"battery_start_pct\":95,\"battery_end_pct\":90,"
                           "\"pre_cal_flow_ccmin\":2000,\"post_cal_flow_ccmin\":2050,"
                           "\"cal_difference_pct\":2.5,\"flow_check\":\"pass\","
                           "\"calibrated_volume_l\":121.5")};

    QTest::newRow("nested start restarts, power off cuts, low battery a fault")
        << QStringList{entry("Start Sampling", "08:00"),
                       update("08:10", "080", "00010", "001000", "0010.000"),
                       entry("Start Sampling", "08:20"), entry("Low Battery", "08:25"),
                       entry("Power Off", "08:30")}
        << QStringList{run(1, "\"12/06/2026 08:00\"", "null", "restarted", 2,
                           "\"sampling_minutes\":10,\"volume_l\":10,\"stp_volume_l\":0,"
                           "\"average_flow_ccmin\":1000,\"min_flow_ccmin\":1000,"
                           "\"max_flow_ccmin\":1000",
                           "\"holds\":0,\"faults\":[]",
                           "\"battery_start_pct\":80,\"battery_end_pct\":80,"
                           "\"pre_cal_flow_ccmin\":null,\"post_cal_flow_ccmin\":null,"
                           "\"cal_difference_pct\":null,\"flow_check\":\"unknown\","
                           "\"calibrated_volume_l\":null"),
                       run(2, "\"12/06/2026 08:20\"", "\"12/06/2026 08:30\"", "power off", 3,
                           noFigures,
                           "\"holds\":0,\"faults\":[{\"kind\":\"Low Battery\",\"at\":"
                           "\"12/06/2026 08:25\"}]",
                           noChecks)};

    QTest::newRow("shutdown closes and is the last sample; open at the end")
        << QStringList{entry("Start Sampling", "08:00"),
                       full("5% Shut Down", "08:45", "070", "00045", "001500", "0067.500",
                            "00066.000"),
                       check("Calibration", "08:50", "001500"),
                       entry("Start Sampling", "09:00"),
                       check("Calibration", "09:05", "002500"),
                       entry("Break1 Begin", "09:10")}
        << QStringList{run(1, "\"12/06/2026 08:00\"", "\"12/06/2026 08:45\"", "shutdown", 2,
                           "\"sampling_minutes\":45,\"volume_l\":67.5,\"stp_volume_l\":66,"
                           "\"average_flow_ccmin\":1500,\"min_flow_ccmin\":null,"
                           "\"max_flow_ccmin\":null",
                           "\"holds\":0,\"faults\":[{\"kind\":\"5% Shut Down\",\"at\":"
                           "\"12/06/2026 08:45\"}]",
                           "\"battery_start_pct\":70,\"battery_end_pct\":70,"
                           "\"pre_cal_flow_ccmin\":null,\"post_cal_flow_ccmin\":1500,"
                           "\"cal_difference_pct\":null,\"flow_check\":\"unknown\","
                           "\"calibrated_volume_l\":null"),
                       // The calibration inside the open run is not its check.
                       run(2, "\"12/06/2026 09:00\"", "null", "open", 3, noFigures,
                           "\"holds\":1,\"faults\":[]",
                           "\"battery_start_pct\":null,\"battery_end_pct\":null,"
                           "\"pre_cal_flow_ccmin\":1500,\"post_cal_flow_ccmin\":null,"
                           "\"cal_difference_pct\":null,\"flow_check\":\"unknown\","
                           "\"calibrated_volume_l\":null")};

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
        << QStringList{run(1, "\"12/06/2026 08:00\"", "\"12/06/2026 08:10\"", "stop", 2, noFigures,
                           "\"holds\":0,\"faults\":[]",
                           "\"battery_start_pct\":null,\"battery_end_pct\":null,"
                           "\"pre_cal_flow_ccmin\":1000,\"post_cal_flow_ccmin\":2000,"
                           "\"cal_difference_pct\":100,\"flow_check\":\"fail\","
                           "\"calibrated_volume_l\":null"),
                       run(2, "\"12/06/2026 09:00\"", "\"12/06/2026 09:11\"", "stop", 3,
                           "\"sampling_minutes\":10,\"volume_l\":33,\"stp_volume_l\":0,"
                           "\"average_flow_ccmin\":3300,\"min_flow_ccmin\":3300,"
                           "\"max_flow_ccmin\":3300",
                           "\"holds\":0,\"faults\":[]",
                           "\"battery_start_pct\":99,\"battery_end_pct\":99,"
                           "\"pre_cal_flow_ccmin\":3000,\"post_cal_flow_ccmin\":3300,"
                           "\"cal_difference_pct\":10,\"flow_check\":\"fail\","
                           "\"calibrated_volume_l\":31.5")};

    QTest::newRow("fields that are no numbers are null; the last numeric minutes count")
        << QStringList{entry("Start Sampling", "08:00"),
                       update("08:10", "0x5", "00010", "0020x0", "0020.000"),
                       full("No Flow", "08:15", "   ", "  -  ", "      ", "????????", "?????????"),
                       entry("Stop Sampling", "08:20")}
        << QStringList{run(1, "\"12/06/2026 08:00\"", "\"12/06/2026 08:20\"", "stop", 4,
                           "\"sampling_minutes\":10,\"volume_l\":20,\"stp_volume_l\":0,"
                           "\"average_flow_ccmin\":2000,\"min_flow_ccmin\":null,"
                           "\"max_flow_ccmin\":null",
                           "\"holds\":0,\"faults\":[{\"kind\":\"No Flow\",\"at\":"
                           "\"12/06/2026 08:15\"}]",
                           noChecks)};

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
        << QStringList{run(1, "\"12/06/2026 08:00\"", "\"12/06/2026 08:08\"", "stop", 3,
                           "\"sampling_minutes\":7,\"volume_l\":100,\"stp_volume_l\":0,"
                           "\"average_flow_ccmin\":14285.7,\"min_flow_ccmin\":1950,"
                           "\"max_flow_ccmin\":1950",
                           "\"holds\":0,\"faults\":[]",
                           "\"battery_start_pct\":50,\"battery_end_pct\":50,"
                           "\"pre_cal_flow_ccmin\":1900,\"post_cal_flow_ccmin\":1995,"
                           "\"cal_difference_pct\":5,\"flow_check\":\"pass\","
                           "\"calibrated_volume_l\":13.633"),
                       // A zero flow before: no percentage, and no division by zero.
                       run(2, "\"12/06/2026 09:00\"", "\"12/06/2026 09:01\"", "stop", 3,
                           "\"sampling_minutes\":0,\"volume_l\":0,\"stp_volume_l\":0,"
                           "\"average_flow_ccmin\":null,\"min_flow_ccmin\":2000,"
                           "\"max_flow_ccmin\":2000",
                           "\"holds\":0,\"faults\":[]",
                           "\"battery_start_pct\":50,\"battery_end_pct\":50,"
                           "\"pre_cal_flow_ccmin\":0,\"post_cal_flow_ccmin\":2000,"
                           "\"cal_difference_pct\":null,\"flow_check\":\"unknown\","
                           "\"calibrated_volume_l\":0")};
}

void TestRuns::histories() {
    QFETCH(QStringList, lines);
    QFETCH(QStringList, expected);
    QStringList got;
    for (const RunSummary& r : splitRuns(LogRecords::fromFileBytes(file(lines)), "h"))
        got << QString::fromUtf8(RunFormat::jsonLine(r));
    QCOMPARE(got, expected);
}

void TestRuns::csvCells_data() {
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("written");
    QTest::newRow("plain") << "Run Update"
                           << "Run Update";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("comma quoted") << "a,b"
                                  << "\"a,b\"";
    QTest::newRow("quote doubled") << "29.92 ''\""
                                   << "\"29.92 ''\"\"\"";
    QTest::newRow("line end quoted") << "a\nb"
                                     << "\"a\nb\"";
    QTest::newRow("formula") << "=HYPERLINK(\"x\")"
                             << "\"'=HYPERLINK(\"\"x\"\")\"";
    QTest::newRow("plus") << "+cmd|' /C calc'!A0"
                          << "'+cmd|' /C calc'!A0";
    QTest::newRow("at") << "@SUM(A1)"
                        << "'@SUM(A1)";
    QTest::newRow("minus text") << "-2+3"
                                << "'-2+3";
    QTest::newRow("tab") << "\tx"
                         << "'\tx";
    QTest::newRow("negative number kept") << "-5.5"
                                          << "-5.5";
    QTest::newRow("plus number as text") << "+5"
                                         << "'+5";
    QTest::newRow("non-ASCII as it is") << "25 \u00b0C"
                                        << "25 \u00b0C";
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
