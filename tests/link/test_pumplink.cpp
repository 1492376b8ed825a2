// SelectPort, SendToPump and the receive notification over the recording
// fake port: port changes, failed opens and writes, a lost device coming
// back, and a receive handler that is never entered twice.
#include "link/fakeseriallink.h"
#include "link/pumplink.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using Ev = FakeSerialLink::Event;
Q_DECLARE_METATYPE(SerialLink::OpenError)

namespace {
// One link over one fake port, with Com1 chosen.
struct Rig {
    AppState state;
    FakeSerialLink fake;
    PumpLink link{state, fake};
    Rig() { link.selectPort(0); }
    QString events(int from = 0) const {
        static const char* const kNames[] = {"open", "close", "write"};
        QStringList out;
        for (const Ev& e : fake.events.mid(from))
            out << QStringLiteral("%1 %2").arg(QLatin1String(kNames[e.type])).arg(e.port);
        return out.join(QLatin1String(", "));
    }
    int opens() const { return events().count(QLatin1String("open")); }
};
const QString kLost = QStringLiteral("Com1 (fake1): device lost");
} // namespace

class TestPumpLink : public QObject {
    Q_OBJECT
private slots:
    void portChangeClosesFirst() {
        Rig r;
        r.fake.receive("R99 waiting");
        r.link.selectPort(2);
        QCOMPARE(r.events(), QStringLiteral("open 1, close 1, open 3"));
        QCOMPARE(r.fake.events.last().data, QByteArray("57600,N,8,1"));
        QCOMPARE(r.state.SelectedPort, 3);
        QVERIFY(r.fake.readAll().isEmpty()); // replies waiting on Com1 are lost
        QCOMPARE(r.link.statusText(), QStringLiteral("Com3 (fake3): open"));
        QList<QByteArray> trace; // every byte both ways passes one point
        r.link.traceHook = [&](char dir, const QByteArray& b) { trace << dir + b; };
        r.link.sendToPump(QStringLiteral("G03\rG02\r")); // the whole text in one write
        r.fake.receive("R99 x\r");
        QCOMPARE(r.events(3), QStringLiteral("write 3"));
        QCOMPARE(trace, (QList<QByteArray>{"TG03\rG02\r", "RR99 x\r"}));
    }

    // Nothing modal; the reason in the status text; SelectedPort still
    // recorded; later writes do nothing.
    void failedOpen_data() {
        QTest::addColumn<SerialLink::OpenError>("error");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("retrying");
        QTest::newRow("missing adapter")
            << SerialLink::OpenError::NotFound
            << "Com3 (fake3): no such device \u2014 is the adapter plugged in?" << true;
        QTest::newRow("permission")
            << SerialLink::OpenError::PermissionDenied
            << "Com3 (fake3): permission denied \u2014 is this user in the dialout group?" << false;
        QTest::newRow("busy") << SerialLink::OpenError::Busy
                              << "Com3 (fake3): in use by another program" << true;
    }
    void failedOpen() {
        QFETCH(SerialLink::OpenError, error);
        QFETCH(QString, status);
        QFETCH(bool, retrying);
        Rig r;
        if (error == SerialLink::OpenError::NotFound)
            r.fake.missingPorts << 3;
        else
            r.fake.refusedPorts[3] = error;
        QSignalSpy statusSpy(&r.link, &PumpLink::statusChanged);
        r.link.selectPort(2);
        QCOMPARE(r.state.SelectedPort, 3);
        QVERIFY(!r.link.isOpen());
        QCOMPARE(statusSpy.last().at(0).toString(), status);
        QCOMPARE(r.link.retrying(), retrying);
        r.link.sendToPump(QStringLiteral("R99\rZ99\r"));
        QVERIFY(!r.events().contains(QLatin1String("write")));
    }

    // A write the port refuses once is ignored: port, shared values and
    // status stay as they were, and the busy pointer is still put back.
    void failingWriteChangesNothing() {
        Rig r;
        QList<bool> busy;
        r.link.busyHook = [&](bool b) { busy << b; };
        const QString status = r.link.statusText();
        r.fake.failWrites = true;
        r.link.sendToPump(QStringLiteral("G12\r"));
        QCOMPARE(busy, (QList<bool>{true, false}));
        QVERIFY(r.link.isOpen() && !r.link.retrying());
        QCOMPARE(r.state.SelectedPort, 1);
        QCOMPARE(r.link.statusText(), status);
        r.fake.failWrites = false;
        r.link.sendToPump(QStringLiteral("R99\rZ99\r"));
        QCOMPARE(r.fake.written(), QByteArray("R99\rZ99\r"));
    }

    // A hang-up that shows only as failed writes, or only as notifications
    // with nothing to read (real data in between starts the count again).
    void hangUpMeansLost() {
        Rig writes;
        writes.fake.failWrites = true;
        for (int i = 0; i < PumpLink::kFailedWritesMeanLost; ++i)
            writes.link.sendToPump(QStringLiteral("R99\r"));
        QVERIFY(!writes.link.isOpen() && writes.link.retrying());
        QCOMPARE(writes.link.statusText(), kLost);

        Rig reads;
        for (int i = 1; i < 2 * PumpLink::kEmptyReadsMeanLost; ++i)
            reads.fake.receive(i == PumpLink::kEmptyReadsMeanLost ? "R99\r" : "");
        QVERIFY(reads.link.isOpen());
        reads.fake.receive(QByteArray());
        QVERIFY(!reads.link.isOpen() && reads.link.retrying());
        QCOMPARE(reads.link.statusText(), kLost);
    }

    // The adapter is unplugged while open: the port is closed, the status
    // says so once, an open is tried about once a second, and the pump comes
    // back by itself when the adapter is plugged in again.
    void deviceLostAndBack() {
        Rig r;
        QSignalSpy statusSpy(&r.link, &PumpLink::statusChanged);
        r.fake.unplug();
        QVERIFY(!r.link.isOpen() && r.link.retrying());
        QCOMPARE(r.link.statusText(), kLost);
        const int opensBefore = r.opens();
        QTest::qWait(2600);
        const int tries = r.opens() - opensBefore;
        QVERIFY2(tries >= 2 && tries <= 3, qPrintable(QString::number(tries)));
        QCOMPARE(statusSpy.count(), 1); // no flood of messages meanwhile
        // A fresh adapter may refuse access until udev has set its group.
        r.fake.missingPorts.remove(1);
        r.fake.refusedPorts[1] = SerialLink::OpenError::PermissionDenied;
        QTRY_VERIFY_WITH_TIMEOUT(r.opens() > opensBefore + tries, 2500);
        QVERIFY(r.link.retrying());
        QCOMPARE(r.link.statusText(), kLost);
        r.fake.refusedPorts.remove(1);
        QElapsedTimer t;
        t.start();
        QTRY_VERIFY_WITH_TIMEOUT(r.link.isOpen(), 2500);
        QVERIFY(t.elapsed() <= 1500 && !r.link.retrying());
        QCOMPARE(r.link.statusText(), QStringLiteral("Com1 (fake1): open"));
    }

    void otherPortStopsRetrying() {
        Rig r;
        r.fake.unplug();
        r.link.selectPort(1);
        QVERIFY(r.link.isOpen() && !r.link.retrying());
        const int opens = r.opens();
        QTest::qWait(1300);
        QCOMPARE(r.opens(), opens);
        QCOMPARE(r.fake.currentPort(), 2);
    }

    // Characters arriving while a received text is still being handled (a
    // local event loop below the handler) are handled after it, in order.
    void receiveNeverReentered() {
        Rig r;
        int depth = 0, maxDepth = 0;
        QList<QByteArray> handled;
        connect(&r.link, &PumpLink::received, [&](const QByteArray& bytes) {
            maxDepth = std::max(maxDepth, ++depth);
            handled << bytes;
            if (bytes == "first\r") {
                QTimer::singleShot(0, [&] { r.fake.receive("second\r"); });
                QTimer::singleShot(1, [&] { r.fake.receive("third\r"); });
                QEventLoop loop;
                QTimer::singleShot(30, &loop, &QEventLoop::quit);
                loop.exec();
                handled << "first done";
            }
            --depth;
        });
        r.fake.receive("first\r");
        QCOMPARE(maxDepth, 1);
        QCOMPARE(handled, (QList<QByteArray>{"first\r", "first done", "second\rthird\r"}));
    }

    void endOfFile() {
        Rig r;
        QSignalSpy eof(&r.link, &PumpLink::endOfFileReceived);
        r.fake.receive("ab\x1a\r");
        QCOMPARE(eof.count(), 0); // detection off from start-up
        r.link.setEofDetection(true);
        r.fake.receive("cd\x1a\r");
        QCOMPARE(eof.count(), 1);
    }
};

QTEST_GUILESS_MAIN(TestPumpLink)
#include "test_pumplink.moc"
