#include "protocol/waiter.h"

#include <QElapsedTimer>
#include <QTime>
#include <algorithm>
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

void Waiter::begin(double n) {
    m_length = n;
    m_last = m_clock.secondsSinceMidnight();
    m_start = roundedStart(m_last);
    m_dayOffset = 0;
    // The rounded start makes a pause last at most half a second more than
    // n. The time of day can be set back (end of summer time, a clock
    // correction); the pause then still ends after that long.
    m_longest = m_clock.monotonicSeconds() + n + 0.5;
    m_pending = true;
}

bool Waiter::over() {
    constexpr double kDay = 86400.0;
    m_sleepMs = 0;
    if (!m_pending)
        return true;
    const double reading = m_clock.secondsSinceMidnight();
    // The time of day starts again at zero at midnight; count on from there.
    if (reading + kDay / 2 < m_last)
        m_dayOffset += kDay;
    m_last = reading;
    const double now = reading + m_dayOffset;
    double end = m_start + m_length;
    if (end < now - kDay / 2)
        end += kDay; // that pause began after midnight
    if (now >= end || m_clock.monotonicSeconds() >= m_longest) {
        m_pending = false;
        return true;
    }
    m_sleepMs = std::max(0, std::min(maxSleepMs, static_cast<int>(std::ceil((end - now) * 1000))));
    return false;
}
