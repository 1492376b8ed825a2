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
constexpr double kDay = 86400.0;

// Time moves on by `step` seconds every time it is read; the time of day
// starts again at zero at midnight, the monotonic reading never does.
class SteppingClock : public WaitClock {
public:
    double step = 0.01;
    mutable double elapsed = 0; // monotonic seconds since the test began
    double startOfDay = 0;      // time of day when elapsed was 0
    double setBack = 0;         // seconds the time of day was set back
    double setBackAt = -1;      // ... once elapsed passes this
    std::function<void(double timeOfDay)> onRead;

    double secondsSinceMidnight() const override {
        elapsed += step;
        const double t = timeOfDay();
        if (onRead)
            onRead(t);
        return t;
    }
    double monotonicSeconds() const override { return elapsed; }
    double timeOfDay() const {
        double t = startOfDay + elapsed;
        if (setBackAt >= 0 && elapsed >= setBackAt)
            t -= setBack;
        return std::fmod(t, kDay);
    }
    void startAt(double timeOfDay) {
        // The Waiter reads the clock once to take its start.
        startOfDay = timeOfDay - step;
        elapsed = 0;
    }
};
} // namespace

class TestWaiter : public QObject {
    Q_OBJECT
private slots:
    void roundedStart_data();
    void roundedStart();
    void oneSecond_data();
    void oneSecond();
    void nestedWaitEndsBoth();
    void acrossMidnight_data();
    void acrossMidnight();
    void nestedAcrossMidnight();
    void clockSetBackDoesNotHang();
    void sleepsInsteadOfSpinning();
};

void TestWaiter::roundedStart_data() {
    QTest::addColumn<double>("time");
    QTest::addColumn<int>("start");
    QTest::newRow("100.4") << 100.4 << 100;
    QTest::newRow("100.6") << 100.6 << 101;
    QTest::newRow("100.5 half to even") << 100.5 << 100;
    QTest::newRow("101.5 half to even") << 101.5 << 102;
    QTest::newRow("just before midnight") << 86399.7 << 86400;
    QTest::newRow("midnight") << 0.0 << 0;
}

void TestWaiter::roundedStart() {
    QFETCH(double, time);
    QFETCH(int, start);
    QCOMPARE(Waiter::roundedStart(time), start);
}

void TestWaiter::oneSecond_data() {
    QTest::addColumn<double>("begin");
    QTest::addColumn<double>("end");
    QTest::newRow("100.4 ends at 101") << 100.4 << 101.0;
    QTest::newRow("100.6 ends at 102") << 100.6 << 102.0;
    QTest::newRow("100.5 ends at 101") << 100.5 << 101.0;
    QTest::newRow("101.5 ends at 103") << 101.5 << 103.0;
}

void TestWaiter::oneSecond() {
    QFETCH(double, begin);
    QFETCH(double, end);
    AppState state;
    SteppingClock clock;
    clock.step = 0.004;
    clock.startAt(begin);
    Waiter w(state, clock);
    w.maxSleepMs = 0;
    QList<bool> busy;
    w.busyHook = [&](bool b) { busy << b; };
    w.waitSeconds(1);
    QCOMPARE(state.WaitLength, 1.0);
    QCOMPARE(state.WaitStart, Waiter::roundedStart(begin));
    // It returns at the first look at the clock at or past the end.
    QVERIFY2(clock.timeOfDay() >= end && clock.timeOfDay() < end + 2 * clock.step,
             qPrintable(QString::number(clock.timeOfDay(), 'f', 4)));
    QCOMPARE(busy, (QList<bool>{true, false}));
}

// A wait started by an event handled during another wait replaces the shared
// pair; when it ends, the outer wait ends at once too.
void TestWaiter::nestedWaitEndsBoth() {
    AppState state;
    SteppingClock clock;
    clock.startAt(100.0);
    Waiter w(state, clock);
    w.maxSleepMs = 0;
    double innerEnd = -1;
    bool started = false;
    clock.onRead = [&](double t) {
        if (!started && t >= 100.7) {
            started = true;
            QTimer::singleShot(0, [&] {
                w.waitSeconds(1); // starts at about 100.7, rounded to 101
                innerEnd = clock.timeOfDay();
            });
        }
    };
    w.waitSeconds(1);
    const double outerEnd = clock.timeOfDay();
    QVERIFY(started);
    QVERIFY2(innerEnd >= 102.0 && innerEnd < 102.0 + 2 * clock.step,
             qPrintable(QString::number(innerEnd)));
    // The outer wait would have ended at 101 on its own.
    QVERIFY(outerEnd >= innerEnd && outerEnd < innerEnd + 3 * clock.step);
    QCOMPARE(state.WaitStart, 101);
}

void TestWaiter::acrossMidnight_data() {
    QTest::addColumn<double>("begin");
    QTest::addColumn<double>("n");
    QTest::addColumn<double>("lasts");
    QTest::newRow("86399.7 rounds to midnight, ends 1 s after") << 86399.7 << 1.0 << 1.3;
    QTest::newRow("86399.2 ends at midnight") << 86399.2 << 1.0 << 0.8;
    QTest::newRow("three seconds from 86398.6") << 86398.6 << 3.0 << 3.4;
    QTest::newRow("86399.5 rounds to midnight") << 86399.5 << 1.0 << 1.5;
}

void TestWaiter::acrossMidnight() {
    QFETCH(double, begin);
    QFETCH(double, n);
    QFETCH(double, lasts);
    AppState state;
    SteppingClock clock;
    clock.step = 0.005;
    clock.startAt(begin);
    Waiter w(state, clock);
    w.maxSleepMs = 0;
    w.waitSeconds(n);
    const double took = clock.elapsed - clock.step; // from the start reading
    QVERIFY2(std::abs(took - lasts) < 3 * clock.step, qPrintable(QString::number(took)));
}

// Outer wait begun before midnight, inner wait begun after it: both end at
// the inner wait's end.
void TestWaiter::nestedAcrossMidnight() {
    AppState state;
    SteppingClock clock;
    clock.startAt(86399.2); // outer would end at midnight
    Waiter w(state, clock);
    w.maxSleepMs = 0;
    bool started = false;
    double innerEnd = -1;
    clock.onRead = [&](double t) {
        if (!started && t > 86399.5) {
            started = true;
            // Push the inner wait past midnight: it starts at 0.3.
            QTimer::singleShot(0, [&] {
                clock.startOfDay += 0.6;
                w.waitSeconds(1);
                innerEnd = clock.timeOfDay();
            });
        }
    };
    w.waitSeconds(1);
    QVERIFY(started);
    QVERIFY2(innerEnd >= 1.0 && innerEnd < 1.0 + 2 * clock.step,
             qPrintable(QString::number(innerEnd)));
    QVERIFY(clock.timeOfDay() >= innerEnd && clock.timeOfDay() < innerEnd + 3 * clock.step);
}

// The time of day set back an hour during a wait (the end of summer time, a
// clock correction): the wait still ends after about its n seconds.
void TestWaiter::clockSetBackDoesNotHang() {
    AppState state;
    SteppingClock clock;
    clock.step = 0.002;
    clock.startAt(3 * 3600 - 0.3); // 02:59:59.7
    clock.setBack = 3600;
    clock.setBackAt = 0.1;
    Waiter w(state, clock);
    w.maxSleepMs = 0;
    w.waitSeconds(1);
    QVERIFY2(clock.elapsed < 1.5 + 3 * clock.step, qPrintable(QString::number(clock.elapsed)));
}

// On the real clock a one-second wait sleeps on the event loop: it lasts
// about a second, keeps timers running, and costs almost no processor time.
void TestWaiter::sleepsInsteadOfSpinning() {
    AppState state;
    SystemWaitClock clock;
    Waiter w(state, clock);
    int ticks = 0;
    QTimer t;
    t.setInterval(50);
    connect(&t, &QTimer::timeout, [&] { ++ticks; });
    t.start();
    QElapsedTimer wall;
    wall.start();
    const auto cpuBefore = std::clock();
    w.waitSeconds(1);
    const double cpu = double(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
    const qint64 ms = wall.elapsed();
    QVERIFY2(ms >= 450 && ms <= 1700, qPrintable(QString::number(ms)));
    QVERIFY2(cpu < 0.2, qPrintable(QString::number(cpu)));
    QVERIFY(ticks >= 5);
}

QTEST_GUILESS_MAIN(TestWaiter)
#include "test_waiter.moc"
