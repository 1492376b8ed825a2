// WaitSeconds: the one pause of the command sequences. The window keeps
// handling events meanwhile; the pause sleeps on the event loop, never spins.
// The start is rounded to a whole second and the start/length pair is shared,
// so a wait begun inside another ends both.
#pragma once

#include "core/appstate.h"

#include <functional>

class WaitClock {
public:
    virtual ~WaitClock() = default;
    // Time of day in seconds since midnight, with its fraction.
    virtual double secondsSinceMidnight() const = 0;
    // Seconds on a clock that is never set back (the default: since the first call).
    virtual double monotonicSeconds() const;
};

class SystemWaitClock : public WaitClock {
public:
    double secondsSinceMidnight() const override;
};

class Waiter {
public:
    Waiter(AppState& state, const WaitClock& clock) : m_state(state), m_clock(clock) {}

    void waitSeconds(double n);

    // Seconds since midnight rounded to the nearest whole second, halves to even.
    static qint32 roundedStart(double secondsSinceMidnight);

    std::function<void(bool busy)> busyHook;
    // Longest sleep between two looks at the clock, in milliseconds.
    int maxSleepMs = 250;

private:
    AppState& m_state;
    const WaitClock& m_clock;
};
