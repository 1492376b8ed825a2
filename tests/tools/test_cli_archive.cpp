// corvane-cli archive and the archiving of `download`, through the built
// program: exit statuses and what each prints, a damaged or unreachable
// archive left as it was (a download still written, with exit 0), and an
// import killed with SIGKILL in the middle of its write: the archive then
// opens whole, each import in it all or not at all.
#include "logs/samplearchive.h"
#include "support/logfilelines.h"
#include "support/programrun.h"
#include "support/testfiles.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <csignal>

namespace {

using Run = ProgramRun;

Run runCli(const QStringList& args) {
    return runProgram(QStringLiteral(CORVANE_CLI_PATH), args);
}

} // namespace

class TestCliArchive : public QObject {
    Q_OBJECT
private slots:
    void commands_data();
    void commands();
    void killedMidWrite();
};

void TestCliArchive::commands_data() {
    QTest::addColumn<QString>("archive"); // "two": two downloads kept; "damaged"; "new"
    QTest::addColumn<QString>("args");    // A: the archive, D: the test's folder
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out"); // a pattern for standard output
    QTest::addColumn<QString>("err"); // a part of standard error
    auto row = [](const char* name, const char* archive, const char* args, int exitCode,
                  const char* out, const char* err) {
        QTest::newRow(name) << archive << args << exitCode << out << err;
    };
    row("list", "two", "archive list --archive A", 0,
        "ID\tPUMP\tDOWNLOADED \\(UTC\\)\tRECORDS\tENDED\tSHA-256\n"
        "2\tP-2\t2026-12-06T22:28:05Z\t5\tstopped\t[0-9a-f]{64}\n"
        "1\tP-1\t2026-12-06T22:28:05Z\t3\tcomplete\t[0-9a-f]{64}\n",
        "");
    row("list --json, one pump", "two", "archive list --json --pump P-1 --archive A", 0,
        R"(\{"bytes":[0-9]+,"downloaded_at":"2026-12-06T22:28:05Z","ended":"complete",)"
        R"("host":"h","id":1,"pump_model":"KST-5","pump_serial":"P-1","records":3,)"
        R"("sha256":"[0-9a-f]{64}","user":"u"\}\n)",
        "");
    row("show to a file", "two", "archive show 1 -o D/out.csv --archive A", 0, "", "Download #1 (");
    row("import", "new", "archive import D/in.csv --pump P-9 --archive A", 0,
        R"(\{"file":"D/in.csv","id":1,"records":7,"sha256":"[0-9a-f]{64}"\}\n)", "");
    row("import, a file missing: nothing kept", "new",
        "archive import D/in.csv D/none.csv --archive A", 1, "", "none.csv: no such file");
    row("damaged: list", "damaged", "archive list --archive A", 1, "",
        "it is not an SQLite database; it was left as it is");
    row("damaged: the download goes on", "damaged", "download --demo -o D/out.csv --archive A", 0,
        "\\{.*\"complete\":true.*\n",
        "The download was not archived: the archive D/a.sqlite: it is not an SQLite database");
    row("download kept", "new", "download --demo -o D/out.csv --archive A", 0,
        "\\{.*\"complete\":true.*\n", "Kept in the archive D/a.sqlite as download #1");
    row("usage: another scheme", "new", "download --demo --archive mysql://h/x", 2, "",
        "neither a file nor a postgresql:// URL");
}

void TestCliArchive::commands() {
    QFETCH(QString, archive);
    QFETCH(QString, args);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.sqlite"));
    putFile(dir.filePath(QStringLiteral("in.csv")), downloadFile(7));
    if (archive == QLatin1String("two")) {
        SampleArchive a(ArchiveLocations::parse(path));
        const QDateTime at(QDate(2026, 12, 6), QTime(22, 28, 5), Qt::UTC);
        QVERIFY(a.store(NewDownload{"P-1", "KST-5", at, "u", "h", ArchiveEnding::kComplete, 3,
                                    downloadFile(3)})
                    .ok());
        QVERIFY(a.store(NewDownload{"P-2", "KST-5", at, "u", "h", ArchiveEnding::kStopped, 5,
                                    downloadFile(5)})
                    .ok());
    } else if (archive == QLatin1String("damaged")) {
        putFile(path, downloadFile(2));
    }
    const QByteArray before = fileBytes(path);
    QStringList argv = args.split(QLatin1Char(' '));
    // The folder first: its own random name may end in "D".
    argv.replaceInStrings(QStringLiteral("D/"), dir.path() + QLatin1Char('/'));
    argv.replaceInStrings(QRegularExpression(QStringLiteral("^A$")), path);

    const Run r = runCli(argv);
    QCOMPARE(r.exitCode, exitCode);
    const QRegularExpression expected(QRegularExpression::anchoredPattern(QString(out).replace(
        QStringLiteral("D/"), QRegularExpression::escape(dir.path() + QLatin1Char('/')))));
    QVERIFY2(expected.match(QString::fromUtf8(r.out)).hasMatch(), r.out.constData());
    QVERIFY2(r.err.contains(QString(err).replace(QStringLiteral("D/"), dir.path() + '/').toUtf8()),
             r.err.constData());
    if (archive == QLatin1String("damaged"))
        QCOMPARE(fileBytes(path), before);
    if (args.contains(QLatin1String("show 1 -o D/out.csv")))
        QCOMPARE(fileBytes(dir.filePath(QStringLiteral("out.csv"))), downloadFile(3));
    if (args.startsWith(QLatin1String("download")) && exitCode == 0)
        QVERIFY(fileBytes(dir.filePath(QStringLiteral("out.csv"))).endsWith("Done ok  \r\n"));
    if (args.contains(QLatin1String("none.csv")))
        QVERIFY(!QFile::exists(path) ||
                SampleArchive(ArchiveLocations::parse(path)).count().value == 0);
}

// SIGKILL while an import of many files is being written: afterwards the
// archive opens, passes SQLite's integrity check, and holds whole imports
// only, every download's bytes matching their SHA-256.
void TestCliArchive::killedMidWrite() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.sqlite"));
    constexpr int kFiles = 40;
    QStringList args = {QStringLiteral("archive"), QStringLiteral("import"),
                        QStringLiteral("--archive"), path};
    for (int i = 0; i < kFiles; ++i) {
        args << dir.filePath(QStringLiteral("f%1.csv").arg(i));
        putFile(args.last(),
                downloadFile(999).replace("00001,", QByteArray::number(10000 + i) + ','));
    }
    // One whole import first, so the kills below land in the writing of
    // downloads, not in the making of the archive.
    QCOMPARE(runCli(args).exitCode, 0);
    // The rollback journal is there exactly while a write is under way.
    const QString journal = path + QStringLiteral("-journal");
    int killedWriting = 0;
    for (int round = 0; round < 30 && killedWriting < 3; ++round) {
        QProcess p;
        p.start(QStringLiteral(CORVANE_CLI_PATH), args);
        QVERIFY(p.waitForStarted());
        while (p.state() == QProcess::Running && !QFile::exists(journal))
            QThread::usleep(50);
        if (p.state() == QProcess::Running && QFile::exists(journal)) {
            ::kill(pid_t(p.processId()), SIGKILL);
            ++killedWriting;
        }
        QVERIFY(p.waitForFinished(60000));
    }
    QVERIFY2(killedWriting > 0, "no import was caught writing");

    // A reader first: it must cope with what the killed writer left.
    const Run listed = runCli({"archive", "list", "--json", "--archive", path});
    QCOMPARE(listed.exitCode, 0);
    const QList<QByteArray> lines = listed.out.split('\n').mid(0, listed.out.count('\n'));
    QVERIFY(lines.size() >= kFiles);
    QCOMPARE(lines.size() % kFiles, 0);
    SampleArchive archive(ArchiveLocations::parse(path));
    for (const QByteArray& line : lines) {
        const auto kept = archive.fetch(QJsonDocument::fromJson(line).object()["id"].toInteger());
        QVERIFY2(kept.ok(), qPrintable(kept.error));
        QCOMPARE(kept.value.records, 999);
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "check");
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("PRAGMA integrity_check")) && q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("ok"));
        QVERIFY(q.exec(QStringLiteral("SELECT COUNT(*) FROM download_bytes")) && q.next());
        QCOMPARE(q.value(0).toInt(), lines.size());
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
}

QTEST_GUILESS_MAIN(TestCliArchive)
#include "test_cli_archive.moc"
