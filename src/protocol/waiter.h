// WaitSeconds: the one pause of the command sequences, without a nested event
// loop. begin() starts a pause and msLeft() tells how long it still has to
// run; the sequence runner sleeps on a timer meanwhile, so the window keeps
// handling events. The start is rounded to a whole second, so a pause always
// ends at a whole second of the clock, between n - 0.5 and n + 0.5 seconds
// after it began.
#pragma once

#include <QtGlobal>

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
    explicit Waiter(const WaitClock& clock) : m_clock(clock) {}

    // Starts a pause of n seconds; one still pending is replaced.
    void begin(double n);
    // Looks at the clock: true once the pending pause is over.
    bool over();
    // How long to sleep before looking again: what is left of the pause
    // at the last look, never more than maxSleepMs.
    int sleepMs() const { return m_sleepMs; }
    bool pending() const { return m_pending; }

    // Seconds since midnight rounded to the nearest whole second, halves to even.
    static qint32 roundedStart(double secondsSinceMidnight);

    // Longest sleep between two looks at the clock, in milliseconds.
    int maxSleepMs = 250;

private:
    const WaitClock& m_clock;
    qint32 m_start = 0;  // seconds since midnight, rounded
    double m_length = 0; // seconds
    bool m_pending = false;
    double m_last = 0;      // the last time-of-day reading
    double m_dayOffset = 0; // seconds added since the pause passed midnight
    double m_longest = 0;   // monotonic time by which the pause ends in any case
    int m_sleepMs = 0;
};
