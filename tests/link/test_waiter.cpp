// WaitSeconds against a clock the test drives: the rounded start, the shared
// start/length pair, midnight, and a clock set back while waiting.
#include "link/waiter.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <ctime>
#include <functional>

namespace {
// Time moves on by `step` seconds every time it is read; the time of day
// starts again at zero at midnight, the monotonic reading never does.
struct SteppingClock : WaitClock {
    double step = 0.004;
    mutable double elapsed = 0; // monotonic seconds since the wait began
    double startOfDay = 0;      // time of day when elapsed was 0
    double setBack = 0;         // seconds the time of day is set back after 0.1 s
    std::function<void(double timeOfDay)> onRead;

    explicit SteppingClock(double begin) : startOfDay(begin - step) {} // the start takes a read
    double secondsSinceMidnight() const override {
        elapsed += step;
        if (onRead)
            onRead(timeOfDay());
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
    // How long a wait of n lasts from its start, which is rounded halves to even.
    void waitLasts_data() {
        QTest::addColumn<double>("begin");
        QTest::addColumn<double>("n");
        QTest::addColumn<double>("lasts");
        QTest::addColumn<double>("setBack");
        QTest::newRow("100.4 ends at 101") << 100.4 << 1.0 << 0.6 << 0.0;
        QTest::newRow("100.6 ends at 102") << 100.6 << 1.0 << 1.4 << 0.0;
        QTest::newRow("100.5 ends at 101") << 100.5 << 1.0 << 0.5 << 0.0;
        QTest::newRow("101.5 ends at 103") << 101.5 << 1.0 << 1.5 << 0.0;
        QTest::newRow("86399.7 rounds to midnight") << 86399.7 << 1.0 << 1.3 << 0.0;
        QTest::newRow("86399.2 ends at midnight") << 86399.2 << 1.0 << 0.8 << 0.0;
        QTest::newRow("three seconds from 86398.6") << 86398.6 << 3.0 << 3.4 << 0.0;
        // End of summer time: the wait still ends after at most n + 0.5 s.
        QTest::newRow("clock set back an hour") << 10799.7 << 1.0 << 1.5 << 3600.0;
    }
    void waitLasts() {
        QFETCH(double, begin);
        QFETCH(double, n);
        QFETCH(double, lasts);
        QFETCH(double, setBack);
        AppState state;
        SteppingClock clock(begin);
        clock.setBack = setBack;
        Waiter w(state, clock);
        w.maxSleepMs = 0;
        QList<bool> busy;
        w.busyHook = [&](bool b) { busy << b; };
        w.waitSeconds(n);
        const double took = clock.elapsed - clock.step; // from the start reading
        QVERIFY2(std::abs(took - lasts) < 3 * clock.step, qPrintable(QString::number(took)));
        QCOMPARE(state.WaitLength, n);
        QCOMPARE(busy, (QList<bool>{true, false}));
    }

    // A wait started by an event handled during another wait replaces the
    // shared pair; when it ends, the outer wait ends at once too.
    void nestedWaitEndsBoth() {
        AppState state;
        SteppingClock clock(100.0);
        Waiter w(state, clock);
        w.maxSleepMs = 0;
        double innerEnd = -1;
        bool started = false;
        clock.onRead = [&](double t) {
            if (started || t < 100.7)
                return;
            started = true;
            QTimer::singleShot(0, [&] {
                w.waitSeconds(1); // starts at 100.7, rounded to 101
                innerEnd = clock.timeOfDay();
            });
        };
        w.waitSeconds(1);
        QVERIFY2(innerEnd >= 102.0 && innerEnd < 102.0 + 2 * clock.step,
                 qPrintable(QString::number(innerEnd)));
        QVERIFY(clock.timeOfDay() >= innerEnd && clock.timeOfDay() < innerEnd + 3 * clock.step);
        QCOMPARE(state.WaitStart, 101);
    }

    // On the real clock a one-second wait sleeps on the event loop: it lasts
    // about a second, keeps timers running, and costs almost no processor time.
    void sleepsInsteadOfSpinning() {
        AppState state;
        SystemWaitClock clock;
        Waiter w(state, clock);
        int ticks = 0;
        QTimer t;
        connect(&t, &QTimer::timeout, [&] { ++ticks; });
        t.start(50);
        QElapsedTimer wall;
        wall.start();
        const auto cpuBefore = std::clock();
        w.waitSeconds(1);
        const double cpu = double(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
        QVERIFY2(wall.elapsed() >= 450 && wall.elapsed() <= 1700,
                 qPrintable(QString::number(wall.elapsed())));
        QVERIFY2(cpu < 0.2 && ticks >= 5, qPrintable(QString::number(cpu)));
    }
};

QTEST_GUILESS_MAIN(TestWaiter)
#include "test_waiter.moc"
