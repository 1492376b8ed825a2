// What the benchmarks share: the wall time of one call, the process's own
// processor time, and a wait on the event loop that sleeps between events, so
// the time measured is Corvane's own work and not the waiting.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <sys/resource.h>

namespace bench {

// Wall time of one call of `f`, in milliseconds.
template <typename F> double ms(F f) {
    QElapsedTimer t;
    t.start();
    f();
    return t.nsecsElapsed() / 1e6;
}

// User plus system time of this process, in seconds.
inline double cpuSeconds() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Runs the event loop until `done` or `ms` have passed; a timer wakes it
// every `wakeMs` to look at the clock.
template <typename F> bool spin(F done, int ms, int wakeMs = 100) {
    QElapsedTimer t;
    t.start();
    QTimer wake;
    wake.start(wakeMs);
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return done();
}

} // namespace bench
