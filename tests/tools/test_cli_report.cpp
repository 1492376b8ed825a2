// corvane-cli report in-process: the exit status for each kind of argument,
// and the PDF's text (read back with pdftotext) naming the run's figures, its
// flow check, the log's SHA-256 and the lines to sign.
#include "clioutput.h"
#include "logs/samplearchive.h"
#include "subcommands.h"
#include "support/testfiles.h"

#include <QBuffer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray kHistory = "LogType,Date/Time  \r\n"
                            "Calibration,12/06/2026 07:50,002000  \r\n"
                            "Start Sampling,12/06/2026 08:00,  \r\n"
                            "Run Update,12/06/2026 08:10,085,072,29.92,05.02,00010,002000,"
                            "0020.000,00019.500  \r\n"
                            "Stop Sampling,12/06/2026 08:11  \r\n"
                            "Calibration,12/06/2026 08:20,002150  \r\n"
                            "Done ok  \r\n";

} // namespace

class TestCliReport : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void exitStatus_data();
    void exitStatus();
    void pdfText();

private:
    int report(const QStringList& args) {
        QBuffer out, err;
        out.open(QIODevice::ReadWrite);
        err.open(QIODevice::ReadWrite);
        Output output(out, err);
        return findSubcommand(QStringLiteral("report"))->main(args, output);
    }
    QTemporaryDir m_dir;
    QString path(const char* name) const { return m_dir.filePath(QLatin1String(name)); }
};

void TestCliReport::initTestCase() {
    QVERIFY(m_dir.isValid());
    putFile(path("history.csv"), kHistory);
}

void TestCliReport::exitStatus_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    const QString h = path("history.csv"), out = path("out.pdf");
    QTest::newRow("written") << QStringList{h, "--run", "1", "-o", out} << 0;
    QTest::newRow("a run the file does not hold") << QStringList{h, "--run", "2", "-o", out} << 2;
    QTest::newRow("run 0") << QStringList{h, "--run", "0", "-o", out} << 2;
    QTest::newRow("run not a number") << QStringList{h, "--run", "one", "-o", out} << 2;
    QTest::newRow("no --run") << QStringList{h, "-o", out} << 2;
    QTest::newRow("no -o") << QStringList{h, "--run", "1"} << 2;
    QTest::newRow("no FILE") << QStringList{"--run", "1", "-o", out} << 2;
    QTest::newRow("missing file") << QStringList{path("nope"), "--run", "1", "-o", out} << 1;
    QTest::newRow("unwritable OUT")
        << QStringList{h, "--run", "1", "-o", path("no/such/dir/r.pdf")} << 1;
}

void TestCliReport::exitStatus() {
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFile::remove(path("out.pdf"));
    QCOMPARE(report(args), status);
    QCOMPARE(QFile::exists(path("out.pdf")), status == 0);
}

void TestCliReport::pdfText() {
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    QCOMPARE(report({path("history.csv"), "--run", "1", "-o", path("r.pdf"), "--pump", "KST77"}),
             0);
    QProcess p;
    p.start(pdftotext, {QStringLiteral("-layout"), path("r.pdf"), QStringLiteral("-")});
    QVERIFY(p.waitForFinished(60000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput()).simplified();
    for (const QString& expected :
         {QStringLiteral("serial number KST77"), QStringLiteral("Volume 20 L"),
          QStringLiteral("Flow check: fail: post 2150 vs pre 2000 cc/min, +7.5 % (more than 5 %)"),
          QStringLiteral("Log SHA-256: ") + SampleArchive::sha256(kHistory),
          QStringLiteral("Sampled by:"), QStringLiteral("Checked by:"),
          QStringLiteral("Corvane 1.0.0 - printed")})
        QVERIFY2(text.contains(expected), qPrintable(expected + QStringLiteral(" not in ") + text));
}

QTEST_MAIN(TestCliReport)
#include "test_cli_report.moc"
