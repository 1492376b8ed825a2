// The cable comes out in the middle of a reply: the part of a line that
// came is no line, and the first report after the reconnect is handled
// whole instead of being glued onto it.
#include "protocol/pumpsession.h"
#include "support/fakeseriallink.h"
#include "support/steppingclock.h"

#include <QTest>

class TestDeviceLost : public QObject {
    Q_OBJECT
private slots:
    void halfLineDropped_data() {
        QTest::addColumn<QByteArray>("before"); // what came before the cable came out
        QTest::newRow("half a status report") << QByteArray("R99 0001 half a repo");
        QTest::newRow("a whole line, then half") << QByteArray("P00\rR99 00");
        QTest::newRow("nothing pending") << QByteArray();
    }
    void halfLineDropped() {
        QFETCH(QByteArray, before);
        AppState state;
        FakeSerialLink link;
        SteppingClock clock(36000.0);
        PumpSession session(state, link, clock);
        session.selectPort(0);
        link.receive(before);
        emit link.deviceLost();
        QStringList handled;
        connect(&session, &PumpSession::lineHandled,
                [&](const LineResult& r) { handled << r.line; });
        session.selectPort(0);
        link.receive("Z99 0 0 0\r");
        QCOMPARE(handled, QStringList{"Z99 0 0 0"});
    }
};

QTEST_GUILESS_MAIN(TestDeviceLost)
#include "test_devicelost.moc"
