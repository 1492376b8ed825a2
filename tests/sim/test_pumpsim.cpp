// corvane-pumpsim over a real pseudo-terminal: the path it prints opens like
// a serial port and a simulated pump answers there.
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {
// Reads from fd until `until` appears or the time is up.
QByteArray readUntil(int fd, const QByteArray& until, int timeoutMs) {
    QByteArray got;
    QElapsedTimer t;
    t.start();
    while (!got.contains(until) && t.elapsed() < timeoutMs) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0)
            continue;
        char buf[4096];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0)
            got.append(buf, int(n));
    }
    return got;
}
} // namespace

class TestPumpSim : public QObject {
    Q_OBJECT
private slots:
    void answersOnTerminal();
    void helpNamesEveryOption();
    void rejectsBadArguments_data();
    void rejectsBadArguments();
};

void TestPumpSim::answersOnTerminal() {
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("com1"));
    QProcess sim;
    sim.start(QStringLiteral(CORVANE_PUMPSIM),
              {QStringLiteral("--no-pacing"), QStringLiteral("--records"), QStringLiteral("7"),
               QStringLiteral("--serial"), QStringLiteral("PTY00042"), QStringLiteral("--link"),
               link});
    QVERIFY(sim.waitForStarted());
    QTRY_VERIFY(sim.canReadLine());
    const QString path = QString::fromLocal8Bit(sim.readLine()).trimmed();
    QVERIFY2(path.startsWith(QStringLiteral("/dev/")), qPrintable(path));
    QCOMPARE(QFileInfo(link).symLinkTarget(), path);

    const int fd = ::open(QFile::encodeName(link).constData(), O_RDWR | O_NOCTTY);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, "R99\r", 4), ssize_t(4));
    const QByteArray status = readUntil(fd, "\r\n", 5000);
    QVERIFY2(status.startsWith("R99"), status.constData());
    QCOMPARE(status.indexOf("\r\n"), 231);
    QCOMPARE(status.mid(116, 8), QByteArray("PTY00042"));

    QCOMPARE(::write(fd, "PRINTLOG\r", 9), ssize_t(9));
    const QByteArray dump = readUntil(fd, "Done ok\r\n", 5000);
    QVERIFY(dump.startsWith("PRI"));
    QCOMPARE(dump.count("\r\n"), 7 + 3);
    ::close(fd);

    sim.terminate();
    QVERIFY(sim.waitForFinished(5000));
    QVERIFY(!QFileInfo::exists(link) && !QFileInfo(link).isSymLink()); // link removed
}

void TestPumpSim::helpNamesEveryOption() {
    QProcess sim;
    sim.start(QStringLiteral(CORVANE_PUMPSIM), {QStringLiteral("--help")});
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitCode(), 0);
    const QByteArray help = sim.readAllStandardOutput();
    for (const char* option :
         {"--link", "--model", "--serial", "--records", "--no-pacing", "--power-off-seconds",
          "--silent-after", "--silent-for", "--garbage-every", "--eof-after", "--log-count-skew",
          "--truncate-status-every", "--disconnect-after"})
        QVERIFY2(help.contains(option), option);
}

void TestPumpSim::rejectsBadArguments_data() {
    QTest::addColumn<QStringList>("args");
    QTest::newRow("unknown model") << QStringList{QStringLiteral("--model"), QStringLiteral("22")};
    QTest::newRow("too many records")
        << QStringList{QStringLiteral("--records"), QStringLiteral("1000")};
    QTest::newRow("records not a number")
        << QStringList{QStringLiteral("--records"), QStringLiteral("many")};
}

void TestPumpSim::rejectsBadArguments() {
    QFETCH(QStringList, args);
    QProcess sim;
    sim.start(QStringLiteral(CORVANE_PUMPSIM), args);
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitCode(), 2);
    QVERIFY(sim.readAllStandardOutput().isEmpty()); // no device path printed
}

QTEST_GUILESS_MAIN(TestPumpSim)
#include "test_pumpsim.moc"
