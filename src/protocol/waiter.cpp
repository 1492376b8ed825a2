#include "protocol/waiter.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTime>
#include <QTimer>
#include <cmath>

double SystemWaitClock::secondsSinceMidnight() const {
    return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
}

double WaitClock::monotonicSeconds() const {
    static QElapsedTimer since = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return since.nsecsElapsed() / 1e9;
}

qint32 Waiter::roundedStart(double s) {
    // nearbyint rounds halves to the even neighbour in the default mode.
    return static_cast<qint32>(std::nearbyint(s));
}

void Waiter::waitSeconds(double n) {
    constexpr double kDay = 86400.0;
    if (busyHook)
        busyHook(true);
    m_state.WaitLength = n;
    m_state.WaitStart = roundedStart(m_clock.secondsSinceMidnight());

    double last = m_clock.secondsSinceMidnight();
    double dayOffset = 0;
    // The rounded start makes a wait last at most half a second more than n.
    // The time of day can be set back (end of summer time, a clock
    // correction); this wait then still ends after that long.
    const double longest = m_clock.monotonicSeconds() + n + 0.5;
    for (;;) {
        const double reading = m_clock.secondsSinceMidnight();
        // The time of day starts again at zero at midnight; count on from there.
        if (reading + kDay / 2 < last)
            dayOffset += kDay;
        last = reading;
        const double now = reading + dayOffset;
        // Read the shared pair afresh: a wait begun meanwhile replaced it.
        double end = m_state.WaitStart + m_state.WaitLength;
        if (end < now - kDay / 2)
            end += kDay; // that wait began after midnight
        if (now >= end || m_clock.monotonicSeconds() >= longest)
            break;
        const int sleepMs =
            std::max(1, std::min(maxSleepMs, static_cast<int>(std::ceil((end - now) * 1000))));
        QEventLoop loop;
        QTimer::singleShot(sleepMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (busyHook)
        busyHook(false);
}
