// WaitSeconds against a clock the test drives: the rounded start, the shared
// start/length pair, midnight, and a clock set back while waiting.
#include "protocol/waiter.h"

#include <QTest>
#include <QTimer>
#include <cmath>
#include <ctime>

namespace {
// Time moves on by `step` seconds every time it is read; the time of day
// starts again at zero at midnight, the monotonic reading never does.
struct SteppingClock : WaitClock {
    double step = 0.004;
    mutable double elapsed = 0; // monotonic seconds since the wait began
    double startOfDay;          // time of day when elapsed was 0 (the start takes a read)
    double setBack;             // seconds the time of day is set back after 0.1 s
    SteppingClock(double begin, double back) : startOfDay(begin - step), setBack(back) {}

    double secondsSinceMidnight() const override {
        elapsed += step;
        return timeOfDay();
    }
    double monotonicSeconds() const override { return elapsed; }
    double timeOfDay() const {
        return std::fmod(startOfDay + elapsed - (elapsed >= 0.1 ? setBack : 0), 86400.0);
    }
};
} // namespace

class TestWaiter : public QObject {
    Q_OBJECT
private slots:
    // How long a wait of n lasts from its start, which is rounded halves to
    // even. `inner`: at that time of day an event handled during the wait
    // starts a wait of one second; it replaces the shared pair, and when it
    // ends the outer wait ends at once too.
    void waitLasts_data() {
        QTest::addColumn<double>("begin");
        QTest::addColumn<double>("n");
        QTest::addColumn<double>("lasts");
        QTest::addColumn<double>("setBack");
        QTest::addColumn<double>("inner");
        QTest::newRow("100.5 ends at 101") << 100.5 << 1.0 << 0.5 << 0.0 << 0.0;
        QTest::newRow("101.5 ends at 103") << 101.5 << 1.0 << 1.5 << 0.0 << 0.0;
        QTest::newRow("86399.7 rounds to midnight") << 86399.7 << 1.0 << 1.3 << 0.0 << 0.0;
        QTest::newRow("three seconds from 86398.6") << 86398.6 << 3.0 << 3.4 << 0.0 << 0.0;
        // End of summer time: the wait still ends after at most n + 0.5 s.
        QTest::newRow("clock set back an hour") << 10799.7 << 1.0 << 1.5 << 3600.0 << 0.0;
        QTest::newRow("inner wait from 100.7 ends both at 102")
            << 100.0 << 3.0 << 2.0 << 0.0 << 100.7;
    }
    void waitLasts() {
        QFETCH(double, begin);
        QFETCH(double, n);
        QFETCH(double, lasts);
        QFETCH(double, setBack);
        QFETCH(double, inner);
        AppState state;
        SteppingClock clock(begin, setBack);
        Waiter w(state, clock);
        w.maxSleepMs = 0;
        QString busy;
        w.busyHook = [&](bool b) { busy += b ? '(' : ')'; };
        QTimer event; // handled during the wait, once the time of day reaches `inner`
        event.callOnTimeout([&] {
            if (clock.timeOfDay() < inner)
                return;
            event.stop();
            w.waitSeconds(1);
        });
        if (inner > 0)
            event.start(0);
        w.waitSeconds(n);
        const double took = clock.elapsed - clock.step; // from the start reading
        QVERIFY2(std::abs(took - lasts) < 3 * clock.step, qPrintable(QString::number(took)));
        QCOMPARE(busy, QLatin1String(inner > 0 ? "(())" : "()"));
    }

    // On the real clock a one-second wait sleeps on the event loop: it lasts
    // about a second and costs almost no processor time.
    void sleepsInsteadOfSpinning() {
        AppState state;
        SystemWaitClock clock;
        Waiter w(state, clock);
        const double wallBefore = clock.monotonicSeconds();
        const std::clock_t cpuBefore = std::clock();
        w.waitSeconds(1);
        const double wall = clock.monotonicSeconds() - wallBefore;
        const double cpu = double(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
        QVERIFY2(wall >= 0.45 && wall <= 1.7 && cpu < 0.2,
                 qPrintable(QStringLiteral("%1 s, %2 s processor").arg(wall).arg(cpu)));
    }
};

QTEST_GUILESS_MAIN(TestWaiter)
#include "test_waiter.moc"
