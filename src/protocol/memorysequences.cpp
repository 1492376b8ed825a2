#include "protocol/memorysequences.h"

#include "protocol/commands.h"

namespace MemorySequences {

Sequence eraseLogs() {
    Sequence s;
    s.name = QStringLiteral("Erase Logs");
    s.holdsPolling = false;
    s.busyCursor = false;
    s << Step::write(Commands::logInit());
    return s;
}

Sequence clearSamplingData() {
    Sequence s;
    s.name = QStringLiteral("Clear Sampling Data in Pump");
    s.holdsPolling = false;
    s.busyCursor = false;
    UiChanges lock;
    lock.facts.programmingLocked = true;
    s << Step::change(lock) << Step::write(Commands::clearAll());
    return s;
}

} // namespace MemorySequences
