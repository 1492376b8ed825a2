// libFuzzer target: one line of the pump's reports through its decoder. The
// first byte picks the decoder (status, setup, pump state) and the units; the
// rest is the line, kept to the printable characters a line can hold. Every
// decode must end, and a second report of the same line must write the same
// captions (decoders depend on the line and the state, nothing else).
#include "status/setupdecoder.h"
#include "status/statusdecoder.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const int which = data[0] % 3;
    const bool metric = (data[0] / 3) % 2;
    QString line;
    for (size_t i = 1; i < size; ++i)
        if (data[i] >= 32 && data[i] <= 126)
            line += QLatin1Char(char(data[i]));
    static const char* kCodes[] = {"R99", "Z99", "P01"};
    line.replace(0, 3, QLatin1String(kCodes[which]));

    const QDateTime now(QDate(2026, 12, 6), QTime(12, 0));
    auto decode = [&](AppState& state) {
        state.UnitsFlag = metric ? 1 : 0;
        switch (which) {
        case 0:
            return Decode::statusReport(parseStatusReport(line), state, now);
        case 1:
            return Decode::setupReport(parseSetupReport(line), state);
        default:
            return Decode::pumpStateReport(parsePumpStateReport(line), state);
        }
    };
    AppState state;
    const UiChanges first = decode(state);
    const UiChanges second = decode(state);
    if (which == 0 && first.text != second.text)
        std::abort();
    for (const QString& caption : first.text)
        if (caption.size() > line.size() + 200)
            std::abort();
    return 0;
}
