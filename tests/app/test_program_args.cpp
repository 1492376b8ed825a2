// The built `corvane` program's command line: help is answered without a
// display (a shell over ssh, a packaging check), an unknown argument is
// refused with exit status 2 before any window opens.
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

class TestProgramArgs : public QObject {
    Q_OBJECT
private slots:
    void arguments_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("display"); // a platform to open windows on
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");
        const QByteArray usage = "Usage: corvane [--demo] [--trace FILE]\n";
        QTest::newRow("--help, no display")
            << QStringList{"--help"} << false << 0 << usage << QByteArray();
        QTest::newRow("-h after --demo, no display")
            << QStringList{"--demo", "-h"} << false << 0 << usage << QByteArray();
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
};

QTEST_GUILESS_MAIN(TestProgramArgs)
#include "test_program_args.moc"
