// WaitSeconds against a clock the test drives: the rounded start, midnight,
// and a clock set back while pausing.
#include "protocol/waiter.h"

#include <QTest>
#include <cmath>

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
    // How long a pause of n lasts from its start, which is rounded halves to
    // even.
    void waitLasts_data() {
        QTest::addColumn<double>("begin");
        QTest::addColumn<double>("n");
        QTest::addColumn<double>("lasts");
        QTest::addColumn<double>("setBack");
        QTest::newRow("100.5 ends at 101") << 100.5 << 1.0 << 0.5 << 0.0;
        QTest::newRow("101.5 ends at 103") << 101.5 << 1.0 << 1.5 << 0.0;
        QTest::newRow("86399.7 rounds to midnight") << 86399.7 << 1.0 << 1.3 << 0.0;
        QTest::newRow("three seconds from 86398.6") << 86398.6 << 3.0 << 3.4 << 0.0;
        // End of summer time: the pause still ends after at most n + 0.5 s.
        QTest::newRow("clock set back an hour") << 10799.7 << 1.0 << 1.5 << 3600.0;
    }
    void waitLasts() {
        QFETCH(double, begin);
        QFETCH(double, n);
        QFETCH(double, lasts);
        QFETCH(double, setBack);
        SteppingClock clock(begin, setBack);
        Waiter w(clock);
        w.begin(n);
        while (!w.over()) {
        }
        const double took = clock.elapsed - clock.step; // from the start reading
        QVERIFY2(std::abs(took - lasts) < 3 * clock.step, qPrintable(QString::number(took)));
    }

    // Between two looks at the clock the runner sleeps what is left of the
    // pause, at most maxSleepMs.
    void sleepsAreBounded() {
        SteppingClock clock(100.0, 0);
        clock.step = 0.125;
        clock.startOfDay = 100.0 - clock.step; // the first look reads 100.0
        Waiter w(clock);
        w.begin(1);
        QList<int> sleeps;
        while (!w.over())
            sleeps << w.sleepMs();
        QCOMPARE(sleeps, (QList<int>{250, 250, 250, 250, 250, 250, 125}));
        QVERIFY(!w.pending() && w.over() && w.sleepMs() == 0);
    }
};
QTEST_GUILESS_MAIN(TestWaiter)
#include "test_waiter.moc"
