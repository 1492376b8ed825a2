// A time of day that moves on a little each time it is read, and only then:
// a sequence's pause lasts exactly as many readings as WaitSeconds needs,
// however slowly the machine runs the runner's timers.
#pragma once

#include "protocol/waiter.h"

#include <cmath>

struct SteppingClock : WaitClock {
    mutable double now; // seconds since the midnight the test began on
    double step = 0.1;
    explicit SteppingClock(double start, double stepSeconds = 0.1)
        : now(start), step(stepSeconds) {}
    // The time of day, without moving the clock.
    double timeOfDay() const { return std::fmod(now, 86400.0); }
    double secondsSinceMidnight() const override {
        now += step;
        return std::fmod(now, 86400.0);
    }
    double monotonicSeconds() const override { return now; }
};
