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
QString describe(const QList<Ev>& events) {
    QStringList out;
    for (const Ev& e : events) {
        const char* t = e.type == Ev::Open ? "open" : e.type == Ev::Close ? "close" : "write";
        out << QStringLiteral("%1 %2%3")
                   .arg(QLatin1String(t))
                   .arg(e.port)
                   .arg(e.ok ? "" : " failed");
    }
    return out.join(QLatin1String(", "));
}

int opensOf(const FakeSerialLink& fake, int port) {
    int n = 0;
    for (const Ev& e : fake.events)
        n += e.type == Ev::Open && e.port == port;
    return n;
}
} // namespace

class TestPumpLink : public QObject {
    Q_OBJECT
private slots:
    void portChangeClosesFirst();
    void failedOpen_data();
    void failedOpen();
    void selectedPortOutOfRangeOpensNothing();
    void failingWriteChangesNothing();
    void repeatedWriteFailuresMeanLost();
    void emptyReadsMeanLost();
    void writesWholeTextOnce();
    void deviceLostAndBack();
    void refusedForAMomentAfterReplug();
    void otherPortStopsRetrying();
    void receiveNeverReentered();
    void endOfFile();
};

void TestPumpLink::portChangeClosesFirst() {
    AppState state;
    FakeSerialLink fake;
    PumpLink link(state, fake);
    link.selectPort(0);
    fake.receive("R99 waiting");
    link.selectPort(2);
    QCOMPARE(describe(fake.events), QStringLiteral("open 1, close 1, open 3"));
    for (const Ev& e : fake.events)
        if (e.type == Ev::Open)
            QCOMPARE(e.data, QByteArray("57600,N,8,1"));
    QCOMPARE(state.SelectedPort, 3);
    QCOMPARE(fake.currentPort(), 3);
    QVERIFY(fake.readAll().isEmpty()); // replies waiting on Com1 are lost
    QCOMPARE(link.statusText(), QStringLiteral("Com3 (fake3): open"));
    link.selectPort(2); // choosing the open port again reopens it
    QCOMPARE(describe(fake.events.mid(3)), QStringLiteral("close 3, open 3"));
}

void TestPumpLink::failedOpen_data() {
    QTest::addColumn<SerialLink::OpenError>("error");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("retrying");
    QTest::newRow("missing adapter")
        << SerialLink::OpenError::NotFound
        << QStringLiteral("Com3 (fake3): no such device \u2014 is the adapter plugged in?") << true;
    QTest::newRow("permission")
        << SerialLink::OpenError::PermissionDenied
        << QStringLiteral(
               "Com3 (fake3): permission denied \u2014 is this user in the dialout group?")
        << false;
    QTest::newRow("busy") << SerialLink::OpenError::Busy
                          << QStringLiteral("Com3 (fake3): in use by another program") << true;
}

// Nothing modal; the reason in the status text; SelectedPort still recorded.
void TestPumpLink::failedOpen() {
    QFETCH(SerialLink::OpenError, error);
    QFETCH(QString, status);
    QFETCH(bool, retrying);
    AppState state;
    FakeSerialLink fake;
    if (error == SerialLink::OpenError::NotFound)
        fake.missingPorts << 3;
    else
        fake.refusedPorts[3] = error;
    PumpLink link(state, fake);
    QSignalSpy statusSpy(&link, &PumpLink::statusChanged);
    link.selectPort(0);
    link.selectPort(2);
    QCOMPARE(state.SelectedPort, 3);
    QVERIFY(!link.isOpen());
    QCOMPARE(link.statusText(), status);
    QCOMPARE(statusSpy.last().at(0).toString(), status);
    QCOMPARE(link.retrying(), retrying);
    // Later writes do nothing.
    link.sendToPump(QStringLiteral("R99\rZ99\r"));
    QVERIFY(!describe(fake.events).contains(QLatin1String("write")));
}

void TestPumpLink::selectedPortOutOfRangeOpensNothing() {
    AppState state;
    FakeSerialLink fake;
    PumpLink link(state, fake);
    link.selectPort(-1);
    link.selectPort(7);
    QCOMPARE(opensOf(fake, 0) + opensOf(fake, 8), 0);
    QVERIFY(!link.retrying());
}

// A write to a closed port, or one the port refuses once, is ignored: the
// port, the shared values and the status stay as they were, and the busy
// pointer is still put back.
void TestPumpLink::failingWriteChangesNothing() {
    AppState state;
    FakeSerialLink fake;
    PumpLink link(state, fake);
    QList<bool> busy;
    link.busyHook = [&](bool b) { busy << b; };
    link.sendToPump(QStringLiteral("R99\rZ99\r")); // nothing chosen yet
    QVERIFY(fake.events.isEmpty());
    QCOMPARE(busy, (QList<bool>{true, false}));

    link.selectPort(0);
    const QString status = link.statusText();
    fake.failWrites = true;
    busy.clear();
    link.sendToPump(QStringLiteral("G12\r"));
    link.writeDirect(QStringLiteral("Y12\r"));
    QCOMPARE(busy, (QList<bool>{true, false})); // only SendToPump shows it
    QVERIFY(link.isOpen());
    QCOMPARE(state.SelectedPort, 1);
    QCOMPARE(link.statusText(), status);
    QVERIFY(!link.retrying());
    QVERIFY(fake.written().isEmpty());
    fake.failWrites = false;
    link.sendToPump(QStringLiteral("R99\rZ99\r"));
    QCOMPARE(fake.written(), QByteArray("R99\rZ99\r"));
}

// A hang-up that shows only as failed writes: after a few in a row the port
// is taken for lost, closed, and retried.
void TestPumpLink::repeatedWriteFailuresMeanLost() {
    AppState state;
    FakeSerialLink fake;
    PumpLink link(state, fake);
    link.selectPort(0);
    fake.failWrites = true;
    for (int i = 0; i < PumpLink::kFailedWritesMeanLost; ++i)
        link.sendToPump(QStringLiteral("R99\rZ99\r"));
    QVERIFY(!link.isOpen());
    QCOMPARE(link.statusText(), QStringLiteral("Com1 (fake1): device lost"));
    QVERIFY(link.retrying());
}

// A hang-up that shows only as notifications with nothing to read.
void TestPumpLink::emptyReadsMeanLost() {
    AppState state;
    FakeSerialLink fake;
    PumpLink link(state, fake);
    link.selectPort(0);
    for (int i = 0; i < PumpLink::kEmptyReadsMeanLost - 1; ++i)
        fake.receive(QByteArray());
    fake.receive("R99\r"); // real data in between starts the count again
    for (int i = 0; i < PumpLink::kEmptyReadsMeanLost - 1; ++i)
        fake.receive(QByteArray());
    QVERIFY(link.isOpen());
    fake.receive(QByteArray());
    QVERIFY(!link.isOpen());
    QCOMPARE(link.statusText(), QStringLiteral("Com1 (fake1): device lost"));
    QVERIFY(link.retrying());
}

void TestPumpLink::writesWholeTextOnce() {
    AppState state;
    FakeSerialLink fake;
    PumpLink link(state, fake);
    QList<QByteArray> trace;
    link.traceHook = [&](char dir, const QByteArray& b) { trace << (QByteArray(1, dir) + b); };
    link.selectPort(1);
    link.sendToPump(QStringLiteral("G03\rG02\r"));
    fake.receive("R99 x\r");
    QCOMPARE(describe(fake.events), QStringLiteral("open 2, write 2"));
    QCOMPARE(fake.events.last().data, QByteArray("G03\rG02\r"));
    QCOMPARE(trace, (QList<QByteArray>{"TG03\rG02\r", "RR99 x\r"}));
}

// The adapter is unplugged while open: the port is closed, the status says
// so once, an open is tried about once a second, and the pump comes back by
// itself when the adapter is plugged in again.
void TestPumpLink::deviceLostAndBack() {
    AppState state;
    FakeSerialLink fake;
    PumpLink link(state, fake);
    link.selectPort(0);
    QSignalSpy statusSpy(&link, &PumpLink::statusChanged);
    fake.unplug();
    QVERIFY(!link.isOpen());
    QCOMPARE(link.statusText(), QStringLiteral("Com1 (fake1): device lost"));
    QVERIFY(link.retrying());

    const int opensBefore = opensOf(fake, 1);
    QTest::qWait(2600);
    const int tries = opensOf(fake, 1) - opensBefore;
    QVERIFY2(tries >= 2 && tries <= 3, qPrintable(QString::number(tries)));
    QCOMPARE(statusSpy.count(), 1); // no flood of messages meanwhile
    QCOMPARE(state.SelectedPort, 1);

    fake.missingPorts.remove(1);
    QElapsedTimer t;
    t.start();
    QTRY_VERIFY_WITH_TIMEOUT(link.isOpen(), 2500);
    QVERIFY(t.elapsed() <= 1500);
    QVERIFY(!link.retrying());
    QCOMPARE(link.statusText(), QStringLiteral("Com1 (fake1): open"));
    link.sendToPump(QStringLiteral("R99\rZ99\r"));
    QCOMPARE(fake.written(), QByteArray("R99\rZ99\r"));
}

// A freshly plugged adapter may refuse access until udev has set its group;
// the retry must not give up on that.
void TestPumpLink::refusedForAMomentAfterReplug() {
    AppState state;
    FakeSerialLink fake;
    PumpLink link(state, fake);
    link.selectPort(0);
    fake.unplug();
    fake.missingPorts.remove(1);
    fake.refusedPorts[1] = SerialLink::OpenError::PermissionDenied;
    QTRY_VERIFY_WITH_TIMEOUT(opensOf(fake, 1) >= 2, 2500);
    QVERIFY(link.retrying());
    QCOMPARE(link.statusText(), QStringLiteral("Com1 (fake1): device lost"));
    fake.refusedPorts.remove(1);
    QTRY_VERIFY_WITH_TIMEOUT(link.isOpen(), 2500);
}

void TestPumpLink::otherPortStopsRetrying() {
    AppState state;
    FakeSerialLink fake;
    PumpLink link(state, fake);
    link.selectPort(0);
    fake.unplug();
    link.selectPort(1);
    QVERIFY(link.isOpen());
    QVERIFY(!link.retrying());
    const int opens = opensOf(fake, 1);
    QTest::qWait(1300);
    QCOMPARE(opensOf(fake, 1), opens);
    QCOMPARE(fake.currentPort(), 2);
}

// Characters arriving while a received text is still being handled (a
// local event loop below the handler) are handled after it, in order, and
// never inside it.
void TestPumpLink::receiveNeverReentered() {
    AppState state;
    FakeSerialLink fake;
    PumpLink link(state, fake);
    link.selectPort(0);
    int depth = 0, maxDepth = 0;
    QList<QByteArray> handled;
    connect(&link, &PumpLink::received, [&](const QByteArray& bytes) {
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        handled << bytes;
        if (bytes == "first\r") {
            QTimer::singleShot(0, [&] { fake.receive("second\r"); });
            QTimer::singleShot(1, [&] { fake.receive("third\r"); });
            QEventLoop loop;
            QTimer::singleShot(30, &loop, &QEventLoop::quit);
            loop.exec();
            handled << "first done";
        }
        --depth;
    });
    fake.receive("first\r");
    QCOMPARE(maxDepth, 1);
    QCOMPARE(handled, (QList<QByteArray>{"first\r", "first done", "second\rthird\r"}));
}

void TestPumpLink::endOfFile() {
    AppState state;
    FakeSerialLink fake;
    PumpLink link(state, fake);
    link.selectPort(0);
    QSignalSpy eof(&link, &PumpLink::endOfFileReceived);
    QSignalSpy rx(&link, &PumpLink::received);
    fake.receive("ab\x1a\r");
    QCOMPARE(eof.count(), 0); // detection off from start-up
    link.setEofDetection(true);
    fake.receive("cd\x1a\r");
    QCOMPARE(eof.count(), 1);
    QCOMPARE(rx.count(), 2);
    QCOMPARE(rx.last().at(0).toByteArray(), QByteArray("cd\x1a\r"));
}

QTEST_GUILESS_MAIN(TestPumpLink)
#include "test_pumplink.moc"
