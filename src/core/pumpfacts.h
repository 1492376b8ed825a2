// What a pump's report said about the pump itself: that it counted its logs,
// that it is sampling, that its programming is locked. Decoders report these
// as facts; which controls they lock is the session's one enabling decision.
#pragma once

#include <optional>

struct PumpFacts {
    bool logsCounted = false;              // a status report counted the logs
    std::optional<bool> running;           // RUN mode (run state above 400)
    std::optional<bool> programmingLocked; // the setup report's programming lock

    bool isEmpty() const { return !logsCounted && !running && !programmingLocked; }
    // Later reports win; a fact a report did not reach stays as it was.
    void merge(const PumpFacts& o) {
        logsCounted = logsCounted || o.logsCounted;
        if (o.running)
            running = o.running;
        if (o.programmingLocked)
            programmingLocked = o.programmingLocked;
    }
};
