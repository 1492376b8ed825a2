#include "link/waiter.h"

#include <QEventLoop>
#include <QTime>
#include <QTimer>
#include <cmath>

double SystemWaitClock::secondsSinceMidnight() const {
    return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
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
        if (now >= end)
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
