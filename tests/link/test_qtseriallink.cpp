// The real serial port (QSerialPort) over a pseudo-terminal pair: the test
// holds the master side where the pump would be, corvane.INI names the slave
// (through a symbolic link, as a USB adapter's by-id path would be) as Com1.
#include "link/pumplink.h"
#include "link/qtseriallink.h"
#include "support/testfiles.h"
#include "support/testpty.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <ctime>
#include <optional>
#include <poll.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
// How long a condition may take to come true before the test gives up. Waits
// end as soon as the condition holds, so passing runs take no longer for it.
constexpr int kPatienceMs = 20000;

// One pseudo-terminal pair standing in for an adapter with a pump on it.
struct Pty : TestPty {
    // What the program wrote, collected until `expected` bytes came; the
    // deadline only ends a test that would otherwise hang, so it is generous
    // enough for a machine busy with other builds and tests.
    QByteArray take(int expected) const {
        QByteArray got;
        for (QDeadlineTimer end(kPatienceMs); got.size() < expected && !end.hasExpired();) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10); // lets Qt flush
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 10) > 0)
                got += readNow();
        }
        return got;
    }
};

// Points `link` at `target`, replacing whatever it pointed at, in one step.
bool repoint(const QString& link, const QString& target) {
    const QString tmp = link + QStringLiteral(".new");
    QFile::remove(tmp);
    return QFile::link(target, tmp) &&
           ::rename(QFile::encodeName(tmp).constData(), QFile::encodeName(link).constData()) == 0;
}
} // namespace

class TestQtSerialLink : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_ini;
    QString m_device; // the symbolic link named in corvane.INI
    std::optional<Pty> m_pty;

private slots:
    void init() {
        m_pty.emplace();
        m_device = m_dir.filePath(QStringLiteral("ttyPUMP"));
        QVERIFY(m_pty->master >= 0 && repoint(m_device, m_pty->slavePath));
        m_ini = m_dir.filePath(QStringLiteral("corvane.INI"));
        putFile(m_ini, "[Program]\r\nUnits=0\r\n[Comm Port]\r\nCommPort=1\r\nCom1=" +
                           QFile::encodeName(m_device) + "\r\nCom3=/nonexistent/ttyNONE\r\n");
    }

    // A port held by another program is "in use", not a permission problem,
    // whatever name either program reached it by (root passes the terminal's
    // exclusive mode: only a lock on the device itself tells), and it is free
    // again once the holder lets go. The holder talks both ways, raw: no
    // echo, no CR/LF translation, all 8 bits.
    void bothWaysAndHeld_data() {
        QTest::addColumn<QString>("holder");  // another Corvane, or a program that locks it
        QTest::addColumn<bool>("byTerminal"); // the second opener names /dev/pts/N, not the link
        QTest::newRow("Corvane, same link") << "corvane" << false;
        QTest::newRow("Corvane, the terminal's own name") << "corvane" << true;
        QTest::newRow("a lock alone") << "flock" << false;
    }
    void bothWaysAndHeld() {
        QFETCH(QString, holder);
        QFETCH(bool, byTerminal);
        QtSerialLink held(m_ini), link(m_ini);
        int lockFd = -1;
        if (holder == QLatin1String("flock")) {
            lockFd = ::open(QFile::encodeName(m_pty->slavePath).constData(), O_RDWR | O_NOCTTY);
            QVERIFY(lockFd >= 0 && ::flock(lockFd, LOCK_EX | LOCK_NB) == 0);
        } else {
            QVERIFY2(held.open(1, QStringLiteral("57600,N,8,1")), qPrintable(held.lastErrorText()));
        }
        if (byTerminal)
            link.setDevice(1, m_pty->slavePath);
        QVERIFY(!link.open(1, QStringLiteral("57600,N,8,1")));
        QCOMPARE(link.lastOpenError(), SerialLink::OpenError::Busy);
        QCOMPARE(link.lastErrorText(), QStringLiteral("in use by another program"));
        held.close();
        if (lockFd >= 0)
            ::close(lockFd);
        QVERIFY2(link.open(1, QStringLiteral("57600,N,8,1")), qPrintable(link.lastErrorText()));
        QVERIFY(link.write("R99\rZ99\r"));
        QCOMPARE(m_pty->take(8), QByteArray("R99\rZ99\r"));
        const QByteArray reply = QByteArray("R99 status\r\n\x01\xfeZ99 setup\r");
        QVERIFY(m_pty->send(reply));
        QByteArray got;
        QTRY_VERIFY_WITH_TIMEOUT((got += link.readAll()).size() >= reply.size(), kPatienceMs);
        QCOMPARE(got, reply);
    }

    // Devices from corvane.INI, /dev/ttyS(n-1) otherwise; a device that is
    // not there is told apart in the status text. A device given for a port
    // number (corvane-cli --port PATH) wins over both, opens as Com1 would,
    // and can be taken back. A write is held until the event loop runs;
    // bytesToWrite() says so, so a program about to end can let it go out.
    void portMapAndPendingWrite() {
        QtSerialLink link(m_ini);
        QCOMPARE(link.deviceName(2), QStringLiteral("/dev/ttyS1"));
        {
            AppState state;
            PumpLink pump(state, link); // gone before its retry could open the port
            pump.selectPort(2);
            QCOMPARE(link.lastOpenError(), SerialLink::OpenError::NotFound);
            QVERIFY2(pump.statusText().startsWith(QLatin1String("Com3 (/nonexistent/ttyNONE): ")),
                     qPrintable(pump.statusText()));
        }
        link.setDevice(3, m_pty->slavePath);
        QCOMPARE(link.deviceName(3), m_pty->slavePath);
        QCOMPARE(link.deviceName(1), m_device); // the others keep the file's mapping
        QVERIFY2(link.open(3, QStringLiteral("57600,N,8,1")), qPrintable(link.lastErrorText()));
        QCOMPARE(link.bytesToWrite(), 0);
        QVERIFY(link.write("LOG_INIT\r"));
        QCOMPARE(link.bytesToWrite(), 9);
        QCOMPARE(m_pty->take(9), QByteArray("LOG_INIT\r"));
        QCOMPARE(link.bytesToWrite(), 0);
        link.close();
        QCOMPARE(link.bytesToWrite(), 0);

        link.setDevice(3, QString());
        QCOMPARE(link.deviceName(3), QStringLiteral("/nonexistent/ttyNONE"));
        QVERIFY(!link.open(3, QStringLiteral("57600,N,8,1")));
        QCOMPARE(link.lastOpenError(), SerialLink::OpenError::NotFound);
    }

    // End of file only with detection on, before the characters that hold
    // it; and while the receive handler is busy
    // (a box open, a pause) the waiting text is left unread: more text
    // arriving meanwhile must not report the same end-of-file again.
    void endOfFileReportedOnce() {
        QtSerialLink link(m_ini);
        QVERIFY(link.open(1, QStringLiteral("57600,N,8,1")));
        QByteArray codes; // 'E' end of file, 'R' characters waiting
        connect(&link, &SerialLink::endOfFileReceived, [&] { codes += 'E'; });
        connect(&link, &SerialLink::readyRead, [&] { codes += 'R'; });
        QVERIFY(m_pty->send("ab\x1a\r"));
        QTRY_COMPARE_WITH_TIMEOUT(codes, QByteArray("R"), kPatienceMs); // detection off
        link.readAll();
        codes.clear();
        link.setEofEnabled(true);
        QVERIFY(m_pty->send("Done\x1a"));
        QTRY_COMPARE_WITH_TIMEOUT(codes.count('R'), 1, kPatienceMs);
        QVERIFY(m_pty->send(" ok\r"));
        QTRY_COMPARE_WITH_TIMEOUT(codes.count('R'), 2, kPatienceMs);
        QCOMPARE(codes, QByteArray("ERR"));
        QCOMPARE(link.readAll(), QByteArray("Done\x1a ok\r"));
        QVERIFY(m_pty->send("\x1a"));
        QTRY_COMPARE_WITH_TIMEOUT(codes.count('R'), 3, kPatienceMs);
        QCOMPARE(codes, QByteArray("ERRER")); // a new one is reported
    }

    // The adapter goes away under the open port (the master side closes, and
    // its path goes with it, as an unplugged adapter's by-id link does): the
    // port is closed, the loss reported once, the processor stays idle, and
    // the port opens again by itself once a new device stands behind the
    // same path. The path must not keep pointing at the old /dev/pts/N: any
    // other program on the machine may get that number next, and the retry
    // would then open its terminal.
    void unplugAndReplug() {
        AppState state;
        QtSerialLink serial(m_ini);
        PumpLink link(state, serial);
        QSignalSpy lost(&serial, &SerialLink::deviceLost);
        QSignalSpy status(&link, &PumpLink::statusChanged);
        link.selectPort(0);
        QVERIFY2(link.isOpen(), qPrintable(link.statusText()));

        m_pty->unplug();
        QVERIFY(QFile::remove(m_device));
        QTRY_VERIFY_WITH_TIMEOUT(!serial.isOpen(), kPatienceMs);
        QCOMPARE(link.statusText(), QStringLiteral("Com1 (%1): device lost").arg(m_device));
        const std::clock_t cpuBefore = std::clock();
        QTest::qWait(2000);
        // A port left open on the dead terminal spins a whole core; an idle
        // one, retrying once a second, uses next to nothing. A quarter of a
        // core leaves room for a slow, busy or sanitizer-instrumented run.
        const double cpu = double(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
        QVERIFY2(cpu < 0.5, qPrintable(QString::number(cpu)));
        QVERIFY(link.retrying() && !serial.isOpen());
        QCOMPARE(lost.count(), 1);
        QCOMPARE(status.count(), 2); // open, then lost once: no flood

        Pty replug;
        QVERIFY(replug.master >= 0 && repoint(m_device, replug.slavePath));
        QTRY_VERIFY_WITH_TIMEOUT(serial.isOpen(), kPatienceMs);
        QCOMPARE(link.statusText(), QStringLiteral("Com1 (%1): open").arg(m_device));
        link.sendToPump(QStringLiteral("R99\rZ99\r"));
        QCOMPARE(replug.take(8), QByteArray("R99\rZ99\r"));
    }
};

QTEST_GUILESS_MAIN(TestQtSerialLink)
#include "test_qtseriallink.moc"
