// The in-process serial link to the simulated pump: any Com port answers,
// replies come from the event loop (never inside the write) in paced pieces,
// and the end-of-file and cable faults reach the link's notifications.
#include "sim/simseriallink.h"

#include <QSignalSpy>
#include <QTest>

namespace {
const QString kSettings = QStringLiteral("57600,N,8,1");
}

class TestSimSerialLink : public QObject {
    Q_OBJECT
private slots:
    void anyComPortAnswersFromTheEventLoop();
    void faultsReachTheNotifications();
};

// Com1 to Com4 open, anything else does not; replies come after the write
// has returned, paced, and a reopened port has lost what was in flight.
void TestSimSerialLink::anyComPortAnswersFromTheEventLoop() {
    SimSerialLink link;
    QVERIFY(link.pacing());
    for (const auto& [port, settings] : {std::pair{0, kSettings}, {5, kSettings}, {1, "fast"}})
        QVERIFY(!link.open(port, settings) && !link.isOpen() && !link.write("R99\r") &&
                link.lastOpenError() != SerialLink::OpenError::None);
    for (int port = 1; port <= 4; ++port)
        QVERIFY(link.open(port, kSettings) && link.deviceName(port).contains("Demo pump"));
    QSignalSpy comm(&link, &SerialLink::readyRead);
    QVERIFY(link.write("R99\r"));
    QTRY_VERIFY_WITH_TIMEOUT(!comm.isEmpty(), 60000);
    link.close(); // the reply, read in part or still in flight, is lost
    comm.clear();
    QVERIFY(link.open(4, kSettings) && link.write("R99\rZ99\rPRINTLOG\r"));
    QCOMPARE(comm.count(), 0); // not inside the write
    QByteArray got;
    QTRY_VERIFY_WITH_TIMEOUT((got += link.readAll()).endsWith("Done ok\r\n"), 60000);
    QCOMPARE(got.count("\r\n"), 2 + 40 + 3); // R99, Z99 and the dump: none from before
    QCOMPARE(got.indexOf("\r\n"), SimPump::kStatusLength);
    QVERIFY(got.contains("\r\nZ99") && comm.count() > 5); // 2.8 kB at the line's pace
}

// An end-of-file character after the first line is notified before the
// text that holds it. The line drops inside the sixth record, after every
// byte before it has been delivered; the cable stays out for a while.
void TestSimSerialLink::faultsReachTheNotifications() {
    SimPumpOptions o;
    o.faults.eofAfterLines = 1;
    o.faults.disconnectAfterRecords = 5;
    SimSerialLink link(o);
    link.setPacing(false);
    link.setEofEnabled(true);
    QSignalSpy lost(&link, &SerialLink::deviceLost);
    QByteArray events; // 'E' end of file, 'R' characters waiting
    QByteArray got;
    connect(&link, &SerialLink::endOfFileReceived, this, [&] { events += 'E'; });
    connect(&link, &SerialLink::readyRead, this, [&] {
        events += 'R';
        got += link.readAll();
    });
    QVERIFY(link.open(3, kSettings) && link.write("PRINTLOG\r"));
    QTRY_COMPARE_WITH_TIMEOUT(lost.count(), 1, 60000);
    QCOMPARE(events.mid(0, 2), QByteArray("ER"));
    QCOMPARE(got.count('\x1a'), 1);
    QCOMPARE(got.count("\r\n"), 2 + 5);
    QVERIFY(!got.endsWith("\r\n") && !got.contains("Done ok"));
    QVERIFY(!link.isOpen() && !link.open(3, kSettings));
    QCOMPARE(link.lastOpenError(), SerialLink::OpenError::NotFound);
}

QTEST_GUILESS_MAIN(TestSimSerialLink)
#include "test_simseriallink.moc"
