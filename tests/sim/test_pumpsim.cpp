// corvane-pumpsim over a real pseudo-terminal: the path it prints (and links)
// opens like a serial port and a simulated pump answers there; --help and
// bad arguments.
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {
// Reads from fd until `until` appears, or nothing comes for half a minute.
QByteArray readUntil(int fd, const QByteArray& until) {
    QByteArray got;
    char buf[4096];
    ssize_t n = 1;
    for (pollfd p{fd, POLLIN, 0}; n > 0 && !got.contains(until) && ::poll(&p, 1, 30000) > 0;)
        if ((n = ::read(fd, buf, sizeof buf)) > 0)
            got.append(buf, int(n));
    return got;
}
} // namespace

class TestPumpSim : public QObject {
    Q_OBJECT
private slots:
    void answersOnTerminalAndChecksArguments();
};

void TestPumpSim::answersOnTerminalAndChecksArguments() {
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("com1"));
    QProcess sim;
    sim.start(QStringLiteral(CORVANE_PUMPSIM), {"--no-pacing", "--records", "7", "--serial",
                                                "PTY00042", "--ignore", "W06,G09", "--link", link});
    QTRY_VERIFY_WITH_TIMEOUT(sim.canReadLine(), 60000);
    QCOMPARE(QFileInfo(link).symLinkTarget(), QString::fromLocal8Bit(sim.readLine()).trimmed());

    const int fd = ::open(QFile::encodeName(link).constData(), O_RDWR | O_NOCTTY);
    QVERIFY(fd >= 0 && ::write(fd, "R99\r", 4) == 4);
    const QByteArray status = readUntil(fd, "\r\n");
    QCOMPARE(status.indexOf("\r\n"), 231);
    QCOMPARE(status.left(3) + status.mid(116, 8), QByteArray("R99PTY00042"));
    // The missed "G09" leaves the password off and draws no pump-state line.
    QVERIFY(::write(fd, "G09\rZ99\r", 8) == 8);
    const QByteArray setup = readUntil(fd, "\r\n");
    QVERIFY2(setup.startsWith("Z99") && setup.at(20) == '0', setup.constData());
    QVERIFY(::write(fd, "PRINTLOG\r", 9) == 9);
    const QByteArray dump = readUntil(fd, "Done ok\r\n");
    QVERIFY(dump.startsWith("PRI") && dump.count("\r\n") == 7 + 3);
    ::close(fd);

    sim.terminate();
    QVERIFY(sim.waitForFinished(60000));
    QVERIFY(!QFileInfo::exists(link) && !QFileInfo(link).isSymLink()); // link removed

    // --help names every option; a bad argument ends with code 2 before any
    // device path is printed.
    sim.start(QStringLiteral(CORVANE_PUMPSIM), {"--help"});
    QVERIFY(sim.waitForFinished(60000) && sim.exitCode() == 0);
    const QByteArray help = sim.readAllStandardOutput();
    for (const char* option :
         {"--link", "--model", "--serial", "--records", "--no-pacing", "--power-off-seconds",
          "--silent-after", "--silent-for", "--garbage-every", "--eof-after", "--log-count-skew",
          "--truncate-status-every", "--disconnect-after", "--ignore"})
        QVERIFY2(help.contains(option), option);
    for (const QStringList& args : {QStringList{"--model", "22"},
                                    {"--records", "1000"},
                                    {"--records", "many"},
                                    {"--ignore", "G09,G99"}}) {
        sim.start(QStringLiteral(CORVANE_PUMPSIM), args);
        QVERIFY(sim.waitForFinished(60000) && sim.exitCode() == 2);
        QVERIFY2(sim.readAllStandardOutput().isEmpty(), qPrintable(args.join(' ')));
    }
}

QTEST_GUILESS_MAIN(TestPumpSim)
#include "test_pumpsim.moc"
