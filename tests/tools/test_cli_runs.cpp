// corvane-cli runs and export in-process: the exit status for each kind of
// argument and file, what goes to standard output, and the export written to
// a file. What a run holds is test_runs'.
#include "clioutput.h"
#include "subcommands.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray kHistory = "LogType,Date/Time  \r\n"
                            "Start Sampling,12/06/2026 08:00,  \r\n"
                            "Run Update,12/06/2026 08:10,=85,072,29.92,05.02,00010,002000,"
                            "0020.000,00019.500  \r\n"
                            "Stop Sampling,12/06/2026 08:11  \r\n"
                            "Done ok  \r\n";

} // namespace

class TestCliRuns : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void exitStatus_data();
    void exitStatus();
    void outputs();

private:
    QTemporaryDir m_dir;
    QString path(const char* name) const { return m_dir.filePath(QLatin1String(name)); }
};

void TestCliRuns::initTestCase() {
    QVERIFY(m_dir.isValid());
    QFile f(path("history.csv"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(kHistory);
    f.close();
    QFile empty(path("empty.tlx"));
    QVERIFY(empty.open(QIODevice::WriteOnly));
}

void TestCliRuns::exitStatus_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("outLines");
    const QString history = path("history.csv");
    QTest::newRow("runs: one run") << "runs" << QStringList{history} << 0 << 1;
    QTest::newRow("runs: csv") << "runs" << QStringList{"--csv", history} << 0 << 2;
    QTest::newRow("runs: no runs, no output") << "runs" << QStringList{path("empty.tlx")} << 0 << 0;
    QTest::newRow("runs: missing file") << "runs" << QStringList{path("nope.csv")} << 1 << 0;
    QTest::newRow("runs: a folder") << "runs" << QStringList{m_dir.path()} << 1 << 0;
    QTest::newRow("runs: no FILE") << "runs" << QStringList{"--csv"} << 2 << 0;
    QTest::newRow("runs: two files") << "runs" << QStringList{history, history} << 2 << 0;
    QTest::newRow("runs: unknown option") << "runs" << QStringList{history, "--json"} << 2 << 0;
    QTest::newRow("export: to stdout") << "export" << QStringList{history, "--csv"} << 0 << 4;
    QTest::newRow("export: --csv missing") << "export" << QStringList{history} << 2 << 0;
    QTest::newRow("export: -o without value")
        << "export" << QStringList{history, "--csv", "-o"} << 2 << 0;
    QTest::newRow("export: unreadable") << "export" << QStringList{"--csv", path("nope")} << 1 << 0;
    QTest::newRow("export: unwritable OUT")
        << "export" << QStringList{history, "--csv", "-o", path("no/such/dir/out.csv")} << 1 << 0;
}

void TestCliRuns::exitStatus() {
    QFETCH(QString, command);
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QBuffer out, err;
    out.open(QIODevice::ReadWrite);
    err.open(QIODevice::ReadWrite);
    Output output(out, err);
    const Subcommand* sub = findSubcommand(command);
    QVERIFY(sub);
    QCOMPARE(sub->main(args, output), status);
    QTEST(int(out.data().count('\n')), "outLines");
    // Every failure says why on standard error; a success says nothing there.
    QCOMPARE(err.data().isEmpty(), status == 0);
}

void TestCliRuns::outputs() {
    QBuffer out, err;
    out.open(QIODevice::ReadWrite);
    err.open(QIODevice::ReadWrite);
    Output output(out, err);
    QCOMPARE(findSubcommand("runs")->main({path("history.csv")}, output), 0);
    const QByteArray sha = QCryptographicHash::hash(kHistory, QCryptographicHash::Sha256).toHex();
    QVERIFY2(
        out.data().startsWith("{\"run\":1,\"start\":\"12/06/2026 08:00\",\"stop\":\"12/06/2026 "
                              "08:11\",\"end\":\"stop\",\"records\":3,"),
        out.data());
    QVERIFY(out.data().endsWith(",\"source_sha256\":\"" + sha + "\"}\n"));

    const QString csv = path("out.csv");
    QCOMPARE(findSubcommand("export")->main({"-o", csv, path("history.csv"), "--csv"}, output), 0);
    QFile f(csv);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> rows = f.readAll().split('\n');
    QCOMPARE(rows.size(), 5); // header, three records, nothing after the last CR LF
    QCOMPARE(rows.at(0), "Log Number,Log Type,Date/Time,Battery,Temperature,BP,DP,Elapsed Mins,"
                         "Flow Rate,Volume,STP Volume,battery_pct,temperature_f,bp_inhg,"
                         "dp_inh2o,elapsed_min,flow_ccmin,volume_l,stp_volume_l\r");
    // A battery field a spreadsheet would run is defused, and it is no number.
    QCOMPARE(rows.at(2), "2,Run Update,12/06/2026 08:10,'=85,72F,29.92 '',05.02'',00010,2000,"
                         "0020.000,00019.500,,72,29.92,5.02,10,2000,20,19.5\r");
}

QTEST_APPLESS_MAIN(TestCliRuns)
#include "test_cli_runs.moc"
