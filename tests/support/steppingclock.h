// A clock for tests of pauses: the time of day moves on by `step` seconds
// each time it is read, so a sequence runs in a few milliseconds while its
// pauses are measured in the clock's own time. monotonicSeconds follows it.
#pragma once

#include "protocol/waiter.h"

#include <cmath>

struct SteppingClock : WaitClock {
    explicit SteppingClock(double begin, double stepSeconds = 0.005)
        : step(stepSeconds), start(begin) {}
    double step;
    double start;
    mutable double elapsed = 0;

    double secondsSinceMidnight() const override {
        elapsed += step;
        return now();
    }
    double monotonicSeconds() const override { return elapsed; }
    // The time of day without moving the clock.
    double now() const { return std::fmod(start + elapsed, 86400.0); }
};
