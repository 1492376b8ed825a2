// The built `corvane` program's command line: help is answered without a
// display (a shell over ssh, a packaging check), an unknown option is
// refused with exit status 2 before any window opens, and a log file named
// on it (a file manager's "Open with") does not stop the program starting.
#include "app/programargs.h"
#include "support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

class TestProgramArgs : public QObject {
    Q_OBJECT
private slots:
    void parse_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("parsed"); // help demo trace logfile | error
        auto row = [](const char* name, QStringList args, const char* parsed) {
            QTest::newRow(name) << args << QString::fromUtf8(parsed);
        };
        row("nothing", {}, "0 0 '' '' | ");
        row("a log file", {"/home/tech/pump.tlx"}, "0 0 '' '/home/tech/pump.tlx' | ");
        row("options and a log file", {"--demo", "pump.csv", "--trace", "t"},
            "0 1 't' 'pump.csv' | ");
        row("a file named like an option after --", {"--", "--demo"}, "0 0 '' '--demo' | ");
        row("a lone dash is a name", {"-"}, "0 0 '' '-' | ");
        row("help wins over a file", {"pump.csv", "-h"}, "1 0 '' 'pump.csv' | ");
        row("unknown option", {"--bogus", "pump.csv"},
            "0 0 '' 'pump.csv' | unknown option --bogus");
        row("trace without its file", {"--trace"}, "0 0 '' '' | --trace needs a file name");
        row("two log files", {"a.csv", "b.csv"},
            "0 0 '' 'a.csv' | one log file at a time (a.csv and b.csv were given)");
        row("an empty name", {""}, "0 0 '' '' | an empty log file name");
    }
    void parse() {
        QFETCH(QStringList, args);
        QFETCH(QString, parsed);
        const ProgramArgs a = ProgramArgs::parse(args);
        QCOMPARE(QStringLiteral("%1 %2 '%3' '%4' | %5")
                     .arg(a.help)
                     .arg(a.demo)
                     .arg(a.tracePath, a.logFile, a.error),
                 parsed);
    }

    void arguments_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("display"); // a platform to open windows on
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");
        const QByteArray usage = "Usage: corvane [--demo] [--trace FILE] [LOGFILE]\n";
        QTest::newRow("--help, no display")
            << QStringList{"--help"} << false << 0 << usage << QByteArray();
        QTest::newRow("unknown") << QStringList{"--demo", "--bogus"} << true << 2 << QByteArray()
                                 << QByteArray("corvane: unknown option --bogus\n");
        QTest::newRow("trace file that cannot be written")
            << QStringList{"--demo", "--trace", "/nonexistent/folder/t"} << true << 2
            << QByteArray() << QByteArray("No such file or directory\n");
    }

    void arguments() {
        QFETCH(QStringList, args);
        QFETCH(bool, display);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        QTemporaryDir home;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QLatin1String(name));
        if (display)
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path()); // no settings touched
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(CORVANE_PATH), args);
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), exitCode);
        QVERIFY2(p.readAllStandardOutput().startsWith(out), qPrintable(args.join(' ')));
        QVERIFY(p.readAllStandardError().endsWith(err));
    }

    void startsWithLogFile_data() {
        QTest::addColumn<bool>("readable");
        QTest::newRow("a log file") << true;
        QTest::newRow("a log file that cannot be read") << false;
    }

    // `corvane --demo FILE` runs as usual (the file is shown, or the reason
    // it cannot be, in the window) until it is closed. It runs from its own
    // folder, so the demo's settings are written there and nowhere else.
    void startsWithLogFile() {
        QFETCH(bool, readable);
        QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/args-XXXXXX"));
        QVERIFY(dir.isValid());
        const QString program = dir.filePath(QStringLiteral("corvane"));
        if (::link(CORVANE_PATH, QFile::encodeName(program).constData()) != 0)
            QVERIFY(QFile::copy(QStringLiteral(CORVANE_PATH), program));
        const QString log = dir.filePath(QStringLiteral("pump.tlx"));
        if (readable)
            putFile(log, "LogType,Date/Time  \r\nPower On,12/06/2026 14:05  \r\nDone ok  \r\n");
        const QString trace = dir.filePath(QStringLiteral("trace"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path());
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(program, {QStringLiteral("--demo"), QStringLiteral("--trace"), trace, log});
        QVERIFY(p.waitForStarted(60000));
        // The demo pump answering the first poll: the window is up and runs.
        QTRY_VERIFY_WITH_TIMEOUT(QFile(trace).size() > 0, 60000);
        QCOMPARE(p.state(), QProcess::Running);
        p.terminate(); // closes the window as a logout does
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(p.readAllStandardError().contains("corvane:"), false);
        // Run as root, they go to the configuration folder instead.
        const QString folder =
            geteuid() == 0 ? dir.filePath(QStringLiteral("Corvane")) : dir.path();
        QVERIFY(QFile::exists(QDir(folder).filePath(QStringLiteral("corvane-demo.INI"))));
    }
};

QTEST_GUILESS_MAIN(TestProgramArgs)
#include "test_program_args.moc"
