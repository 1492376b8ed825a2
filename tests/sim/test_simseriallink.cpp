// The in-process serial link to the simulated pump: any Com port answers,
// replies come from the event loop (never inside the write), paced output
// arrives in pieces, and the end-of-file and cable faults reach the link's
// notifications.
#include "sim/simseriallink.h"

#include <QSignalSpy>
#include <QTest>

class TestSimSerialLink : public QObject {
    Q_OBJECT
private slots:
    void opensAnyPort_data();
    void opensAnyPort();
    void repliesComeFromEventLoop();
    void pacedOutputArrivesInPieces();
    void endOfFileNotified();
    void cableDropsMidDownload();
    void closeLosesRepliesInFlight();
};

void TestSimSerialLink::opensAnyPort_data() {
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("settings");
    QTest::addColumn<bool>("opens");
    for (int n = 1; n <= 4; ++n)
        QTest::newRow(qPrintable(QStringLiteral("Com%1").arg(n)))
            << n << QStringLiteral("57600,N,8,1") << true;
    QTest::newRow("port 0") << 0 << QStringLiteral("57600,N,8,1") << false;
    QTest::newRow("port 5") << 5 << QStringLiteral("57600,N,8,1") << false;
    QTest::newRow("bad settings") << 1 << QStringLiteral("fast") << false;
}

void TestSimSerialLink::opensAnyPort() {
    QFETCH(int, port);
    QFETCH(QString, settings);
    QFETCH(bool, opens);
    SimSerialLink link;
    link.setPacing(false);
    QCOMPARE(link.open(port, settings), opens);
    QCOMPARE(link.isOpen(), opens);
    QVERIFY(link.deviceName(port).contains(QStringLiteral("Demo pump")));
    if (!opens) {
        QVERIFY(link.lastOpenError() != SerialLink::OpenError::None);
        QVERIFY(!link.write("R99\r"));
        return;
    }
    QVERIFY(link.write("R99\r"));
    QByteArray got;
    QTRY_VERIFY((got += link.readAll()).startsWith("R99"));
}

void TestSimSerialLink::repliesComeFromEventLoop() {
    SimSerialLink link;
    link.setPacing(false);
    QSignalSpy comm(&link, &SerialLink::comm);
    QVERIFY(link.open(1, QStringLiteral("57600,N,8,1")));
    QVERIFY(link.write("R99\rZ99\r"));
    QCOMPARE(comm.count(), 0); // not inside the write
    QByteArray got;
    QTRY_VERIFY((got += link.readAll()).contains("Z99"));
    QVERIFY(got.startsWith("R99"));
    QCOMPARE(comm.first().first().toInt(), int(SerialLink::kEvReceive));
}

void TestSimSerialLink::pacedOutputArrivesInPieces() {
    SimPumpOptions o;
    o.records = 40; // about 2.5 kB, some 0.4 s on the wire
    SimSerialLink link(o);
    QVERIFY(link.pacing());
    QSignalSpy comm(&link, &SerialLink::comm);
    QVERIFY(link.open(2, QStringLiteral("57600,N,8,1")));
    link.write("PRINTLOG\r");
    QByteArray got;
    QTRY_VERIFY_WITH_TIMEOUT((got += link.readAll()).endsWith("Done ok\r\n"), 10000);
    QVERIFY(comm.count() > 5); // many small deliveries, not one
    QCOMPARE(got.count("\r\n"), 40 + 3);
}

void TestSimSerialLink::endOfFileNotified() {
    SimPumpOptions o;
    o.faults.eofAfterLines = 1;
    SimSerialLink link(o);
    link.setPacing(false);
    link.setEofEnabled(true);
    QSignalSpy comm(&link, &SerialLink::comm);
    QVERIFY(link.open(1, QStringLiteral("57600,N,8,1")));
    link.write("R99\r");
    QTRY_VERIFY(comm.count() >= 2);
    QCOMPARE(comm.at(0).first().toInt(), int(SerialLink::kEvEof));
    QCOMPARE(comm.at(1).first().toInt(), int(SerialLink::kEvReceive));
    QVERIFY(link.readAll().contains('\x1a'));
}

void TestSimSerialLink::cableDropsMidDownload() {
    SimPumpOptions o;
    o.records = 20;
    o.faults.disconnectAfterRecords = 5;
    SimSerialLink link(o);
    link.setPacing(false);
    QSignalSpy lost(&link, &SerialLink::deviceLost);
    QVERIFY(link.open(3, QStringLiteral("57600,N,8,1")));
    QByteArray got;
    connect(&link, &SerialLink::comm, this, [&] { got += link.readAll(); });
    link.write("PRINTLOG\r");
    QTRY_COMPARE(lost.count(), 1);
    QVERIFY(!link.isOpen());
    QCOMPARE(got.count("\r\n"), 2 + 5);
    QVERIFY(!got.contains("Done ok"));
    // The cable stays out for a while: the port is missing.
    QVERIFY(!link.open(3, QStringLiteral("57600,N,8,1")));
    QCOMPARE(link.lastOpenError(), SerialLink::OpenError::NotFound);
}

void TestSimSerialLink::closeLosesRepliesInFlight() {
    SimSerialLink link;
    link.setPacing(false);
    QVERIFY(link.open(1, QStringLiteral("57600,N,8,1")));
    link.write("R99\r");
    link.close();
    QVERIFY(link.open(1, QStringLiteral("57600,N,8,1")));
    QTest::qWait(50);
    QVERIFY(link.readAll().isEmpty());
    link.write("Z99\r");
    QByteArray got;
    QTRY_VERIFY((got += link.readAll()).startsWith("Z99"));
}

QTEST_GUILESS_MAIN(TestSimSerialLink)
#include "test_simseriallink.moc"
