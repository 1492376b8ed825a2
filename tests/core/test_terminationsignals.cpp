// SIGTERM and SIGINT arrive as calls from the event loop, with the signal's
// number, each one (none lost, none doubled), and only while the context lives.
#include "core/terminationsignals.h"

#include <QTest>
#include <csignal>

class TestTerminationSignals : public QObject {
    Q_OBJECT
private slots:
    void signalsBecomeCalls() {
        auto* context = new QObject;
        QList<int> seen;
        QVERIFY(onTerminationSignals(context, [&seen](int n) { seen << n; }));
        std::raise(SIGTERM);
        QVERIFY(seen.isEmpty()); // never inside the signal handler
        QTRY_COMPARE(seen, QList<int>{SIGTERM});
        std::raise(SIGINT);
        std::raise(SIGTERM);
        QTRY_COMPARE(seen, (QList<int>{SIGTERM, SIGINT, SIGTERM}));
        QTest::qWait(100);
        QCOMPARE(seen.size(), 3);

        // A second context takes over once the first is gone.
        delete context;
        QObject next;
        QList<int> later;
        QVERIFY(onTerminationSignals(&next, [&later](int n) { later << n; }));
        std::raise(SIGINT);
        QTRY_COMPARE(later, QList<int>{SIGINT});
        QCOMPARE(seen.size(), 3);
    }
};

QTEST_GUILESS_MAIN(TestTerminationSignals)
#include "test_terminationsignals.moc"
