// corvane-cli runs, export and report in-process on files the test writes:
// the exit status for each kind of argument and file, what goes to standard
// output, the export written to a file, and the report's PDF text (read back
// with pdftotext) naming the run's figures, its flow check, the log's SHA-256
// and the lines to sign. What a run holds is test_runs'.
#include "clioutput.h"
#include "logs/samplearchive.h"
#include "subcommands.h"
#include "support/testfiles.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray kHistory = "LogType,Date/Time  \r\n"
                            "Start Sampling,12/06/2026 08:00,  \r\n"
                            "Run Update,12/06/2026 08:10,=85,072,29.92,05.02,00010,002000,"
                            "0020.000,00019.500  \r\n"
                            "Stop Sampling,12/06/2026 08:11  \r\n"
                            "Done ok  \r\n";

// A run checked before and after, 7.5 % apart.
const QByteArray kChecked = "LogType,Date/Time  \r\n"
                            "Calibration,12/06/2026 07:50,002000  \r\n"
                            "Start Sampling,12/06/2026 08:00,  \r\n"
                            "Run Update,12/06/2026 08:10,085,072,29.92,05.02,00010,002000,"
                            "0020.000,00019.500  \r\n"
                            "Stop Sampling,12/06/2026 08:11  \r\n"
                            "Calibration,12/06/2026 08:20,002150  \r\n"
                            "Done ok  \r\n";

} // namespace

class TestCliFiles : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void exitStatus_data();
    void exitStatus();
    void outputs();
    void pdfText();

private:
    QTemporaryDir m_dir;
    QBuffer m_out, m_err;
    QString path(const char* name) const { return m_dir.filePath(QLatin1String(name)); }
    // Runs the subcommand, its standard output and error into m_out and m_err.
    int run(const QString& command, const QStringList& args) {
        for (QBuffer* b : {&m_out, &m_err}) {
            b->close();
            b->setData({});
            b->open(QIODevice::ReadWrite);
        }
        Output output(m_out, m_err);
        return findSubcommand(command)->main(args, output);
    }
};

void TestCliFiles::initTestCase() {
    QVERIFY(m_dir.isValid());
    putFile(path("history.csv"), kHistory);
    putFile(path("checked.csv"), kChecked);
    putFile(path("empty.tlx"), {});
}

void TestCliFiles::exitStatus_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("outLines");
    const QString history = path("history.csv"), checked = path("checked.csv");
    const QString pdf = path("out.pdf");
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
    QTest::newRow("report: written")
        << "report" << QStringList{checked, "--run", "1", "-o", pdf} << 0 << 0;
    QTest::newRow("report: a run the file does not hold")
        << "report" << QStringList{checked, "--run", "2", "-o", pdf} << 2 << 0;
    QTest::newRow("report: run 0")
        << "report" << QStringList{checked, "--run", "0", "-o", pdf} << 2 << 0;
    QTest::newRow("report: run not a number")
        << "report" << QStringList{checked, "--run", "one", "-o", pdf} << 2 << 0;
    QTest::newRow("report: no --run") << "report" << QStringList{checked, "-o", pdf} << 2 << 0;
    QTest::newRow("report: no -o") << "report" << QStringList{checked, "--run", "1"} << 2 << 0;
    QTest::newRow("report: no FILE") << "report" << QStringList{"--run", "1", "-o", pdf} << 2 << 0;
    QTest::newRow("report: missing file")
        << "report" << QStringList{path("nope"), "--run", "1", "-o", pdf} << 1 << 0;
    QTest::newRow("report: unwritable OUT")
        << "report" << QStringList{checked, "--run", "1", "-o", path("no/such/dir/r.pdf")} << 1
        << 0;
}

void TestCliFiles::exitStatus() {
    QFETCH(QString, command);
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFile::remove(path("out.pdf"));
    QCOMPARE(run(command, args), status);
    QTEST(int(m_out.data().count('\n')), "outLines");
    // Every failure says why on standard error; a success says nothing there.
    QCOMPARE(m_err.data().isEmpty(), status == 0);
    QCOMPARE(QFile::exists(path("out.pdf")), command == "report" && status == 0);
}

void TestCliFiles::outputs() {
    QCOMPARE(run("runs", {path("history.csv")}), 0);
    const QByteArray sha = QCryptographicHash::hash(kHistory, QCryptographicHash::Sha256).toHex();
    QVERIFY2(
        m_out.data().startsWith("{\"run\":1,\"start\":\"12/06/2026 08:00\",\"stop\":\"12/06/2026 "
                                "08:11\",\"end\":\"stop\",\"records\":3,"),
        m_out.data());
    QVERIFY(m_out.data().endsWith(",\"source_sha256\":\"" + sha + "\"}\n"));

    const QString csv = path("out.csv");
    QCOMPARE(run("export", {"-o", csv, path("history.csv"), "--csv"}), 0);
    const QList<QByteArray> rows = fileBytes(csv).split('\n');
    QCOMPARE(rows.size(), 5); // header, three records, nothing after the last CR LF
    QCOMPARE(rows.at(0), "Log Number,Log Type,Date/Time,Battery,Temperature,BP,DP,Elapsed Mins,"
                         "Flow Rate,Volume,STP Volume,battery_pct,temperature_f,bp_inhg,"
                         "dp_inh2o,elapsed_min,flow_ccmin,volume_l,stp_volume_l\r");
    // A battery field a spreadsheet would run is defused, and it is no number.
    QCOMPARE(rows.at(2), "2,Run Update,12/06/2026 08:10,'=85,72F,29.92 '',05.02'',00010,2000,"
                         "0020.000,00019.500,,72,29.92,5.02,10,2000,20,19.5\r");
}

void TestCliFiles::pdfText() {
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    QCOMPARE(
        run("report", {path("checked.csv"), "--run", "1", "-o", path("r.pdf"), "--pump", "KST77"}),
        0);
    QProcess p;
    p.start(pdftotext, {QStringLiteral("-layout"), path("r.pdf"), QStringLiteral("-")});
    QVERIFY(p.waitForFinished(60000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput()).simplified();
    for (const QString& expected :
         {QStringLiteral("serial number KST77"), QStringLiteral("Volume 20 L"),
          QStringLiteral("Flow check: fail: post 2150 vs pre 2000 cc/min, +7.5 % (more than 5 %)"),
          QStringLiteral("Log SHA-256: ") + SampleArchive::sha256(kChecked),
          QStringLiteral("Sampled by:"), QStringLiteral("Checked by:"),
          QStringLiteral("Corvane 1.0.0 - printed")})
        QVERIFY2(text.contains(expected), qPrintable(expected + QStringLiteral(" not in ") + text));
}

QTEST_MAIN(TestCliFiles)
#include "test_cli_files.moc"
