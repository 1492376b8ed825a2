#include "logs/logdecoder.h"

LogLineResult decodeLogLine(const QString& line, int captureCount, AppState& state) {
    Q_UNUSED(line);
    Q_UNUSED(captureCount);
    Q_UNUSED(state);
    return {};
}
