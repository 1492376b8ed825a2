// The built programs against corvane-pumpsim on a pseudo-terminal, one row
// per fault a technician meets: a full disk, /dev/full, a read-only folder,
// a read error, lost lines, the cable pulled, a second program on the same
// port, a pump that dies or falls silent. Each row asserts the exit status,
// the words on standard error and what was kept.
#include "../tools/cliprocess.h"
#include "support/fulldisk.h"
#include "support/testfiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Waits until `p` has written `text` to standard error (kept in `err`).
bool awaitErr(QProcess& p, QByteArray& err, const QByteArray& text) {
    for (QDeadlineTimer end(30000); !end.hasExpired() && !err.contains(text);) {
        p.waitForReadyRead(100);
        err += p.readAllStandardError();
    }
    return err.contains(text);
}

} // namespace

class TestFaults : public QObject {
    Q_OBJECT
private slots:
    void fault_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("args"); // PORT: the pump's link, FILE: the row's file
        QTest::addColumn<QString>("sim");  // corvane-pumpsim's options; "-": none
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("said"); // on standard error
        auto row = [](const char* name, const char* fault, const char* args, const char* sim,
                      int exitCode, const char* said) {
            QTest::newRow(name) << fault << args << sim << exitCode << said;
        };
        const char* full = "cannot write standard output: No space left on device";
        row("download -o - to /dev/full", "/dev/full", "download -o - --port PORT", "", 1, full);
        row("status to /dev/full", "/dev/full", "status --port PORT", "", 1, full);
        row("trace --raw to /dev/full", "/dev/full", "trace --raw --seconds 2 --port PORT", "", 1,
            full);
        row("decode to /dev/full", "/dev/full", "decode", "-", 1, full);
        row("decode a folder", "folder on stdin", "decode", "-", 1,
            "cannot read the input: Is a directory");
        row("download, lines lost", "", "download -o FILE --port PORT", "--log-count-skew 17", 4,
            "Only 40 of the 57 records the pump counted arrived");
        // The two reports, "PRINTING", the titles and 12 records, then the cable drops.
        row("download, the cable pulled", "cable", "download -o FILE --port PORT",
            "--disconnect-after 12", 4,
            "Reading logs stopped: the serial port went away (unplugged?)");
        row("download onto a full disk", "full disk", "download -o FILE --port PORT", "", 1,
            "No space left on device");
        row("download into a read-only folder", "read-only", "download -o FILE --port PORT", "", 2,
            "cannot write a file in");
        row("second program, the terminal's own name", "second opener", "status --port PORT", "", 3,
            "in use by another program");
        row("pump gone before it answered", "kill", "status --port PORT", "--silent-after 0", 3,
            "device lost");
        row("set-clock, unplugged after sending", "unplug after", "set-clock --port PORT", "-", 3,
            "device lost");
        row("pump silent during a download (SIGSTOP)", "stop", "download -o FILE --port PORT",
            "--records 999", 4, "the pump sent nothing for 10 seconds");
    }

    void fault() {
        QFETCH(QString, fault);
        QFETCH(QString, args);
        QFETCH(QString, sim);
        QFETCH(int, exitCode);
        QFETCH(QString, said);
        QTemporaryDir dir;
        QString file = dir.filePath(QStringLiteral("log.csv"));
        std::unique_ptr<FullDisk> disk;
        const QByteArray kept = "an earlier download\r\n";
        if (fault == QLatin1String("full disk")) {
            disk = std::make_unique<FullDisk>(dir.filePath(QStringLiteral("disk")));
            if (!disk->mounted())
                QSKIP(qPrintable(disk->whyNot()));
            file = disk->filePath(QStringLiteral("log.csv"));
            putFile(file, kept);
            QVERIFY(disk->fill());
        }
        const QString readOnly = dir.filePath(QStringLiteral("ro"));
        if (fault == QLatin1String("read-only")) {
            QVERIFY(QDir().mkdir(readOnly));
            file = QDir(readOnly).filePath(QStringLiteral("log.csv"));
            setFolderReadOnly(readOnly, true);
        }
        const auto writable = qScopeGuard([&] {
            if (QFileInfo::exists(readOnly))
                setFolderReadOnly(readOnly, false);
        });

        // At the line's own pace only where the test must catch the download
        // half way.
        PumpSim pump;
        if (sim != QLatin1String("-"))
            QVERIFY(pump.start(dir.path(), sim.split(' ', Qt::SkipEmptyParts),
                               fault == QLatin1String("stop")));
        QString link = pump.link;
        // Another Corvane holds the port by its link; the row's program
        // names the terminal itself.
        QProcess holder;
        if (fault == QLatin1String("second opener")) {
            holder.start(CORVANE_CLI_PATH, {"status", "--watch", "--port", link});
            QByteArray err;
            QVERIFY(awaitErr(holder, err, ": open"));
            link = pump.device;
        }

        TestPty pty; // a pump the test plays, unplugged once the clock was sent
        if (fault == QLatin1String("unplug after"))
            link = pty.slavePath;

        QProcess p;
        if (fault == QLatin1String("/dev/full"))
            p.setStandardOutputFile(QStringLiteral("/dev/full"));
        if (fault == QLatin1String("folder on stdin"))
            p.setStandardInputFile(dir.path());
        p.start(CORVANE_CLI_PATH, QString(args)
                                      .replace("PORT", link)
                                      .replace("FILE", file)
                                      .split(' ', Qt::SkipEmptyParts));
        if (args == QLatin1String("decode") && fault != QLatin1String("folder on stdin")) {
            p.write("R99 x\r\nZ99 y\r\n");
            p.closeWriteChannel();
        }
        QByteArray err;
        if (fault == QLatin1String("kill")) {
            QVERIFY(awaitErr(p, err, ": open"));
            pump.process.kill(); // the terminal goes with it
        }
        if (fault == QLatin1String("stop")) {
            QVERIFY(awaitErr(p, err, "Reading log "));
            ::kill(pid_t(pump.process.processId()), SIGSTOP);
        }
        ProgramRun r;
        if (fault == QLatin1String("unplug after")) {
            r = serve(p, pty, answering(), [&pty](QProcess&, const QByteArray& written) {
                if (written.contains("W16 "))
                    pty.unplug();
            });
            QVERIFY(r.written.contains("W16 "));
        } else {
            QVERIFY(p.waitForFinished(60000));
            r.collect(p);
        }
        err += r.err;
        if (holder.state() != QProcess::NotRunning) {
            holder.terminate();
            holder.waitForFinished(10000);
        }
        QVERIFY2(err.contains(said.toUtf8()), err.constData());
        QVERIFY2(!err.contains("No Pump Found"), err.constData());
        QCOMPARE(r.exitCode, exitCode);

        // What was kept: an earlier file byte for byte, nothing in a folder
        // that takes no files, what arrived before lines went missing.
        if (fault == QLatin1String("full disk"))
            QCOMPARE(fileBytes(file), kept);
        if (fault == QLatin1String("read-only"))
            QVERIFY(!QFileInfo::exists(file));
        if (args.startsWith("download -o FILE") && exitCode == 4) {
            const QJsonObject summary = QJsonDocument::fromJson(r.out).object();
            QCOMPARE(summary["complete"], QJsonValue(false));
            const int records = summary["records"].toInt();
            QVERIFY(records > 0);
            if (fault == QLatin1String("cable")) // every whole record that came
                QVERIFY(records == 12 && summary["expected"].toInt() == 40);
            QCOMPARE(fileBytes(file).count('\n'), records + (fault.isEmpty() ? 2 : 1));
            if (fault.isEmpty())
                QCOMPARE(summary["short"], QJsonValue(true));
        }
        if (args.startsWith("download -o -"))
            QVERIFY2(err.contains("\"complete\":false"), err.constData());
    }
};

QTEST_GUILESS_MAIN(TestFaults)
#include "test_faults.moc"
