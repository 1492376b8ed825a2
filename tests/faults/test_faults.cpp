// The built programs against corvane-pumpsim on a pseudo-terminal, one row
// per fault a technician meets: a full disk, /dev/full, a read-only folder,
// a read error, lost lines, a second program on the same port, a pump that
// dies or falls silent. Each row asserts the exit status, the words on
// standard error and what was kept.
#include "status/statuslines.h"
#include "support/fulldisk.h"
#include "support/testfiles.h"
#include "support/testpty.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <poll.h>

namespace {

// Waits until `p` has written `text` to standard error (kept in `err`).
bool awaitErr(QProcess& p, QByteArray& err, const QByteArray& text) {
    for (QDeadlineTimer end(30000); !end.hasExpired() && !err.contains(text);) {
        p.waitForReadyRead(100);
        err += p.readAllStandardError();
    }
    return err.contains(text);
}

// A pump played by the test on a pseudo-terminal it holds: it answers each
// poll with its reports and goes away (the master closed, as an unplugged
// adapter) as soon as `lastWords` arrives.
struct PtyPump : TestPty {
    QByteArray got;
    // Serves until `lastWords` came or `p` ended.
    void serve(QProcess& p, const QByteArray& lastWords) {
        const QByteArray poll = "R99\rZ99\r";
        const QByteArray reports =
            TestLines::statusLine().toLatin1() + "\r\nZ99 0 0 0 1 0 0 0 0 0 0 1 0 0\r\n";
        for (QDeadlineTimer end(30000); master >= 0 && !end.hasExpired();) {
            if (p.waitForFinished(10))
                return;
            pollfd pf{master, POLLIN, 0};
            if (::poll(&pf, 1, 0) <= 0)
                continue;
            got += readNow();
            for (int i; (i = got.indexOf(poll)) >= 0; got.remove(i, poll.size()))
                send(reports);
            if (got.contains(lastWords))
                unplug();
        }
    }
};

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
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(kept) == kept.size());
            f.close();
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

        QProcess pump;
        QString link = dir.filePath(QStringLiteral("pump-com1")), device;
        if (sim != QLatin1String("-")) {
            // At the line's own pace only where the test must catch the
            // download half way.
            const QStringList pace =
                fault == QLatin1String("stop") ? QStringList() : QStringList{"--no-pacing"};
            pump.start(CORVANE_PUMPSIM,
                       QStringList{"--link", link} + pace + sim.split(' ', Qt::SkipEmptyParts));
            QVERIFY(pump.waitForReadyRead(30000));
            device = QString::fromLocal8Bit(pump.readLine().trimmed());
        }
        const auto stopPump = qScopeGuard([&] {
            if (pump.state() != QProcess::NotRunning) {
                ::kill(pid_t(pump.processId()), SIGCONT);
                pump.terminate();
                pump.waitForFinished(10000);
            }
        });
        // Another Corvane holds the port by its link; the row's program
        // names the terminal itself.
        QProcess holder;
        if (fault == QLatin1String("second opener")) {
            holder.start(CORVANE_CLI_PATH, {"status", "--watch", "--port", link});
            QByteArray err;
            QVERIFY(awaitErr(holder, err, ": open"));
            link = device;
        }

        PtyPump ptyPump;
        if (fault == QLatin1String("unplug after"))
            link = ptyPump.slavePath;

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
            pump.kill(); // the terminal goes with it
        }
        if (fault == QLatin1String("stop")) {
            QVERIFY(awaitErr(p, err, "Reading log "));
            ::kill(pid_t(pump.processId()), SIGSTOP);
        }
        if (fault == QLatin1String("unplug after")) {
            ptyPump.serve(p, "W16 ");
            QVERIFY(ptyPump.got.contains("W16 "));
        }
        QVERIFY(p.waitForFinished(60000));
        err += p.readAllStandardError();
        if (holder.state() != QProcess::NotRunning) {
            holder.terminate();
            holder.waitForFinished(10000);
        }
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QVERIFY2(err.contains(said.toUtf8()), err.constData());
        QVERIFY2(!err.contains("No Pump Found"), err.constData());
        QCOMPARE(p.exitCode(), exitCode);

        // What was kept: an earlier file byte for byte, nothing in a folder
        // that takes no files, what arrived before lines went missing.
        const QByteArray out = p.readAllStandardOutput();
        if (fault == QLatin1String("full disk"))
            QCOMPARE(fileBytes(file), kept);
        if (fault == QLatin1String("read-only"))
            QVERIFY(!QFileInfo::exists(file));
        if (args.startsWith("download -o FILE") && exitCode == 4) {
            const QJsonObject summary = QJsonDocument::fromJson(out).object();
            QCOMPARE(summary["complete"], QJsonValue(false));
            const int records = summary["records"].toInt();
            QVERIFY(records > 0);
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
